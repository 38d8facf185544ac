// The Sequencer driven by mouse and key events at the pixel positions of its time area: drawing
// blocks on rows, dragging and snapping them, selecting, copying, pasting and deleting, the
// ruler and the wheel moving the time, the block menu, data that changes under the window, and
// a project saved and loaded back byte for byte.
#include "input/KeyCodes.h"
#include "support/AllocationWatch.h"
#include "utils/draw2d/GraphicsDeviceBlitter.h"
#include "support/MemoryFileSystem.h"
#include "utils/gui/Label.h"
#include "utils/gui/Panel.h"
#include "utils/gui/ScrollBar.h"
#include "utils/gui/Slider.h"
#include "utils/gui/Button.h"
#include "utils/studio/CameraEditor.h"
#include "utils/xml/Element.h"
#include "utils/studio/Sequencer.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"

#include "StudioRootFixture.h"

#include <cmath>
#include <string>
#include <vector>

namespace studio_sequencer_test {

using namespace Nimbrel;
using Utils::GUI::Point;
using Utils::Studio::Block;
using Utils::Studio::Sequencer;
using Utils::Studio::SyncData;

class SequencerTest : public Testing::StudioRootTest {
protected:
    void SetUp() override
    {
        StudioRootTest::SetUp();
        root->Pause();
        sync = root->GetSyncData();
        for (const char* name : {".a", ".b"}) {
            Utils::Studio::TrackGroup* group = sync->GetTrackGroup(sync->AddTrackGroup(name));
            group->AddTrack(sync->GetTrack(sync->AddTrack((std::string(name) + ".x").c_str())));
        }
        sequencer = Open();
        ASSERT_NE(sequencer, nullptr);
    }
    // A frame a little later: edits made behind the window's back show within 0.03 seconds.
    void Frame()
    {
        Testing::GuiTestTime() += 0.05;
        root->Frame();
    }
    // Opens a sequencer from the root's menu and draws it once.
    Sequencer* Open()
    {
        const int before = root->GetChildCount();
        Choose("Syncing", "Sequencer");
        Frame();
        for (int i = 0; i < root->GetChildCount(); ++i)
            if (auto* found = dynamic_cast<Sequencer*>(root->GetChild(i)); found && i >= before - 1)
                return found;
        return nullptr;
    }
    // The screen point of a time (in bars) on a row; row -1 is the ruler.
    Point At(double bars, int row) const
    {
        const Point area = sequencer->GetTimeArea()->GetScreenPosition();
        const int x = static_cast<int>(std::lround(sequencer->ToPixels(bars * 64.0)));
        const int y = row < 0 ? Sequencer::RulerHeight / 2
                              : Sequencer::RulerHeight + row * Sequencer::RowHeight + Sequencer::RowHeight / 2;
        return area + Point(x, y);
    }
    void Send(const Input::MouseEvent& event)
    {
        Mouse(event);
        ASSERT_TRUE(app->Update());
        Frame();
    }
    void Press(Point at, int button = Input::MouseButtonLeft)
    {
        Mouse(Testing::MouseMove(at.x, at.y));
        Send(Testing::MouseDown(at.x, at.y, button));
    }
    void DragTo(Point at) { Send(Testing::MouseMove(at.x, at.y, Input::MouseButtonLeft)); }
    void Release(Point at, int button = Input::MouseButtonLeft) { Send(Testing::MouseUp(at.x, at.y, button)); }
    void Draw(double fromBar, double toBar, int row)
    {
        Press(At(fromBar, row));
        DragTo(At(toBar, row));
        Release(At(toBar, row));
    }
    void ClickAt(Point at, int button = Input::MouseButtonLeft)
    {
        Press(at, button);
        Release(at, button);
    }
    // The middle of a block's panel.
    Point OnBlock(int index) const
    {
        Utils::GUI::Panel* panel = sequencer->GetBlockPanel(index);
        EXPECT_NE(panel, nullptr) << "block " << index << " has no panel";
        return panel ? Middle(panel) : Point(0, 0);
    }
    void PressKey(int key)
    {
        Key(key, Input::KeyActionDown);
        Key(key, Input::KeyActionUp);
        ASSERT_TRUE(app->Update());
        Frame();
    }
    void ChooseBlockMenu(Point at, const char* text)
    {
        ClickAt(at, Input::MouseButtonRight);
        Utils::GUI::Menu* menu = sequencer->GetBlockMenu();
        ASSERT_TRUE(menu->IsVisible());
        for (int i = 0; i < menu->GetItemCount(); ++i)
            if (menu->GetItem(i)->GetText() == text) {
                Press(Middle(menu->GetItem(i)));
                Release(Middle(menu->GetItem(i)));
                return;
            }
        FAIL() << "no block menu item " << text;
    }
    std::vector<std::pair<int, int>> Blocks() const
    {
        std::vector<std::pair<int, int>> blocks;
        for (int i = 0; i < sync->GetBlockCount(); ++i)
            if (Block* block = sync->GetBlock(i))
                blocks.emplace_back(block->GetStart(), block->GetLength());
        return blocks;
    }
    std::vector<int> Selection() const
    {
        const Array<int>& selection = sequencer->GetSelection();
        return std::vector<int>(selection.begin(), selection.end());
    }

