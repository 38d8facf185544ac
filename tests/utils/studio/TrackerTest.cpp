// The Tracker over the fake device: keys typed through the root land in the edited block and
// drive the bound probe on the next frame; moving between cells wraps at the edges; function
// keys change a key's interpolation; the grid shows keys between rows and crowded rows; the
// wheel, the resolution and playback scroll it; the root keeps one tracker.
#include "input/KeyCodes.h"
#include "support/AllocationWatch.h"
#include "io/NativeFileSystem.h"
#include "support/MemoryFileSystem.h"
#include "support/TempFolder.h"
#include "utils/draw2d/GraphicsDeviceBlitter.h"
#include "utils/ProbeProxy.h"
#include "utils/gui/Button.h"
#include "utils/gui/DefaultButton.h"
#include "utils/gui/Label.h"
#include "utils/gui/Rectangle.h"
#include "utils/gui/TextBox.h"
#include "utils/studio/ProbeBrowser.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"
#include "utils/studio/TrackerCell.h"

#include "StudioRootFixture.h"

#include <optional>
#include <string>

namespace studio_tracker_test {

using namespace Nimbrel;
using Utils::GUI::Color;
using Utils::Studio::Block;
using SyncKey = Utils::Studio::Key;
using Utils::Studio::Tracker;
using Utils::Studio::TrackerCell;

constexpr int BlockStart = 64;
constexpr int BlockLength = 512;  // 32 rows of a beat

class TrackerTest : public Testing::StudioRootTest {
protected:
    void SetUp() override
    {
        StudioRootTest::SetUp();
        Utils::Studio::SyncData* sync = root->GetSyncData();
        Utils::Studio::TrackGroup* group = sync->GetTrackGroup(sync->AddTrackGroup(".cam"));
        for (const char* name : {".cam.Position.x", ".cam.Position.y", "fade"}) {
            const int track = sync->AddTrack(name);
            group->AddTrack(sync->GetTrack(track));
        }
        sync->BindProbe(0, Utils::ProbeProxy::GetGlobal()->GetProbe("cam.Position.x"));
        block = sync->GetBlock(sync->CreateBlock(BlockStart, BlockLength, group));
        Choose(nullptr, "Tracker");
        tracker = dynamic_cast<Tracker*>(root->GetTracker());
        ASSERT_NE(tracker, nullptr);
        tracker->EditBlock(block);
        root->Frame();
    }

    void Type(const std::string& text)
    {
        for (char c : text)
            Key(static_cast<unsigned char>(c), Input::KeyActionCharacter);
        ASSERT_TRUE(app->Update());
        root->Frame();  // the text box reports its new text when it draws
    }
    void Press(int key)
    {
        Key(key, Input::KeyActionDown);
        Key(key, Input::KeyActionUp);
        ASSERT_TRUE(app->Update());
    }
    std::optional<SyncKey> KeyAt(int column, int time) const
    {
        SyncKey key;
        if (!block->GetPattern(column)->GetKey(time, key))
            return std::nullopt;
        return key;
    }
    // Block column and row of the cell whose text box is being edited.
    std::pair<int, int> EditedCell() const
    {
        for (int c = 0; c < tracker->GetVisibleColumns(); ++c)
            for (int r = 0; r < tracker->GetVisibleRows(); ++r)
                if (tracker->GetCell(c, r)->GetTextBox()->IsActive())
                    return {tracker->GetFirstColumn() + c, tracker->GetFirstRow() + r};
        return {-1, -1};
    }
    float Probe(const char* name)
    {
        Utils::ProbeProxy* probes = Utils::ProbeProxy::GetGlobal();
        return probes->GetValue(probes->GetProbeIndex(name));
    }

