#include "utils/ProbeProxy.h"

#include "core/Managed.h"
#include "math/Vector3t.h"
#include "support/Expect.h"
#include "utils/ProbeValue.h"
#include "utils/ProbeVector.h"

#include <gtest/gtest.h>

#include <string>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace probeproxy_test {

// Every test starts and must end with no global proxy: each one releases what it creates.
class ProbeProxyTest : public ::testing::Test {
protected:
    void SetUp() override { EXPECT_THROW_MESSAGE(ProbeProxy::GetGlobal(), "No Global ProbeProxy"); }
    void TearDown() override { EXPECT_THROW_MESSAGE(ProbeProxy::GetGlobal(), "No Global ProbeProxy"); }
};

}  // namespace probeproxy_test

using probeproxy_test::ProbeProxyTest;

TEST_F(ProbeProxyTest, RegistersNamesOnceWithIndicesInOrderOfFirstUse)
{
    Managed<ProbeProxy> proxy(new ProbeProxy());
    Probe* ab = proxy->GetProbe("a.b");
    Probe* fps = proxy->GetProbe("FPS");
    EXPECT_EQ(ab->GetIndex(), 0);
    EXPECT_EQ(fps->GetIndex(), 1);
    EXPECT_EQ(proxy->GetProbe("a.b"), ab);
    EXPECT_EQ(proxy->GetProbe(".a.b"), ab);
    EXPECT_EQ(proxy->GetProbeIndex(".FPS"), 1);
    EXPECT_EQ(proxy->GetValueCount(), 2);
    EXPECT_EQ(proxy->GetProbeName(0), String("a.b"));
    EXPECT_EQ(proxy->GetValue(0), 0.0f);

    // The group node made on the way reports 0 until it is registered itself; then it keeps
    // its place in the tree and gets the next index.
    Probe* root = proxy->GetRoot();
    ASSERT_EQ(root->GetChildCount(), 2);
    Probe* a = root->GetChild(0);
    EXPECT_EQ(a->GetName(), String("a"));
    EXPECT_EQ(a->GetIndex(), 0);
    EXPECT_EQ(a->GetChild(0), ab);
    EXPECT_EQ(proxy->GetProbe("a"), a);
    EXPECT_EQ(a->GetIndex(), 2);
    EXPECT_EQ(root->GetChild(1), fps);
    EXPECT_EQ(root->GetIndex(), 0);
}

TEST_F(ProbeProxyTest, FullNamesFindTheirProbeAgain)
{
    Managed<ProbeProxy> proxy(new ProbeProxy());
    struct Case {
        const char* registered;
        const char* fullName;
    };
    const Case cases[] = {
        {"FPS", ".FPS"},
        {"camera1.Position.x", ".camera1.Position.x"},
        {".leading", ".leading"},
        {"a..b", ".a..b"},   // an empty component is a node with an empty name
        {"trailing.", ".trailing."},
        {"", "."},
    };
    for (const Case& c : cases) {
        Probe* probe = proxy->GetProbe(c.registered);
        EXPECT_EQ(probe->GetFullName(), String(c.fullName)) << c.registered;
        EXPECT_EQ(proxy->GetProbe(probe->GetFullName()), probe) << c.registered;
    }

    // A node of another proxy's tree is not in the global tree.
    Managed<ProbeProxy> other(new ProbeProxy());
    EXPECT_EQ(other->GetProbe("FPS")->GetFullName(), String());
    EXPECT_EQ(proxy->GetRoot()->FindPath(other->GetRoot()), String());
}

TEST_F(ProbeProxyTest, DeepNamesNeitherRecurseNorOverflow)
{
    // Names also come from files; a hostile one must not blow the stack when searched or freed.
    std::string text = "n";
    for (int i = 0; i < 100000; ++i)
        text += ".n";
    Managed<ProbeProxy> proxy(new ProbeProxy());
    Probe* deep = proxy->GetProbe(text.c_str());
    EXPECT_EQ(deep->GetFullName().Length(), static_cast<int>(text.size()) + 1);
}

TEST_F(ProbeProxyTest, IndicesOutsideTheTableThrow)
{
    Managed<ProbeProxy> proxy(new ProbeProxy());
    proxy->GetProbe("only");
    proxy->SetValue(0, 4.0f);
    EXPECT_THROW_MESSAGE(proxy->GetValue(1), "ProbeProxy::GetValue(): No probe with index 1");
    EXPECT_THROW_MESSAGE(proxy->GetValue(-1), "ProbeProxy::GetValue(): No probe with index -1");
    EXPECT_THROW_MESSAGE(proxy->SetValue(1, 2.0f), "ProbeProxy::SetValue(): No probe with index 1");
    EXPECT_THROW_MESSAGE(proxy->SetValue(-7, 2.0f), "ProbeProxy::SetValue(): No probe with index -7");
    EXPECT_THROW_MESSAGE(proxy->GetProbeName(1), "ProbeProxy::GetProbeName(): No probe with index 1");
    EXPECT_EQ(proxy->GetValue(0), 4.0f);
    EXPECT_EQ(proxy->GetValueCount(), 1);
}