    SyncData* sync = nullptr;
    Sequencer* sequencer = nullptr;
};

TEST_F(SequencerTest, DrawingAlongARowCreatesABlockFromTheNearestBarToTheNearestBar)
{
    struct Case {
        double from, to;
        int row;
        std::vector<std::pair<int, int>> blocks;
        int group;
    };
    const Case cases[] = {
        {2.4, 5.6, 0, {{128, 256}}, 0},
        {2.4, 5.6, 1, {{128, 256}}, 1},
        {5.6, 2.4, 0, {}, -1},  // backwards
        {3.1, 3.4, 0, {}, -1},  // within one bar
        {2.4, 5.6, 4, {}, -1},  // a row without a group
        {-1.0, 0.0, -1, {}, -1},  // along the ruler
    };
    for (const Case& c : cases) {
        for (int i = 0; i < sync->GetBlockCount(); ++i)
            if (sync->GetBlock(i))
                sync->DeleteBlock(i);
        const int first = sync->GetBlockCount();
        Draw(c.from, c.to, c.row);
        std::vector<std::pair<int, int>> blocks = Blocks();
        EXPECT_EQ(blocks, c.blocks) << c.from << " to " << c.to << " on row " << c.row;
        if (c.group >= 0 && sync->GetBlockCount() > first) {
            EXPECT_EQ(sync->GetBlock(first)->GetGroup(), sync->GetTrackGroup(c.group));
            EXPECT_NE(sequencer->GetBlockPanel(first), nullptr) << "the new block is shown";
        }
    }
}

TEST_F(SequencerTest, DraggingMovesByWholeQticksNeverBelowZeroAndReleaseSnapsToTheNearestBar)
{
    // At zoom 0 a pixel is 10.67 qticks: each one-pixel step moves the block by 10.
    struct Case {
        int start;
        int steps;  // one pixel each, right when positive
        int beforeRelease;
        int afterRelease;
    };
    const Case cases[] = {
        {128, 10, 228, 256},  // 3.56 bars round up
        {128, 3, 158, 128},   // 2.47 bars round down
        {128, -30, 0, 0},     // stops at 0
        {256, -8, 176, 192},  // 2.75 bars
    };
    for (const Case& c : cases) {
        const int index = sync->CreateBlock(c.start, 256, sync->GetTrackGroup(0));
        Frame();
        Point at = OnBlock(index);
        Press(at);
        for (int i = 0; i < std::abs(c.steps); ++i) {
            at.x += c.steps > 0 ? 1 : -1;
            DragTo(at);
        }
        EXPECT_EQ(sync->GetBlock(index)->GetStart(), c.beforeRelease) << "from " << c.start << " by " << c.steps;
        Release(at);
        EXPECT_EQ(sync->GetBlock(index)->GetStart(), c.afterRelease) << "from " << c.start << " by " << c.steps;
        EXPECT_EQ(sync->GetBlock(index)->GetLength(), 256);
        sync->DeleteBlock(index);
    }
}

TEST_F(SequencerTest, CtrlClicksSelectSeveralBlocksThatCopyAndPasteAtTheTimeKeepingTheirDistances)
{
    const int a = sync->CreateBlock(128, 128, sync->GetTrackGroup(0));
    const int b = sync->CreateBlock(320, 64, sync->GetTrackGroup(1));
    sync->GetBlock(a)->GetPattern(0)->SetKey(Utils::Studio::Key{0, 1.5f, 1.5f, 16});
    Frame();
    const Utils::GUI::Color colourA = sequencer->GetBlockColour(a);
    const Utils::GUI::Color colourB = sequencer->GetBlockColour(b);

    ClickAt(OnBlock(a));
    ClickAt(OnBlock(b));
    EXPECT_EQ(Selection(), std::vector<int>{b}) << "a plain click replaces the selection";
    Key(Input::KeyControl, Input::KeyActionDown);
    ClickAt(OnBlock(a));
    ClickAt(OnBlock(a));
    EXPECT_EQ(Selection(), (std::vector<int>{b, a})) << "Ctrl adds, and a selected block stays selected";
    EXPECT_EQ(sequencer->GetBlockPanel(a)->GetColor(), Utils::GUI::Color(255, 0, 0, 255));

    root->SetTimeQticks(1000);
    PressKey('C');
    PressKey('V');
    Key(Input::KeyControl, Input::KeyActionUp);
    ASSERT_EQ(sync->GetBlockCount(), 4);
    EXPECT_EQ(Blocks(), (std::vector<std::pair<int, int>>{{128, 128}, {320, 64}, {1192, 64}, {1000, 128}}));
    EXPECT_EQ(Selection(), (std::vector<int>{2, 3}));
    EXPECT_EQ(sequencer->GetBlockColour(2), colourB);
    EXPECT_EQ(sequencer->GetBlockColour(3), colourA);
    EXPECT_EQ(sync->GetBlock(3)->GetGroup(), sync->GetTrackGroup(0));
    EXPECT_NE(sync->GetBlock(3)->GetPattern(0), sync->GetBlock(a)->GetPattern(0)) << "a clone, not a share";
    EXPECT_EQ(sync->GetBlock(3)->GetPattern(0)->GetKeyCount(), 1);
    EXPECT_DOUBLE_EQ(root->GetTimeQticks(), 1256.0) << "a paused root jumps to the end of the paste";

    ClickAt(At(20.0, 0));
    EXPECT_TRUE(Selection().empty()) << "a press on an empty spot clears the selection";
}

TEST_F(SequencerTest, DeleteReleasedRemovesTheSelectionAndDeleteTrackRemovesTheRowAndItsBlocks)
{
    const int a = sync->CreateBlock(0, 128, sync->GetTrackGroup(0));
    const int b = sync->CreateBlock(128, 128, sync->GetTrackGroup(1));
    const int c = sync->CreateBlock(320, 128, sync->GetTrackGroup(1));
    Frame();
    ClickAt(OnBlock(a));
    Key(Input::KeyDelete, Input::KeyActionDown);
    ASSERT_TRUE(app->Update());
    EXPECT_NE(sync->GetBlock(a), nullptr) << "pressing Delete does nothing yet";
    Key(Input::KeyDelete, Input::KeyActionUp);
    ASSERT_TRUE(app->Update());
    Frame();
    EXPECT_EQ(sync->GetBlock(a), nullptr);
    EXPECT_EQ(sequencer->GetBlockPanel(a), nullptr);
    EXPECT_TRUE(Selection().empty());

    ChooseBlockMenu(At(10.0, 1), "Delete Track");
    EXPECT_FALSE(sequencer->GetBlockMenu()->IsVisible());
    ASSERT_EQ(sync->GetTrackGroupCount(), 1);
    EXPECT_EQ(sync->GetTrackGroup(0)->GetName(), ".a");
    EXPECT_EQ(sync->GetBlock(b), nullptr);
    EXPECT_EQ(sync->GetBlock(c), nullptr);
    EXPECT_STREQ(sequencer->GetNameLabel(0)->GetText().CStr(), ".a");
    EXPECT_STREQ(sequencer->GetNameLabel(1)->GetText().CStr(), "") << "the row is gone";

    // A right click below the last group targets none: Delete Track does nothing.
    ChooseBlockMenu(At(10.0, 5), "Delete Track");
    EXPECT_EQ(sync->GetTrackGroupCount(), 1);
}

TEST_F(SequencerTest, SelectionAndClipboardOutliveTheGroupsAndBlocksUnderThem)
{
    const int a = sync->CreateBlock(64, 64, sync->GetTrackGroup(0));
    const int b = sync->CreateBlock(256, 64, sync->GetTrackGroup(1));
    Frame();
    ClickAt(OnBlock(a));
    EXPECT_EQ(sequencer->Copy(), 128);

    sync->RemoveTrackGroup(sync->GetTrackGroup(0));
    Frame();
    EXPECT_TRUE(Selection().empty()) << "the removed group's block left the selection";
    EXPECT_EQ(sequencer->Paste(1000), 1000) << "a block whose group is gone is not pasted";
    EXPECT_EQ(sync->GetBlockCount(), 2);
    sequencer->DeleteSelection();
    EXPECT_NE(sync->GetBlock(b), nullptr);

    // A Load that brings fewer blocks leaves a selection of vanished indices behind.
    Managed<Testing::MemoryFileSystem> folder(new Testing::MemoryFileSystem());
    sync->Save(folder.Get());
    for (int i = 0; i < 3; ++i)
        sync->CreateBlock(512 + 128 * i, 64, sync->GetTrackGroup(0));
    Frame();
    ClickAt(OnBlock(4));
    sync->Load(folder.Get());
    Frame();
    EXPECT_TRUE(Selection().empty());
    sequencer->DeleteSelection();
    EXPECT_EQ(Blocks(), (std::vector<std::pair<int, int>>{{256, 64}}));

    // With no clipboard at all nothing is pasted and the time stays.
    Sequencer* fresh = Open();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Paste(700), 700);
    EXPECT_EQ(sync->GetBlockCount(), 2);
}