    Block* block = nullptr;
    Tracker* tracker = nullptr;
};

TEST_F(TrackerTest, ATypedValueLandsInThePatternAndDrivesTheProbeOnTheNextFrame)
{
    tracker->SelectCell(0, 2);
    Type("1.5, 2");
    EXPECT_EQ(KeyAt(0, 32), (SyncKey{Utils::Studio::InterpolationCosine, 1.5f, 2.0f, 32}));
    EXPECT_STREQ(tracker->GetCell(0, 2)->GetTextBox()->GetText().CStr(), "1.5, 2");

    root->SetTimeQticks(BlockStart + 100);
    root->Frame();
    EXPECT_EQ(Probe("cam.Position.x"), 2.0f) << "after the only key the curve holds its right value";

    for (int i = 0; i < 3; ++i)
        Key(Input::KeyBackspace, Input::KeyActionDown);
    Type("");
    EXPECT_EQ(KeyAt(0, 32), (SyncKey{Utils::Studio::InterpolationCosine, 1.5f, 1.5f, 32})) << "\"1.5\" while deleting";
    Type(", 3");
    EXPECT_EQ(KeyAt(0, 32)->rightValue, 3.0f);
}

TEST_F(TrackerTest, ATypedValueSavedFromTheMenuDrivesTheProbeInAFreshStudio)
{
    Testing::TempFolder temp;
    Managed<IO::NativeFileSystem> folder(IO::NativeFileSystem::Create((temp.Path() + "/").c_str()));
    root->SetDataFolder(Utils::Studio::FolderResource(folder.Get()));
    tracker->SelectCell(0, 3);
    Type("-2.75");
    Choose("Project", "Save Project");
    ASSERT_EQ(root->GetErrorWindow(), nullptr);
    CloseRoot();

    root = MakeRoot();
    root->SetDataFolder(Utils::Studio::FolderResource(folder.Get()));
    root->Load();
    ASSERT_NE(dynamic_cast<Tracker*>(root->GetTracker()), nullptr) << "the layout brings the tracker back";
    root->SetTimeQticks(BlockStart + 3 * 16 + 8);
    root->Frame();
    EXPECT_EQ(Probe("cam.Position.x"), -2.75f);
}

TEST_F(TrackerTest, InvalidTextTurnsTheCellRedAndChangesNothing)
{
    tracker->SelectCell(1, 0);
    Type("4");
    const SyncKey stored = *KeyAt(1, 0);
    TrackerCell* cell = tracker->GetCell(1, 0);
    for (const char* bad : {"x", "1, 2, 3", "1..2", ", 5", "2x", "nan"}) {
        tracker->SelectCell(1, 0);
        Type(bad);
        EXPECT_EQ(cell->GetState(), TrackerCell::StateRejected) << bad;
        EXPECT_EQ(cell->GetBackground()->GetColor(), Color(207, 0, 0, 255)) << bad;
        EXPECT_EQ(KeyAt(1, 0), stored) << bad;
        EXPECT_EQ(block->GetPattern(1)->GetKeyCount(), 1) << bad;
    }
    tracker->SelectCell(1, 0);
    Type("3");
    EXPECT_EQ(cell->GetState(), TrackerCell::StateNormal);
    EXPECT_EQ(KeyAt(1, 0)->leftValue, 3.0f);
}

TEST_F(TrackerTest, CellKeysMoveTheEditAndWrapAtTheEdges)
{
    struct Case {
        int column, row;  // block cell selected first
        std::vector<int> keys;
        int wantColumn, wantRow;
    } cases[] = {
        {0, 0, {Input::KeyUp}, 0, 31},
        {0, 31, {Input::KeyDown}, 0, 0},
        {0, 5, {Input::KeyEnter}, 0, 6},
        {2, 4, {Input::KeyTab}, 0, 4},
        {0, 4, {Input::KeyShift}, 2, 4},  // Shift+Tab, below
        {1, 3, {Input::KeyPageDown}, 1, 19},
        {1, 3, {Input::KeyPageUp}, 1, 19},
        {1, 3, {Input::KeyRight}, 2, 3},  // an empty cell moves on the first press
    };
    for (const Case& c : cases) {
        tracker->SelectCell(c.column - tracker->GetFirstColumn(), c.row - tracker->GetFirstRow());
        ASSERT_EQ(EditedCell(), std::make_pair(c.column, c.row));
        if (c.keys[0] == Input::KeyShift) {
            Key(Input::KeyShift, Input::KeyActionDown);
            Press(Input::KeyTab);
            Key(Input::KeyShift, Input::KeyActionUp);
            ASSERT_TRUE(app->Update());
        } else {
            Press(c.keys[0]);
        }
        EXPECT_EQ(EditedCell(), std::make_pair(c.wantColumn, c.wantRow)) << c.column << "," << c.row << " key " << c.keys[0];
        const int viewRow = c.wantRow - tracker->GetFirstRow();
        EXPECT_TRUE(viewRow >= 0 && viewRow < tracker->GetVisibleRows()) << "scrolled into view";
    }
}

TEST_F(TrackerTest, LeftAndRightLeaveACellWithAKeyOnTheSecondPressAtTheTextEdge)
{
    tracker->SelectCell(1, 0);
    Type("12");  // the caret is at the end
    Press(Input::KeyRight);
    EXPECT_EQ(EditedCell(), std::make_pair(1, 0)) << "the first press only arms";
    Press(Input::KeyRight);
    EXPECT_EQ(EditedCell(), std::make_pair(2, 0));
}

TEST_F(TrackerTest, FunctionKeysStoreTheKeyAgainWithTheirInterpolation)
{
    struct Case {
        int key;
        int interpolation;
        Color stripe;
    } cases[] = {
        {Input::KeyF5, Utils::Studio::InterpolationLinear, Color(0, 0, 255, 255)},
        {Input::KeyF7, Utils::Studio::InterpolationStep, Color(255, 0, 0, 255)},
        {Input::KeyF6, Utils::Studio::InterpolationCosine, Color(0, 255, 0, 255)},
    };
    tracker->SelectCell(0, 1);
    Type("7, 8");
    for (const Case& c : cases) {
        Press(c.key);
        EXPECT_EQ(KeyAt(0, 16), (SyncKey{c.interpolation, 7.0f, 8.0f, 16})) << c.key;
        EXPECT_EQ(tracker->GetCell(0, 1)->GetStripe()->GetColor(), c.stripe) << c.key;
    }
    Press(Input::KeyDown);
    Press(Input::KeyF7);
    EXPECT_EQ(block->GetPattern(0)->GetKeyCount(), 1) << "an empty cell stores no key";
}

TEST_F(TrackerTest, TheGridShowsKeysBetweenRowsAndCrowdedRows)
{
    block->GetPattern(0)->SetKey(SyncKey{Utils::Studio::InterpolationLinear, 1.0f, 1.0f, 20});
    block->GetPattern(1)->SetKey(SyncKey{Utils::Studio::InterpolationLinear, 2.0f, 2.0f, 36});
    block->GetPattern(1)->SetKey(SyncKey{Utils::Studio::InterpolationLinear, 5.0f, 5.0f, 40});
    tracker->Refresh();
    TrackerCell* between = tracker->GetCell(0, 1);
    EXPECT_EQ(between->GetState(), TrackerCell::StateBetweenRows);
    EXPECT_EQ(between->GetBackground()->GetColor(), Color(255, 255, 0, 255));
    EXPECT_STREQ(between->GetTextBox()->GetText().CStr(), "1");
    TrackerCell* crowded = tracker->GetCell(1, 2);
    EXPECT_EQ(crowded->GetState(), TrackerCell::StateSeveralKeys);
    EXPECT_EQ(crowded->GetBackground()->GetColor(), Color(255, 127, 0, 255));
    EXPECT_STREQ(crowded->GetTextBox()->GetText().CStr(), "5") << "the last key of the row shows";

    tracker->SetCellValue(0, 1, 4.0f);
    EXPECT_EQ(KeyAt(0, 20), std::nullopt);
    EXPECT_EQ(KeyAt(0, 16), (SyncKey{Utils::Studio::InterpolationCosine, 4.0f, 4.0f, 16}));
    EXPECT_EQ(tracker->GetCellValue(0, 1), 4.0f);
    EXPECT_EQ(tracker->GetCellValue(0, 2), std::nullopt);
}

TEST_F(TrackerTest, RightOnlyModeKeepsTheLeftValue)
{
    tracker->SetCellValue(2, 3, 1.0f);
    Utils::GUI::Button* mode = tracker->GetModeButton();
    Click(Middle(mode));
    ASSERT_TRUE(tracker->IsRightOnly());
    tracker->SetCellValue(2, 3, 6.0f);
    EXPECT_EQ(KeyAt(2, 48), (SyncKey{Utils::Studio::InterpolationCosine, 1.0f, 6.0f, 48}));
    Click(Middle(mode));
    EXPECT_FALSE(tracker->IsRightOnly());
}

TEST_F(TrackerTest, CellTextAndRowLabelsAreFormattedExactly)
{
    struct Values {
        float left, right;
        const char* text;
    } values[] = {{1.5f, 1.5f, "1.5"}, {2.0f, 2.0f, "2"}, {1.5f, 2.0f, "1.5, 2"}, {0.1234f, 0.1234f, "0.123"},
                  {-3.25f, 10.0f, "-3.25, 10"}, {100.0f, 100.0f, "100"}, {0.0f, 0.0f, "0"}};
    for (const Values& v : values)
        EXPECT_STREQ(TrackerCell::FormatValues(v.left, v.right).CStr(), v.text);
    struct Time {
        int t;
        const char* text;
    } times[] = {{83, "1:1:0:3"}, {0, "0:0:0:0"}, {64, "1:0:0:0"}, {4095, "63:3:3:3"}};
    for (const Time& t : times)
        EXPECT_STREQ(Tracker::FormatTime(t.t).CStr(), t.text);
    struct Name {
        const char* name;
        const char* text;
    } names[] = {{".camera1.Position.x", "Position.x"}, {"fade", "fade"}, {".fade", "fade"}, {"a.b.c", "b.c"}};
    for (const Name& n : names)
        EXPECT_STREQ(Tracker::ShortTrackName(n.name).CStr(), n.text);

    EXPECT_STREQ(tracker->GetRowLabel(1)->GetText().CStr(), "1:1:0:0") << "global time adds the block start";
    EXPECT_STREQ(tracker->GetHeaderLabel(0)->GetText().CStr(), "Position.x");
    tracker->SetTimeMode(false);
    EXPECT_STREQ(tracker->GetRowLabel(1)->GetText().CStr(), "0:1:0:0");
}

TEST_F(TrackerTest, WheelResolutionAndPlaybackScrollTheRows)
{
    Mouse(Testing::MouseWheel(Middle(tracker->GetCell(0, 3)).x, Middle(tracker->GetCell(0, 3)).y, -120));
    ASSERT_TRUE(app->Update());
    EXPECT_EQ(tracker->GetFirstRow(), 4) << "one notch scrolls 4 rows";

    tracker->SetResolution(64);  // Bars
    EXPECT_EQ(tracker->GetFirstRow(), 1);
    tracker->SetResolution(16);
    tracker->SetResolution(1);
    EXPECT_EQ(tracker->GetFirstRow(), 64) << "Beats to Qticks multiplies by 16";

    tracker->SetResolution(16);
    const int rows = tracker->GetVisibleRows();
    root->SetTimeQticks(BlockStart + 16 * (rows + 2) + 3);
    root->Play();
    root->Frame();
    EXPECT_LE(tracker->GetFirstRow(), rows + 2);
    EXPECT_GT(tracker->GetFirstRow() + rows, rows + 2) << "the playing row is in view";
    root->SetTimeQticks(BlockStart);
    root->Frame();
    EXPECT_EQ(tracker->GetFirstRow(), 0);
}

TEST_F(TrackerTest, AnEmptyBlockIgnoresCellSelection)
{
    tracker->EditBlock(nullptr);
    EXPECT_STREQ(tracker->GetTitle().CStr(), "Tracker");
    tracker->SelectCell(3, -2);
    tracker->SetResolution(4);
    root->Play();
    root->Frame();
    EXPECT_EQ(tracker->GetFirstRow(), 0);
    EXPECT_EQ(EditedCell(), std::make_pair(-1, -1));
    tracker->EditBlock(block);
    EXPECT_STREQ(tracker->GetTitle().CStr(), "Tracker - .cam");
}

TEST_F(TrackerTest, TheRootKeepsOneTracker)
{
    Choose(nullptr, "Tracker");
    EXPECT_EQ(root->GetTracker(), tracker) << "chosen twice, the same window";
    tracker->Close();
    EXPECT_EQ(root->GetTracker(), nullptr);
    Choose(nullptr, "Tracker");
    ASSERT_NE(root->GetTracker(), nullptr);
    EXPECT_NE(root->GetTracker(), tracker);

    Managed<Testing::MemoryFileSystem> memory(new Testing::MemoryFileSystem());
    root->SetDataFolder(Utils::Studio::FolderResource(memory.Get()));
    const std::string layout = "<studio_root><tracker pos=\"(10, 20)\" size=\"(500, 250)\"/></studio_root>";
    (*memory)["gui_layout.xml"].assign(layout.begin(), layout.end());
    root->GetSyncData()->Save(memory.Get());
    root->Load();
    auto* loaded = dynamic_cast<Tracker*>(root->GetTracker());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetPosition(), Utils::GUI::Point(10, 20));
    int trackers = 0;
    for (int i = 0; i < root->GetChildCount(); ++i)
        trackers += dynamic_cast<Tracker*>(root->GetChild(i)) && root->GetChild(i)->IsVisible() ? 1 : 0;
    EXPECT_EQ(trackers, 1);

