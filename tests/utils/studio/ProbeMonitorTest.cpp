// The probe monitor: leaves of watched probes as rows, the smoothing sequence on the GUI
// clock, the gauges' colour while the peak is still at the minimum, no catch-up burst after a
// stall, the layout it saves and loads, and the root's menu entry.
#include "support/MemoryFileSystem.h"
#include "utils/ProbeProxy.h"
#include "utils/gui/DefaultGauge.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Panel.h"
#include "utils/gui/Label.h"
#include "utils/studio/ProbeMonitor.h"
#include "utils/studio/SyncData.h"
#include "utils/xml/Element.h"

#include "StudioRootFixture.h"

#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

namespace studio_probe_monitor_test {

using namespace Nimbrel;
using Testing::GuiTestTime;
using Utils::Studio::ProbeMonitor;

class ProbeMonitorTest : public Testing::StudioRootTest {
protected:
    ProbeMonitor* Open()
    {
        Choose("Monitoring", "Probe Monitor");
        for (int i = root->GetChildCount() - 1; i >= 0; --i)
            if (auto* monitor = dynamic_cast<ProbeMonitor*>(root->GetChild(i)))
                return monitor;
        ADD_FAILURE() << "no monitor opened";
        return nullptr;
    }
    // Sets the probe, then runs a frame at the given GUI time.
    void FrameWith(const char* probe, float value, double at)
    {
        probes->SetValue(probes->GetProbeIndex(probe), value);
        GuiTestTime() = at;
        root->Frame();
    }
    void SetUp() override
    {
        StudioRootTest::SetUp();
        probes = Utils::ProbeProxy::GetGlobal();
    }
    Utils::ProbeProxy* probes = nullptr;
};

TEST_F(ProbeMonitorTest, AJumpFromZeroToOneIsSmoothedOnEveryUpdate)
{
    ProbeMonitor* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    monitor->AddWatch(probes->GetProbe("mon.jump"));
    const float expected[] = {0.4f, 0.64f, 0.784f, 0.8704f};
    double at = 0.0;
    for (float want : expected) {
        FrameWith("mon.jump", 1.0f, at);
        EXPECT_NEAR(monitor->GetSmoothed(0), want, 1e-6) << at;
        EXPECT_NEAR(std::stof(monitor->GetValueLabel(0)->GetText().CStr()), want, 1e-6);
        FrameWith("mon.jump", 1.0f, at + 0.02);  // between updates nothing moves
        EXPECT_NEAR(monitor->GetSmoothed(0), want, 1e-6);
        at += ProbeMonitor::UpdateInterval;
    }
    EXPECT_STREQ(monitor->GetNameLabel(0)->GetText().CStr(), "mon.jump");
    EXPECT_GT(monitor->GetPeak(), 0.0f);
    EXPECT_LT(monitor->GetPeak(), 1.0f);

    // Ten seconds later: one update, not two hundred.
    const float before = monitor->GetSmoothed(0);
    FrameWith("mon.jump", 0.0f, at + 10.0);
    EXPECT_NEAR(monitor->GetSmoothed(0), before * 0.6f, 1e-6);
}

TEST_F(ProbeMonitorTest, ValuesOfEveryMagnitudeFitTheirLabelAndReadBackClose)
{
    ProbeMonitor* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    const float values[] = {1.5425488e-05f, -3.3333333e-07f, 0.22133f, -59.9412f, 12345.678f, -9.87654e+20f};
    const int count = static_cast<int>(std::size(values));
    for (int i = 0; i < count; ++i) {
        const std::string name = "mon.size" + std::to_string(i);
        monitor->AddWatch(probes->GetProbe(name.c_str()));
        probes->SetValue(probes->GetProbeIndex(name.c_str()), values[i]);
    }
    GuiTestTime() = 0.0;
    root->Frame();
    for (int i = 0; i < count; ++i) {
        Utils::GUI::Label* label = monitor->GetValueLabel(i);
        const char* text = label->GetText().CStr();
        const float smoothed = monitor->GetSmoothed(i);
        EXPECT_NE(smoothed, 0.0f) << i;
        EXPECT_LE(label->GetFontFacePointer()->Measure(text, static_cast<int>(std::strlen(text))), label->GetSize().x)
            << text;
        EXPECT_NEAR(std::stof(text), smoothed, std::fabs(smoothed) * 5e-4f) << text;
    }
}

TEST_F(ProbeMonitorTest, AGaugeWithAnEmptyRangeShowsTheBottomColour)
{
    ProbeMonitor* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    monitor->AddWatch(probes->GetProbe("mon.flat"));
    FrameWith("mon.flat", 0.5f, 0.0);  // the peak is still 0 when the gauge is coloured
    auto* gauge = dynamic_cast<Utils::GUI::DefaultGauge*>(monitor->GetGauge(0));
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->GetMaximum(), gauge->GetMinimum());
    EXPECT_EQ(gauge->GetBar()->GetColor(), Utils::GUI::Color(0, 255, 0, 255));
    for (int step = 1; step < 40; ++step)
        FrameWith("mon.flat", 0.5f, step * ProbeMonitor::UpdateInterval);
    EXPECT_GT(gauge->GetMaximum(), gauge->GetMinimum()) << "the peak has risen";
    EXPECT_EQ(gauge->GetBar()->GetColor(), Utils::GUI::Color(255, 0, 0, 255)) << "a value at the peak is red";
}