TEST_F(SequencerTest, PanelsAreReusedFromOneRebuildToTheNext)
{
    for (int i = 0; i < 6; ++i)
        sync->CreateBlock(128 * i, 64, sync->GetTrackGroup(i % 2));
    Frame();
    const int widgets = Utils::GUI::Widget::GetWidgetCount();
    EXPECT_EQ(sequencer->GetPanelCount(), 6);
    for (int i = 0; i < 20; ++i) {
        sequencer->Rebuild();
        Frame();
    }
    sync->DeleteBlock(1);
    sync->DeleteBlock(2);
    sync->CreateBlock(1024, 64, sync->GetTrackGroup(0));
    Frame();
    EXPECT_EQ(sequencer->GetPanelCount(), 6);
    EXPECT_EQ(Utils::GUI::Widget::GetWidgetCount(), widgets);
    EXPECT_EQ(sequencer->GetBlockPanel(1), nullptr);
    ASSERT_NE(sequencer->GetBlockPanel(6), nullptr);
    EXPECT_EQ(sequencer->GetBlockPanel(6)->GetPosition().x, static_cast<int>(std::lround(sequencer->ToPixels(1024))));
}

TEST_F(SequencerTest, TheRulerAndTheWheelMoveTheTimeAndALeftClickEditsTheBlockInTheTracker)
{
    EXPECT_DOUBLE_EQ(sequencer->GetZoom(), 0.0) << "the zoom bar's value from the first drawing on";
    Press(At(10.0, -1));
    EXPECT_NEAR(root->GetTimeQticks(), 640.0, 64.0 / 6.0);
    const double pressed = root->GetTimeQticks();
    DragTo(At(10.0, -1) + Point(12, 0));
    EXPECT_NEAR(root->GetTimeQticks(), pressed + 128.0, 1e-6) << "12 pixels at 6 pixels per bar";
    Release(At(12.0, -1));
    EXPECT_TRUE(Selection().empty());

    const double seconds = root->GetTime();
    Send(Testing::MouseWheel(At(5.0, 0).x, At(5.0, 0).y, 120));
    EXPECT_NEAR(root->GetTime(), seconds + 1.2, 1e-9);

    Choose(nullptr, "Tracker");
    auto* tracker = dynamic_cast<Utils::Studio::Tracker*>(root->GetTracker());
    ASSERT_NE(tracker, nullptr);
    const int index = sync->CreateBlock(64, 256, sync->GetTrackGroup(1));
    root->BringToFront(sequencer);
    Frame();
    ClickAt(OnBlock(index));
    EXPECT_EQ(tracker->GetBlock(), sync->GetBlock(index));
}