    root->Save();
    const std::string saved((*memory)["gui_layout.xml"].begin(), (*memory)["gui_layout.xml"].end());
    EXPECT_NE(saved.find("<tracker pos=\"(10, 20)\" size=\"(500, 250)\" />"), std::string::npos) << saved;
}

TEST_F(TrackerTest, AFailedLayoutLoadLeavesNoTrackerBehind)
{
    Managed<Testing::MemoryFileSystem> memory(new Testing::MemoryFileSystem());
    root->SetDataFolder(Utils::Studio::FolderResource(memory.Get()));
    root->GetSyncData()->Save(memory.Get());
    const std::string broken = "<studio_root><tracker/><nonsense/></studio_root>";
    (*memory)["gui_layout.xml"].assign(broken.begin(), broken.end());
    EXPECT_THROW(root->Load(), Exception);
    EXPECT_EQ(root->GetTracker(), nullptr) << "the discarded layout's tracker is not the root's";
    root->Frame();
    Choose(nullptr, "Tracker");
    ASSERT_NE(root->GetTracker(), nullptr);
    EXPECT_EQ(root->GetTracker()->GetParent(), root);
}

TEST_F(TrackerTest, TheContextMenuSetsResolutionTimeModeAndEditMode)
{
    struct Case {
        const char* parent;
        const char* item;
        int resolution;
        bool global, rightOnly;
    } cases[] = {
        {"Resolution", "Qticks", 1, true, false}, {"Resolution", "Bars", 64, true, false},
        {"Time Mode", "Local", 64, false, false}, {"Edit Mode", "Right Only", 64, false, true},
        {"Edit Mode", "Both", 64, false, false},  {"Time Mode", "Global", 64, true, false},
    };
    Utils::GUI::Menu* menu = tracker->GetContextMenu();
    auto item = [](Utils::GUI::Menu* in, const char* text) -> Utils::GUI::MenuItem* {
        for (int i = 0; i < in->GetItemCount(); ++i)
            if (in->GetItem(i)->GetText() == text)
                return in->GetItem(i);
        ADD_FAILURE() << "no menu item " << text;
        return nullptr;
    };
    for (const Case& c : cases) {
        Click(Middle(tracker->GetCell(1, 1)), Input::MouseButtonRight);
        root->Frame();
        ASSERT_TRUE(menu->IsVisible()) << c.item;
        Utils::GUI::MenuItem* parent = item(menu, c.parent);
        Click(Middle(parent));
        root->Frame();
        Click(Middle(item(parent->GetSubMenu(), c.item)));
        root->Frame();
        EXPECT_EQ(tracker->GetResolution(), c.resolution) << c.item;
        EXPECT_EQ(tracker->IsGlobalTime(), c.global) << c.item;
        EXPECT_EQ(tracker->IsRightOnly(), c.rightOnly) << c.item;
        EXPECT_STREQ(dynamic_cast<Utils::GUI::DefaultButton*>(tracker->GetModeButton())->GetLabel()->GetText().CStr(), c.rightOnly ? "Right" : "Both");
        EXPECT_FALSE(menu->IsVisible()) << c.item;
    }
}