TEST_F(ProbeMonitorTest, WatchingGroupsShowsEachLeafOnceAndSavesEveryWatch)
{
    auto* monitor = new ProbeMonitor(root->GetSkin());
    root->AddChild(monitor);
    for (int i = 0; i < 25; ++i)
        probes->GetProbe(("many.leaf" + std::to_string(i)).c_str());
    probes->GetProbe("few.a");
    probes->GetProbe("few.b.c");
    monitor->AddWatch(probes->GetProbe("few"));
    monitor->AddWatch(probes->GetProbe("few.a"));
    ASSERT_EQ(monitor->GetIndices().Count(), 2);
    EXPECT_EQ(monitor->GetIndices()[0], probes->GetProbeIndex("few.a"));
    EXPECT_EQ(monitor->GetIndices()[1], probes->GetProbeIndex("few.b.c"));

    Managed<Utils::Xml::Element> saved(monitor->SaveLayout());
    EXPECT_STREQ(saved->GetName().CStr(), "probe_monitor");
    std::vector<std::string> watched;
    for (Utils::Xml::Element* child = saved->GetFirstChild(); child; child = child->GetNextSibling())
        watched.push_back(std::string(child->GetName().CStr()) + " " + child->GetAttribute("probe").CStr());
    EXPECT_EQ(watched, std::vector<std::string>({"watch .few", "watch .few.a"}));

    monitor->AddWatch(probes->GetProbe("many"));
    ASSERT_EQ(monitor->GetIndices().Count(), 27);
    root->Frame();
    EXPECT_EQ(monitor->GetSize().y, 27 * 15 + 28) << "grows by 15 pixels a leaf";
    EXPECT_STREQ(monitor->GetNameLabel(19)->GetText().CStr(), "many.leaf17") << "20 rows at most";
}

TEST_F(ProbeMonitorTest, TheLayoutLoaderRebuildsTheWatches)
{
    Managed<Testing::MemoryFileSystem> memory(new Testing::MemoryFileSystem());
    root->SetDataFolder(Utils::Studio::FolderResource(memory.Get()));
    root->GetSyncData()->Save(memory.Get());
    const std::string layout = "<studio_root><probe_monitor pos=\"(30, 40)\">"
                               "<watch probe=\".loaded.x\"/><watch/><other probe=\".loaded.y\"/><watch probe=\"loaded.z\"/>"
                               "</probe_monitor></studio_root>";
    (*memory)["gui_layout.xml"].assign(layout.begin(), layout.end());
    root->Load();
    ProbeMonitor* monitor = nullptr;
    for (int i = 0; i < root->GetChildCount(); ++i)
        if (auto* found = dynamic_cast<ProbeMonitor*>(root->GetChild(i)))
            monitor = found;
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->GetPosition(), Utils::GUI::Point(30, 40));
    ASSERT_EQ(monitor->GetWatches().Count(), 2) << "a watch without a probe and other elements are ignored";
    EXPECT_STREQ(monitor->GetWatches()[0]->GetFullName().CStr(), ".loaded.x");
    EXPECT_STREQ(monitor->GetWatches()[1]->GetFullName().CStr(), ".loaded.z");
}

}  // namespace studio_probe_monitor_test