TEST_F(SequencerTest, TheZoomBarScrollBarAndPlayingTimeSetTheView)
{
    const int index = sync->CreateBlock(384, 64, sync->GetTrackGroup(0));
    sequencer->GetZoomBar()->SetValue(40.0f);
    Frame();
    EXPECT_DOUBLE_EQ(sequencer->GetZoom(), 40.0);
    ASSERT_NE(sequencer->GetBlockPanel(index), nullptr);
    EXPECT_EQ(sequencer->GetBlockPanel(index)->GetSize().x, 30) << "a bar is 30 pixels at zoom 40";

    sequencer->GetScrollBar()->SetScrollPosition(5);
    Frame();
    EXPECT_DOUBLE_EQ(sequencer->GetViewStart(), 320.0);
    EXPECT_STREQ(sequencer->GetRulerLabel(0)->GetText().CStr(), "5");
    EXPECT_EQ(sequencer->GetBlockPanel(index)->GetPosition().x, 30);

    // Paused, the view stays wherever the time goes; playing, it follows the time.
    root->SetTimeQticks(64.0 * 200);
    Frame();
    EXPECT_DOUBLE_EQ(sequencer->GetViewStart(), 320.0);
    root->Play();
    Frame();
    EXPECT_EQ(sequencer->GetScrollBar()->GetScrollPosition(), 199);
    EXPECT_DOUBLE_EQ(sequencer->GetViewStart(), 64.0 * 199);
    const int markerX = sequencer->GetMarker()->GetPosition().x;
    EXPECT_GE(markerX, 0);
    EXPECT_LE(markerX, sequencer->GetTimeArea()->GetSize().x - 30);
    EXPECT_EQ(sequencer->GetBlockPanel(index), nullptr) << "out of view";
}