TEST_F(TrackerTest, ASteadyFrameWithTheTrackerFollowingPlaybackAllocatesNothing)
{
    if (!Testing::AllocationWatch::Available())
        GTEST_SKIP() << "no allocation hooks without AddressSanitizer";
    Testing::FakeDevice& device = *graphics.lastDevice;
    Managed<Utils::Draw2D::GraphicsDeviceBlitter> deviceBlitter(new Utils::Draw2D::GraphicsDeviceBlitter(&device, 20000));
    Managed<Utils::Effect> plain(new Utils::Effect());
    auto* studio = new Utils::Studio::Root(app.Get(), deviceBlitter.Get(), plain.Get(), &Testing::StudioTestClock);
    studio->SetFont(Utils::GUI::FontResource(face.Get()));
    auto* window = new Tracker(studio);
    studio->AddChild(window);
    window->EditBlock(block);
    window->SetCellValue(0, 1, 2.5f);
    studio->SetTimeQticks(BlockStart);
    device.recording = false;
    for (int warm = 0; warm < 3; ++warm) {
        Testing::StudioTestSeconds() += 0.02;
        studio->Frame();
    }
    const int cursorBefore = window->GetCursorLine()->GetPosition().y;
    {
        Testing::AllocationWatch allocations;
        for (int i = 0; i < 20; ++i) {
            Testing::StudioTestSeconds() += 0.02;
            studio->Frame();
        }
        EXPECT_EQ(allocations.AllocationCount(), 0u);
    }
    EXPECT_GT(window->GetCursorLine()->GetPosition().y, cursorBefore) << "the cursor line followed the time";
    studio->Close();
    Utils::GUI::Widget::Collect();
}