TEST_F(ProbeProxyTest, ResetValuesClearsEveryCell)
{
    Managed<ProbeProxy> proxy(new ProbeProxy());
    for (int i = 0; i < 3; ++i)
        proxy->SetValue(proxy->GetProbeIndex(String::Format("p%d", i)), 1.0f + i);
    proxy->ResetValues();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(proxy->GetValue(i), 0.0f);
}

TEST_F(ProbeProxyTest, TheFirstProxyIsGlobalUntilDestroyed)
{
    Managed<ProbeProxy> first(new ProbeProxy());
    EXPECT_EQ(ProbeProxy::GetGlobal(), first.Get());
    Managed<ProbeProxy> second(new ProbeProxy());
    EXPECT_EQ(ProbeProxy::GetGlobal(), first.Get());
    second->SetGlobal();
    EXPECT_EQ(ProbeProxy::GetGlobal(), second.Get());

    first.Set(nullptr);  // not global: the global one stays
    EXPECT_EQ(ProbeProxy::GetGlobal(), second.Get());
    Managed<ProbeProxy> third(new ProbeProxy());
    second.Set(nullptr);  // global: leaves none, even though another proxy exists
    EXPECT_THROW_MESSAGE(ProbeProxy::GetGlobal(), "No Global ProbeProxy");
    third.Set(nullptr);
}

TEST_F(ProbeProxyTest, ValueHandlesBindByNameAndKeepTheirProxyAlive)
{
    EXPECT_THROW_MESSAGE(ProbeValue<float>("speed"), "No Global ProbeProxy");

    ProbeProxy* proxy = new ProbeProxy();
    ProbeValue<float> speed("speed");
    ProbeValue<int> scene("scene_no");
    EXPECT_EQ(proxy->GetRefCount(), 3);
    speed = 2.5f;
    scene = -2;
    EXPECT_EQ(proxy->GetValue(speed.GetIndex()), 2.5f);
    EXPECT_EQ(proxy->GetValue(proxy->GetProbeIndex("scene_no")), -2.0f);
    EXPECT_EQ(scene.GetValue(), -2.0f);

    ProbeValue<float> copy = speed;
    EXPECT_EQ(proxy->GetRefCount(), 4);
    EXPECT_EQ(copy.GetValue(), 2.5f);

    // The creator lets go; the handles still reach a live proxy, which stays global.
    proxy->Release();
    EXPECT_EQ(ProbeProxy::GetGlobal(), speed.GetProxy());
    copy.SetValue(7.0f);
    EXPECT_EQ(speed.GetValue(), 7.0f);
}

TEST_F(ProbeProxyTest, UnboundHandlesThrow)
{
    ProbeValue<float> value;
    ProbeValue<int> count;
    ProbeVector<Math::Vector3t<float>, 3> vector;
    EXPECT_THROW_MESSAGE(value.GetValue(), "PValue::GetValue: Uninitalized Probe");
    EXPECT_THROW_MESSAGE(value.SetValue(1.0f), "PValue::GetValue: Uninitalized Probe");
    EXPECT_THROW_MESSAGE(count.SetValue(1), "PValue::GetValue: Uninitalized Probe");
    EXPECT_THROW_MESSAGE(vector.GetValue(), "PVector::GetValue: Uninitalized Probe");
}

TEST_F(ProbeProxyTest, VectorHandlesReadTheirComponentProbes)
{
    Managed<ProbeProxy> proxy(new ProbeProxy());
    proxy->GetProbe("before");
    ProbeVector<Math::Vector3t<float>, 3> position("camera1.Position");
    EXPECT_EQ(proxy->GetProbeIndex("camera1.Position.x"), 1);
    EXPECT_EQ(proxy->GetProbeIndex("camera1.Position.y"), 2);
    EXPECT_EQ(proxy->GetProbeIndex("camera1.Position.z"), 3);
    EXPECT_EQ(position.GetIndex(2), 3);
    EXPECT_THROW_MESSAGE(position.GetIndex(3), "PVector::GetIndex: No such component");
    proxy->SetValue(1, 1.0f);
    proxy->SetValue(2, -2.0f);
    proxy->SetValue(3, 3.5f);
    EXPECT_EQ(position.GetValue(), Math::Vector3t<float>(1.0f, -2.0f, 3.5f));
}