TEST_F(SequencerTest, TheBlockMenuEditsCopiesAndPastesTheSelection)
{
    Choose(nullptr, "Tracker");
    auto* tracker = dynamic_cast<Utils::Studio::Tracker*>(root->GetTracker());
    ASSERT_NE(tracker, nullptr);
    tracker->SetPosition(400, 500);
    const int index = sync->CreateBlock(64, 128, sync->GetTrackGroup(1));
    root->BringToFront(sequencer);
    Frame();
    const Point block = OnBlock(index);
    Press(block);
    Release(block);
    tracker->EditBlock(nullptr);

    ClickAt(block, Input::MouseButtonRight);
    Utils::GUI::MenuItem* editIn = sequencer->GetBlockMenu()->GetItem(0);
    ASSERT_STREQ(editIn->GetText().CStr(), "Edit Block in");
    ClickAt(Middle(editIn));
    Utils::GUI::Menu* sub = editIn->PeekSubMenu();
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(sub->IsVisible());
    ClickAt(Middle(sub->GetItem(0)));
    EXPECT_EQ(tracker->GetBlock(), sync->GetBlock(index));
    EXPECT_FALSE(sequencer->GetBlockMenu()->IsVisible());

    ChooseBlockMenu(block, "Copy Block(s)");
    root->SetTimeQticks(640);
    ChooseBlockMenu(At(30.0, 3), "Paste Block(s)");
    EXPECT_EQ(Blocks(), (std::vector<std::pair<int, int>>{{64, 128}, {640, 128}}));
    EXPECT_DOUBLE_EQ(root->GetTimeQticks(), 768.0);
    ChooseBlockMenu(At(30.0, 3), "Delete Block(s)");
    EXPECT_EQ(sync->GetBlockCount(), 2) << "the right click on an empty spot cleared the selection";
    ChooseBlockMenu(OnBlock(1), "Delete Block(s)");
    EXPECT_EQ(Blocks(), (std::vector<std::pair<int, int>>{{64, 128}}));
}