class TrackerJoystickTest : public TrackerTest {
protected:
    void PrepareInput() override { pad = input.context->AddJoystick(10, 5); }
    // One press of the button, seen by the next frame.
    void Push(int button)
    {
        pad->buttons[button] = true;
        ASSERT_TRUE(app->Update());
        root->Frame();
        pad->buttons[button] = false;
        ASSERT_TRUE(app->Update());
    }
    Testing::FakeJoystick* pad = nullptr;
};

TEST_F(TrackerJoystickTest, ButtonsRecordClearCycleAndJumpAtTheCursorRow)
{
    root->Pause();
    block->GetPattern(0)->SetKey(SyncKey{Utils::Studio::InterpolationLinear, 0.0f, 0.0f, 0});
    block->GetPattern(0)->SetKey(SyncKey{Utils::Studio::InterpolationLinear, 4.0f, 4.0f, 64});
    block->GetPattern(1)->SetKey(SyncKey{Utils::Studio::InterpolationStep, 9.0f, 9.0f, 36});
    root->SetTimeQticks(BlockStart + 32 + 5);  // row 2

    Push(0);
    EXPECT_EQ(KeyAt(0, 32), (SyncKey{Utils::Studio::InterpolationLinear, 2.0f, 2.0f, 32})) << "the curve's value, the earlier key's interpolation";
    EXPECT_EQ(KeyAt(1, 32), (SyncKey{Utils::Studio::InterpolationCosine, 9.0f, 9.0f, 32})) << "value before the row's inner key, cosine without an earlier key";
    EXPECT_EQ(KeyAt(1, 36), std::nullopt) << "the row's inner keys go";
    EXPECT_EQ(KeyAt(2, 32), (SyncKey{Utils::Studio::InterpolationCosine, 0.0f, 0.0f, 32}));
    EXPECT_STREQ(tracker->GetCell(0, 2)->GetTextBox()->GetText().CStr(), "2") << "the grid shows the new keys";

    const int cycle[] = {Utils::Studio::InterpolationCosine, Utils::Studio::InterpolationStep, Utils::Studio::InterpolationLinear};
    for (int want : cycle) {
        Push(2);
        EXPECT_EQ(KeyAt(0, 32)->interpolation, want);
    }
    Push(3);
    EXPECT_TRUE(tracker->IsRightOnly());

    Push(4);
    EXPECT_NEAR(root->GetTimeQticks(), BlockStart + 0.0, 1e-6) << "the latest key before the row";
    Push(5);
    EXPECT_NEAR(root->GetTimeQticks(), BlockStart + 32.0, 1e-6) << "the earliest key after row 0";
    Push(1);
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(KeyAt(column, 32), std::nullopt) << column;
    Push(5);
    Push(5);
    EXPECT_NEAR(root->GetTimeQticks(), BlockStart + double(BlockLength), 1e-6) << "no later key: the block's end";
}

