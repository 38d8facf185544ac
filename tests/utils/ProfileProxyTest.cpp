#include "utils/ProfileProxy.h"

#include "core/Managed.h"
#include "support/Expect.h"

#include <gtest/gtest.h>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace profileproxy_test {

// A clock the test moves by hand, so durations are exact.
double now = 0.0;
double Now()
{
    return now;
}

class ProfileProxyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        now = 100.0;
        probes.Set(new ProbeProxy());
    }
    void TearDown() override
    {
        probes.Set(nullptr);
        EXPECT_THROW_MESSAGE(ProfileProxy::GetGlobal(), "No Global ProfileProxy Set");
    }

    Managed<ProbeProxy> probes;
};

}  // namespace profileproxy_test

using profileproxy_test::ProfileProxyTest;

TEST_F(ProfileProxyTest, NestedSectionsWriteDottedProbes)
{
    Managed<ProfileProxy> profiler(new ProfileProxy());
    profiler->SetClock(&profileproxy_test::Now);
    profiler->Begin("frame");
    profileproxy_test::now += 1.0;
    profiler->Begin("draw");
    profileproxy_test::now += 0.25;
    ProbeValue<float> draw = profiler->End();
    profileproxy_test::now += 0.5;
    ProbeValue<float> frame = profiler->End();

    EXPECT_EQ(draw.GetIndex(), probes->GetProbeIndex("frame.draw"));
    EXPECT_EQ(frame.GetIndex(), probes->GetProbeIndex("frame"));
    EXPECT_EQ(draw.GetValue(), 0.25f);
    EXPECT_EQ(frame.GetValue(), 1.75f);

    // A plain section replaces the value it finds.
    profiler->Begin("frame");
    profileproxy_test::now += 0.5;
    profiler->End();
    EXPECT_EQ(frame.GetValue(), 0.5f);
}

TEST_F(ProfileProxyTest, AccumulatingSectionsAddToTheProbe)
{
    Managed<ProfileProxy> profiler(new ProfileProxy(probes.Get()));
    profiler->SetClock(&profileproxy_test::Now);
    probes->SetValue(probes->GetProbeIndex("physics"), 1.0f);
    for (double step : {0.5, 0.25, 0.125}) {
        profiler->BeginAccumulate("physics");
        profileproxy_test::now += step;
        profiler->End();
    }
    EXPECT_EQ(probes->GetValue(probes->GetProbeIndex("physics")), 1.875f);
}

TEST_F(ProfileProxyTest, EndWithoutAnOpenSectionThrows)
{
    Managed<ProfileProxy> profiler(new ProfileProxy(probes.Get()));
    EXPECT_THROW_MESSAGE(profiler->End(), "The array doesn't contain any elements");
    EXPECT_EQ(probes->GetValueCount(), 0);
}

TEST_F(ProfileProxyTest, TheFirstProxyIsGlobalAndHoldsItsProbeProxy)
{
    EXPECT_THROW_MESSAGE(ProfileProxy::GetGlobal(), "No Global ProfileProxy Set");
    Managed<ProfileProxy> first(new ProfileProxy(probes.Get(), "main"));
    Managed<ProfileProxy> second(new ProfileProxy());
    EXPECT_EQ(ProfileProxy::GetGlobal(), first.Get());
    EXPECT_EQ(second->GetProbeProxy(), probes.Get());
    EXPECT_EQ(probes->GetRefCount(), 3);
    second->SetGlobal();
    EXPECT_EQ(ProfileProxy::GetGlobal(), second.Get());

    // The constructor with a name opened "main"; a section inside it is named below it.
    first->Begin("inner");
    EXPECT_EQ(first->End().GetIndex(), probes->GetProbeIndex("main.inner"));
    first->End();

    second.Set(nullptr);
    EXPECT_THROW_MESSAGE(ProfileProxy::GetGlobal(), "No Global ProfileProxy Set");
    first.Set(nullptr);
    EXPECT_EQ(probes->GetRefCount(), 1);
}

TEST_F(ProfileProxyTest, ConstructionWithoutAProbeProxyThrows)
{
    probes.Set(nullptr);
    EXPECT_THROW_MESSAGE(ProfileProxy(), "No Global ProbeProxy");
}