// The camera editor is an empty window: it holds no reference to the block it was opened for,
// outlives it, closes with its button and leaves nothing in the saved layout.
TEST_F(SequencerTest, EditBlockInCameraEditorOpensAnEmptyWindowThatKeepsNothing)
{
    const int index = sync->CreateBlock(64, 128, sync->GetTrackGroup(0));
    Frame();
    const auto editors = [this] {
        std::vector<Utils::Studio::CameraEditor*> found;
        for (int i = 0; i < root->GetChildCount(); ++i)
            if (auto* editor = dynamic_cast<Utils::Studio::CameraEditor*>(root->GetChild(i)))
                found.push_back(editor);
        return found;
    };
    const auto chooseCameraEditor = [this](Point at) {
        ClickAt(at, Input::MouseButtonRight);
        Utils::GUI::MenuItem* editIn = sequencer->GetBlockMenu()->GetItem(0);
        ClickAt(Middle(editIn));
        Utils::GUI::MenuItem* item = editIn->PeekSubMenu()->GetItem(1);
        ASSERT_STREQ(item->GetText().CStr(), "Camera Editor");
        EXPECT_FALSE(item->IsDisabled());
        ClickAt(Middle(item));
    };

    chooseCameraEditor(At(30.0, 3));
    EXPECT_TRUE(editors().empty()) << "nothing selected, nothing opened";
    EXPECT_FALSE(sequencer->GetBlockMenu()->IsVisible());

    const int references = sync->GetBlock(index)->GetRefCount();
    chooseCameraEditor(OnBlock(index));
    ASSERT_EQ(editors().size(), 1u);
    Utils::Studio::CameraEditor* editor = editors()[0];
    EXPECT_TRUE(editor->IsVisible());
    EXPECT_STREQ(editor->GetTitle().CStr(), "Applet");
    EXPECT_EQ(editor->GetClient()->GetChildCount(), 0);
    EXPECT_EQ(sync->GetBlock(index)->GetRefCount(), references);
    Managed<Utils::Xml::Element> layout(root->SaveLayout());
    std::vector<std::string> saved;
    for (Utils::Xml::Element* child = layout->GetFirstChild(); child; child = child->GetNextSibling())
        saved.push_back(child->GetName().CStr());
    EXPECT_EQ(saved, std::vector<std::string>{"sequencer"});

    sync->DeleteBlock(index);
    Frame();
    editor->SetPosition(300, 60);
    Frame();
    ClickAt(Middle(editor->GetCloseButton()));
    EXPECT_TRUE(editors().empty());
}