TEST_F(TrackerJoystickTest, TheStickFliesTheCameraOfTheRowIntoItsColumns)
{
    Utils::ProbeProxy* probes = Utils::ProbeProxy::GetGlobal();
    for (const char* leaf : {"Position.x", "Position.y", "Position.z", "Turn", "Roll", "Pitch", "Fov"})
        probes->GetProbe((std::string("rig.") + leaf).c_str());
    Utils::Studio::SyncData* sync = root->GetSyncData();
    Utils::Studio::TrackGroup* group = sync->GetTrackGroup(Utils::Studio::ProbeBrowser::CreateTrackGroup(root, probes->GetProbe("rig")));
    Block* camera = sync->GetBlock(sync->CreateBlock(0, 256, group));
    tracker->EditBlock(camera);
    root->Pause();
    root->SetTimeQticks(16);  // row 1
    tracker->SetCellValue(6, 1, 45.0f);

    struct Case {
        int axis;
        float value;
        int held;  // button held, or -1
        int column;
        double perSecond;  // change of the column per second of frame time
    } cases[] = {
        {1, -1.0f, -1, 0, 0.421875 * 500.0},   // stick forward: along +x
        {0, 1.0f, -1, 1, -0.421875 * 500.0},   // right: towards -y
        {1, -1.0f, 9, 2, 0.421875 * 500.0},    // with button 9: up
        {3, 1.0f, -1, 3, 0.421875 * 360.0},    // turn
        {3, 1.0f, 8, 4, 0.421875 * 360.0},     // with button 8: roll
        {4, 1.0f, -1, 5, -0.421875 * 360.0},   // pitch
        {4, -1.0f, 8, 6, -0.421875 * 120.0},   // with button 8: field of view
        {0, 0.25f, -1, 0, 0.0},                // inside the dead zone
    };
    for (const Case& c : cases) {
        tracker->SetCellValue(0, 1, 0.0f);
        tracker->SetCellValue(1, 1, 0.0f);
        tracker->SetCellValue(2, 1, 0.0f);
        const float before = tracker->GetCellValue(c.column, 1).value_or(0.0f);
        pad->axes[c.axis] = c.value;
        if (c.held >= 0)
            pad->buttons[c.held] = true;
        ASSERT_TRUE(app->Update());
        const double frameTime = app->GetFrameTime();
        root->Frame();
        pad->axes[c.axis] = 0.0f;
        if (c.held >= 0)
            pad->buttons[c.held] = false;
        EXPECT_NEAR(tracker->GetCellValue(c.column, 1).value_or(0.0f) - before, c.perSecond * frameTime, 1e-3)
            << "axis " << c.axis << " column " << c.column;
    }
}

}  // namespace studio_tracker_test
