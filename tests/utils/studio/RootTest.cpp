// The Studio root over the fake device: transport by keyboard and joystick, the menu opened
// where the right click was, its actions, errors shown without ending the program, and the
// per-frame probe reset and sync evaluation.
#include "input/KeyCodes.h"
#include "support/AllocationWatch.h"
#include "support/MemoryFileSystem.h"
#include "utils/draw2d/GraphicsDeviceBlitter.h"
#include "utils/ProbeProxy.h"
#include "utils/gui/Applet.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Label.h"
#include "utils/gui/ListBox.h"
#include "utils/studio/ResourceBrowser.h"
#include "utils/studio/SyncData.h"

#include "StudioRootFixture.h"

#include <cmath>
#include <cstdio>

namespace studio_root_test {

using namespace Nimbrel;
using Testing::StudioTestSeconds;
using Utils::GUI::Point;
using Calls = std::vector<std::string>;

class RootTest : public Testing::StudioRootTest {};

TEST_F(RootTest, SpaceTogglesPlayAndResumingSeeksThenPlays)
{
    root->SetTime(10.0);
    Key(Input::KeySpace, 0);
    Key(Input::KeySpace, 1);
    ASSERT_TRUE(app->Update());
    EXPECT_TRUE(root->IsPaused());

    StudioTestSeconds() += 5.0;
    root->Frame();
    EXPECT_DOUBLE_EQ(root->GetTime(), 10.0) << "paused time stands still";

    Key(Input::KeySpace, 0);
    ASSERT_TRUE(app->Update());
    EXPECT_FALSE(root->IsPaused());
    EXPECT_EQ(music.calls, Calls({"Seek 10", "Stop", "Seek 10", "Play"}));
    StudioTestSeconds() += 2.0;
    root->Frame();
    EXPECT_DOUBLE_EQ(root->GetTime(), 12.0);
}

TEST_F(RootTest, TimeSetBeforeZeroSeeksZero)
{
    root->SetTime(-3.0);
    EXPECT_EQ(root->GetTime(), 0.0);
    EXPECT_EQ(music.calls, Calls({"Seek 0"}));
    EXPECT_EQ(root->GetTimeQticks(), 0.0);
}

TEST_F(RootTest, RightClickOpensTheMenuWhereClicked)
{
    Utils::GUI::Menu* menu = root->GetMenu();
    EXPECT_FALSE(menu->IsVisible());
    for (Point at : {Point(300, 200), Point(40, 470)}) {
        Click(at, Input::MouseButtonRight);
        EXPECT_TRUE(menu->IsVisible());
        EXPECT_EQ(menu->GetScreenPosition(), at);
    }
    Click({700, 20});
    EXPECT_FALSE(menu->IsVisible()) << "a left click elsewhere hides it";
}

TEST_F(RootTest, MenuHasTheStudioEntriesInOrder)
{
    Utils::GUI::Menu* menu = root->GetMenu();
    const char* top[] = {"", "", "Monitoring", "Syncing", "Tracker", "", "Project", "", "Exit"};
    ASSERT_EQ(menu->GetItemCount(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(std::string(menu->GetItem(i)->GetText().CStr()), top[i]) << i;
    EXPECT_EQ(menu->GetItem(0)->GetKind(), Utils::GUI::MenuItem::KindIcon);
    for (int i : {1, 5, 7})
        EXPECT_EQ(menu->GetItem(i)->GetKind(), Utils::GUI::MenuItem::KindSeparator) << i;
    struct Sub {
        int item;
        std::vector<std::string> texts;
    };
    const Sub subs[] = {{2, {"Probe Monitor", "Probe Browser", "Resource Browser", "Framebuffer Browser"}},
                        {3, {"Sequencer"}},
                        {6, {"New Project", "Load Project", "Save Project"}}};
    for (const Sub& sub : subs) {
        Utils::GUI::Menu* items = menu->GetItem(sub.item)->PeekSubMenu();
        ASSERT_NE(items, nullptr) << sub.item;
        std::vector<std::string> texts;
        for (int i = 0; i < items->GetItemCount(); ++i)
            texts.push_back(items->GetItem(i)->GetText().CStr());
        EXPECT_EQ(texts, sub.texts);
    }
}

TEST_F(RootTest, ExitEndsTheMainLoop)
{
    Click({5, 5}, Input::MouseButtonRight);
    root->Frame();
    const Point at = Middle(Item("Exit"));
    Mouse(Testing::MouseDown(at.x, at.y));
    Mouse(Testing::MouseUp(at.x, at.y));
    EXPECT_FALSE(app->Update());
    EXPECT_FALSE(app->Update()) << "and stays ended";
}

TEST_F(RootTest, FailingMenuLoadIsShownAndTheStudioCarriesOn)
{
    ::testing::internal::CaptureStdout();
    Choose("Project", "Load Project");
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Studio::Root::Load(): No data folder set\n");
    Utils::GUI::Applet* error = root->GetErrorWindow();
    ASSERT_NE(error, nullptr);
    EXPECT_TRUE(error->IsVisible());
    EXPECT_FALSE(root->GetMenu()->IsVisible());
    ASSERT_EQ(error->GetClient()->GetChildCount(), 1);
    auto* label = dynamic_cast<Utils::GUI::Label*>(error->GetClient()->GetChild(0));
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(label->GetText().CStr(), "Studio::Root::Load(): No data folder set");
    EXPECT_TRUE(app->Update());
    root->Frame();

    const int widgets = Utils::GUI::Widget::GetWidgetCount();
    error->Close();
    EXPECT_EQ(root->GetErrorWindow(), nullptr);
    root->Frame();
    EXPECT_LT(Utils::GUI::Widget::GetWidgetCount(), widgets) << "the frame collects the closed window";
}

TEST_F(RootTest, ControlSSavesFromAnywhereWithoutReachingTheWindows)
{
    Managed<Testing::MemoryFileSystem> folder(new Testing::MemoryFileSystem());
    root->SetDataFolder(Utils::Studio::FolderResource(folder.Get()));
    auto* window = new Utils::GUI::Applet(root->GetSkin());
    root->AddChild(window);
    window->Activate();
    Key(Input::KeyControl, 0);
    Key('S', 0);
    Key('S', 1);
    Key(Input::KeyControl, 1);
    ASSERT_TRUE(app->Update());
    EXPECT_TRUE(folder->Has("gui_layout.xml"));
    EXPECT_TRUE(folder->Has("syncdata.bin"));
    EXPECT_EQ(root->GetErrorWindow(), nullptr);

    Key('S', 0);
    ASSERT_TRUE(app->Update());
    EXPECT_EQ(folder->operations.size(), 6u) << "S alone does not save";
}

TEST_F(RootTest, ResourceBrowserListsTheRecordsAndRefreshesTwiceASecond)
{
    Utils::ResourceProxy* proxy = app->GetResourceProxy();
    Managed<Testing::MemoryFileSystem> held(new Testing::MemoryFileSystem());
    const String first = proxy->Add(Utils::ResourceType::FileSystem, held.Get());
    Choose("Monitoring", "Resource Browser");
    Utils::Studio::ResourceBrowser* browser = nullptr;
    for (int i = 0; i < root->GetChildCount() && !browser; ++i)
        browser = dynamic_cast<Utils::Studio::ResourceBrowser*>(root->GetChild(i));
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->IsVisible());
    Utils::GUI::ListBox* list = browser->GetList();
    ASSERT_EQ(list->GetItemCount(), proxy->GetRecordCount());
    const auto line = [&](int i) {
        return std::string(static_cast<Utils::GUI::Label*>(list->GetItem(i))->GetText().CStr());
    };
    EXPECT_EQ(line(proxy->GetRecordCount() - 1), std::string("FileSystem  ") + first.CStr() + "  (2 refs)");

    proxy->Add(Utils::ResourceType::FileSystem, held.Get());
    Testing::GuiTestTime() += 0.4;
    root->Frame();
    EXPECT_EQ(list->GetItemCount(), proxy->GetRecordCount() - 1) << "not yet";
    Testing::GuiTestTime() += 0.2;
    root->Frame();
    EXPECT_EQ(list->GetItemCount(), proxy->GetRecordCount());
    EXPECT_EQ(line(0).substr(0, 12), "FileSystem  ");
}

TEST_F(RootTest, FrameDrawsTheWindowsAndCompositesThemOverTheFrame)
{
    auto* window = new Utils::GUI::Applet(root->GetSkin());
    root->AddChild(window);
    overlay->blitterTexture = blitter->GetTexture();
    root->Frame();
    EXPECT_FALSE(blitter->DrawnQuads().empty()) << "the window was drawn into the blitter";
    using namespace Graphics;
    const std::string expected = "blend " + std::to_string(BlendOne) + "/" + std::to_string(BlendInvSrcAlpha) + " " +
                                 std::to_string(BlendOne) + "/" + std::to_string(BlendInvSrcAlpha) + ", sampler " +
                                 std::to_string(FilterLinear) + "/" + std::to_string(FilterLinear) + "/" +
                                 std::to_string(FilterNone) + ", blitter texture";
    EXPECT_EQ(overlay->calls, Calls({expected}));
    ASSERT_EQ(overlay->targets.size(), 1u);
    EXPECT_EQ(overlay->targets[0], static_cast<Utils::Target*>(blitter.Get()));
    Utils::State& state = *app->GetState();
    EXPECT_FALSE(state.blendStates.Top().blendEnable) << "the states pushed are popped";
}

TEST_F(RootTest, FrameResetsEveryProbeThenEvaluatesTheSyncData)
{
    Utils::ProbeProxy* probes = Utils::ProbeProxy::GetGlobal();
    Utils::Studio::SyncData* sync = root->GetSyncData();
    const int track = sync->AddTrack(".fade");
    Utils::Studio::TrackGroup* group = sync->GetTrackGroup(sync->AddTrackGroup(".fade"));
    group->AddTrack(sync->GetTrack(track));
    sync->BindProbe(track, probes->GetProbe("fade"));
    Utils::Studio::Block* block = sync->GetBlock(sync->CreateBlock(0, 1000, group));
    block->GetPattern(0)->SetKey(Utils::Studio::Key{Utils::Studio::InterpolationLinear, 0.5f, 0.5f, 0});
    const int fade = probes->GetProbeIndex("fade");
    const int loose = probes->GetProbeIndex("loose");
    probes->SetValue(loose, 3.0f);

    root->SetTime(1.5);  // 56 qticks at 140 bpm: inside the block
    root->Frame();
    EXPECT_EQ(probes->GetValue(loose), 0.0f);
    EXPECT_EQ(probes->GetValue(fade), 0.5f);
}

TEST_F(RootTest, ASteadyFrameWithTheMenuOpenAndAProbeDrivenAllocatesNothing)
{
    if (!Testing::AllocationWatch::Available())
        GTEST_SKIP() << "no allocation hooks without AddressSanitizer";
    Testing::FakeDevice& device = *graphics.lastDevice;
    Managed<Utils::Draw2D::GraphicsDeviceBlitter> deviceBlitter(new Utils::Draw2D::GraphicsDeviceBlitter(&device, 4000));
    Managed<Utils::Effect> plain(new Utils::Effect());
    auto* studio = new Utils::Studio::Root(app.Get(), deviceBlitter.Get(), plain.Get(), &Testing::StudioTestClock);
    studio->SetFont(Utils::GUI::FontResource(face.Get()));
    Utils::Studio::SyncData* sync = studio->GetSyncData();
    const int track = sync->AddTrack(".pulse");
    Utils::Studio::TrackGroup* group = sync->GetTrackGroup(sync->AddTrackGroup(".pulse"));
    group->AddTrack(sync->GetTrack(track));
    sync->BindProbe(track, Utils::ProbeProxy::GetGlobal()->GetProbe("pulse"));
    Utils::Studio::Block* block = sync->GetBlock(sync->CreateBlock(0, 100000, group));
    block->GetPattern(0)->SetKey(Utils::Studio::Key{Utils::Studio::InterpolationLinear, 0.0f, 0.0f, 0});
    block->GetPattern(0)->SetKey(Utils::Studio::Key{Utils::Studio::InterpolationLinear, 1.0f, 1.0f, 100000});
    studio->HandleMouse(Point(100, 100), Testing::MouseDown(100, 100, Input::MouseButtonRight));
    studio->HandleMouse(Point(100, 100), Testing::MouseUp(100, 100, Input::MouseButtonRight));
    ASSERT_TRUE(studio->GetMenu()->IsVisible());
    device.recording = false;
    for (int warm = 0; warm < 3; ++warm) {
        StudioTestSeconds() += 0.02;
        studio->Frame();
    }
    const int pulse = Utils::ProbeProxy::GetGlobal()->GetProbeIndex("pulse");
    const float before = Utils::ProbeProxy::GetGlobal()->GetValue(pulse);
    {
        Testing::AllocationWatch allocations;
        for (int i = 0; i < 20; ++i) {
            StudioTestSeconds() += 0.02;
            studio->Frame();
        }
        EXPECT_EQ(allocations.AllocationCount(), 0u);
    }
    EXPECT_GT(Utils::ProbeProxy::GetGlobal()->GetValue(pulse), before) << "the frames did move the probe";
    studio->Close();
    Utils::GUI::Widget::Collect();
}

class RootJoystickTest : public Testing::StudioRootTest {
protected:
    void PrepareInput() override { pad = input.context->AddJoystick(8, 3); }
    Testing::FakeJoystick* pad = nullptr;
};

TEST_F(RootJoystickTest, AxisTwoScrubsAtTheCubedRateBeyondTheDeadZone)
{
    root->Pause();  // only the axis moves the time
    struct Case {
        float axis;
        double secondsPerSecond;
    };
    // (|v| - 0.25)^3 x -60: the positive side winds back.
    const Case cases[] = {{0.2f, 0.0}, {-0.25f, 0.0}, {0.75f, -7.5}, {-1.0f, 25.3125}, {1.0f, -25.3125}};
    for (const Case& c : cases) {
        root->SetTime(100.0);
        pad->axes[2] = c.axis;
        ASSERT_TRUE(app->Update());
        const double frameTime = app->GetFrameTime();
        ASSERT_GT(frameTime, 0.0);
        root->Frame();
        EXPECT_NEAR(root->GetTime(), 100.0 + frameTime * c.secondsPerSecond, 1e-9) << c.axis;
    }
}

TEST_F(RootJoystickTest, ButtonSevenTogglesPlayOncePerPress)
{
    pad->buttons[7] = true;
    ASSERT_TRUE(app->Update());
    root->Frame();
    EXPECT_TRUE(root->IsPaused());
    ASSERT_TRUE(app->Update());  // still held
    root->Frame();
    EXPECT_TRUE(root->IsPaused());
    pad->buttons[7] = false;
    ASSERT_TRUE(app->Update());
    pad->buttons[7] = true;
    ASSERT_TRUE(app->Update());
    root->Frame();
    EXPECT_FALSE(root->IsPaused());
}

}  // namespace studio_root_test