TEST_F(SequencerTest, ASteadyFrameRebuildingWhilePlayingAllocatesNothing)
{
    if (!Testing::AllocationWatch::Available())
        GTEST_SKIP() << "no allocation hooks without AddressSanitizer";
    Testing::FakeDevice& device = *graphics.lastDevice;
    Managed<Utils::Draw2D::GraphicsDeviceBlitter> deviceBlitter(new Utils::Draw2D::GraphicsDeviceBlitter(&device, 20000));
    Managed<Utils::Effect> plain(new Utils::Effect());
    auto* studio = new Utils::Studio::Root(app.Get(), deviceBlitter.Get(), plain.Get(), &Testing::StudioTestClock);
    studio->SetFont(Utils::GUI::FontResource(face.Get()));
    SyncData* data = studio->GetSyncData();
    Utils::Studio::TrackGroup* group = data->GetTrackGroup(data->AddTrackGroup(".g"));
    for (int i = 0; i < 8; ++i)
        data->CreateBlock(256 * i, 128, group);
    Sequencer* window = studio->OpenSequencer();
    window->Select(2);
    studio->Play();
    device.recording = false;
    const auto step = [&] {
        Testing::StudioTestSeconds() += 0.1;
        Testing::GuiTestTime() += 0.05;
        studio->Frame();
    };
    for (int warm = 0; warm < 3; ++warm)
        step();
    const int markerBefore = window->GetMarker()->GetPosition().x;
    {
        Testing::AllocationWatch allocations;
        for (int i = 0; i < 40; ++i)
            step();
        EXPECT_EQ(allocations.AllocationCount(), 0u);
    }
    EXPECT_GT(window->GetMarker()->GetPosition().x, markerBefore) << "the marker followed the time";
    studio->Close();
    Utils::GUI::Widget::Collect();
}

TEST_F(SequencerTest, AProjectWithDrawnAndDraggedBlocksLoadsBackAndSavesTheSameBytes)
{
    Managed<Testing::MemoryFileSystem> folder(new Testing::MemoryFileSystem());
    root->SetDataFolder(Utils::Studio::FolderResource(folder.Get()));
    Draw(1.0, 3.0, 0);
    Draw(2.0, 6.0, 1);
    Point at = OnBlock(0);
    Press(at);
    for (int i = 0; i < 12; ++i) {
        at.x += 1;
        DragTo(at);
    }
    Release(at);
    ASSERT_EQ(Blocks(), (std::vector<std::pair<int, int>>{{192, 128}, {128, 256}}));
    sequencer->SetPosition(30, 250);
    root->Save();
    const std::vector<uint8_t> data = (*folder)["syncdata.bin"];
    const std::vector<uint8_t> layout = (*folder)["gui_layout.xml"];
    EXPECT_NE(std::string(layout.begin(), layout.end()).find("<sequencer pos=\"(30, 250)\" size=\"(960, 240)\" />"),
              std::string::npos);

    CloseRoot();
    root = MakeRoot();
    root->SetDataFolder(Utils::Studio::FolderResource(folder.Get()));
    root->Load();
    sync = root->GetSyncData();
    EXPECT_EQ(Blocks(), (std::vector<std::pair<int, int>>{{192, 128}, {128, 256}}));
    int sequencers = 0;
    for (int i = 0; i < root->GetChildCount(); ++i)
        if (auto* loaded = dynamic_cast<Sequencer*>(root->GetChild(i))) {
            ++sequencers;
            EXPECT_EQ(loaded->GetPosition(), Point(30, 250));
        }
    EXPECT_EQ(sequencers, 1);
    Frame();
    root->Save();
    EXPECT_EQ((*folder)["syncdata.bin"], data);
    EXPECT_EQ((*folder)["gui_layout.xml"], layout);
}

}  // namespace studio_sequencer_test
