// Saving and loading a Studio project: the pair of files written under temporary names and
// renamed only when both are whole, the layout text, a fresh root restoring windows and sync
// data, repeated loads, damaged files and failing disks.
#include "io/NativeFileSystem.h"
#include "support/Expect.h"
#include "support/MemoryFileSystem.h"
#include "support/TempFolder.h"
#include "utils/gui/Applet.h"
#include "utils/gui/PointText.h"
#include "utils/ProbeProxy.h"
#include "utils/studio/ProbeMonitor.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"
#include "utils/xml/RWElement.h"

#include "StudioRootFixture.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <typeinfo>
#include <string>

namespace studio_root_files_test {

using namespace Nimbrel;
using Testing::MemoryFileSystem;
using Utils::GUI::Point;
using Utils::GUI::Widget;
using Utils::Studio::FolderResource;

// A window that saves itself as a plain "widget" element, which the layout loader reads back.
class LayoutWindow : public Widget {
public:
    explicit LayoutWindow(Utils::Draw2D::Blitter* painter) : Widget(painter) {}
    Utils::Xml::Element* SaveLayout() override
    {
        Utils::Xml::RWElement* element = Utils::Xml::CreateElement();
        element->SetName("widget");
        element->SetAttribute("pos", Utils::GUI::FormatPoint(GetPosition()));
        element->SetAttribute("size", Utils::GUI::FormatPoint(GetSize()));
        return element;
    }
};

using WindowList = std::vector<std::pair<Point, Point>>;

class RootFilesTest : public Testing::StudioRootTest {
protected:
    void AddWindow(Point position, Point size)
    {
        auto* window = new LayoutWindow(blitter.Get());
        root->AddChild(window);
        window->SetPosition(position);
        window->SetSize(size);
    }
    void AddTracks(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            root->GetSyncData()->AddTrack(name);
    }
    // Position and size of each child of the root that is neither a menu nor an applet the
    // root made itself.
    WindowList Placed() const
    {
        WindowList windows;
        for (int i = 0; i < root->GetChildCount(); ++i) {
            Widget* child = root->GetChild(i);
            if (!dynamic_cast<Utils::GUI::Menu*>(child) && !dynamic_cast<Utils::GUI::Applet*>(child))
                windows.emplace_back(child->GetPosition(), child->GetSize());
        }
        return windows;
    }
    std::string Text(const std::string& path) { return std::string((*memory)[path].begin(), (*memory)[path].end()); }
    void UseMemoryFolder() { root->SetDataFolder(FolderResource(memory.Get())); }
    static std::string Geometry(Widget* window)
    {
        return std::string(Utils::GUI::FormatPoint(window->GetPosition()).CStr()) + " " +
               Utils::GUI::FormatPoint(window->GetSize()).CStr();
    }

    Managed<MemoryFileSystem> memory{new MemoryFileSystem()};
};

TEST_F(RootFilesTest, SaveWritesTheLayoutAndTheSyncDataUnderTemporaryNamesFirst)
{
    UseMemoryFolder();
    AddWindow({120, 40}, {300, 200});
    AddWindow({10, 20}, {64, 48});
    root->Save();
    EXPECT_EQ(Text("gui_layout.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                      "<studio_root >\n"
                                      "  <widget pos=\"(120, 40)\" size=\"(300, 200)\" />\n"
                                      "  <widget pos=\"(10, 20)\" size=\"(64, 48)\" />\n"
                                      "</studio_root>\n");
    EXPECT_EQ(memory->operations,
              std::vector<std::string>({"open w gui_layout.xml.tmp", "open r gui_layout.xml.tmp", "open w syncdata.bin.tmp",
                                        "open r syncdata.bin.tmp", "move gui_layout.xml.tmp -> gui_layout.xml",
                                        "move syncdata.bin.tmp -> syncdata.bin"}));
}

TEST_F(RootFilesTest, SaveThenLoadIntoAFreshRootRestoresWindowsAndSyncData)
{
    Testing::TempFolder temp;
    Managed<IO::NativeFileSystem> folder(IO::NativeFileSystem::Create((temp.Path() + "/").c_str()));
    root->SetDataFolder(FolderResource(folder.Get()));
    AddWindow({120, 40}, {300, 200});
    AddWindow({10, 20}, {64, 48});
    AddTracks({".cam.x", ".fade"});
    root->Save();
    const WindowList saved = Placed();
    CloseRoot();

    root = MakeRoot();
    root->SetDataFolder(FolderResource(folder.Get()));
    root->Load();
    EXPECT_EQ(Placed(), saved);
    ASSERT_EQ(root->GetSyncData()->GetTrackCount(), 2);
    EXPECT_STREQ(root->GetSyncData()->GetTrack(1)->GetName().CStr(), ".fade");
    for (int i = 0; i < root->GetChildCount(); ++i) {
        if (!dynamic_cast<Utils::GUI::Menu*>(root->GetChild(i))) {
            EXPECT_TRUE(root->GetChild(i)->IsVisible()) << "loaded windows are shown";
        }
    }
}

TEST_F(RootFilesTest, ATrackerAndAWatchingMonitorAreWrittenInTheLayoutFormatAndComeBackInAFreshRoot)
{
    Testing::TempFolder temp;
    Managed<IO::NativeFileSystem> folder(IO::NativeFileSystem::Create((temp.Path() + "/").c_str()));
    root->SetDataFolder(FolderResource(folder.Get()));
    Utils::ProbeProxy* probes = Utils::ProbeProxy::GetGlobal();
    Utils::Studio::SyncData* sync = root->GetSyncData();
    Utils::Studio::TrackGroup* group = sync->GetTrackGroup(sync->AddTrackGroup(".camera1"));
    const int track = sync->AddTrack(".camera1.Position.x");
    group->AddTrack(sync->GetTrack(track));
    sync->BindProbe(track, probes->GetProbe("camera1.Position.x"));
    Utils::Studio::Block* block = sync->GetBlock(sync->CreateBlock(64, 256, group));
    block->GetPattern(0)->SetKey(Utils::Studio::Key{Utils::Studio::InterpolationLinear, 2.5f, 2.5f, 16});

    Choose(nullptr, "Tracker");
    Widget* tracker = root->GetTracker();
    ASSERT_NE(tracker, nullptr);
    tracker->SetPosition(120, 40);
    Utils::Studio::ProbeMonitor* monitor = root->OpenProbeMonitor();
    monitor->AddWatch(probes->GetProbe("camera1.Position.x"));
    monitor->AddWatch(probes->GetProbe("fade"));
    monitor->SetPosition(10, 360);
    monitor->SetSize(400, 58);
    root->Save();
    std::ifstream file(temp.Path() + "/gui_layout.xml", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<studio_root >\n"
                       "  <tracker pos=\"(120, 40)\" size=\"(600, 300)\" />\n"
                       "  <probe_monitor pos=\"(10, 360)\" size=\"(400, 58)\" >\n"
                       "    <watch probe=\".camera1.Position.x\" />\n"
                       "    <watch probe=\".fade\" />\n"
                       "  </probe_monitor>\n"
                       "</studio_root>\n");
    CloseRoot();

    root = MakeRoot();
    root->SetDataFolder(FolderResource(folder.Get()));
    root->Load();
    auto* loadedTracker = dynamic_cast<Utils::Studio::Tracker*>(root->GetTracker());
    ASSERT_NE(loadedTracker, nullptr) << "the loaded tracker is the root's";
    EXPECT_EQ(loadedTracker->GetParent(), root);
    EXPECT_EQ(loadedTracker->GetPosition(), Point(120, 40));
    EXPECT_EQ(loadedTracker->GetSize(), Point(600, 300));
    std::vector<Utils::Studio::ProbeMonitor*> monitors;
    for (int i = 0; i < root->GetChildCount(); ++i)
        if (auto* found = dynamic_cast<Utils::Studio::ProbeMonitor*>(root->GetChild(i)))
            monitors.push_back(found);
    ASSERT_EQ(monitors.size(), 1u);
    EXPECT_EQ(monitors[0]->GetPosition(), Point(10, 360));
    EXPECT_EQ(monitors[0]->GetSize(), Point(400, 58));
    ASSERT_EQ(monitors[0]->GetWatches().Count(), 2);
    EXPECT_STREQ(monitors[0]->GetWatches()[0]->GetFullName().CStr(), ".camera1.Position.x");
    EXPECT_STREQ(monitors[0]->GetWatches()[1]->GetFullName().CStr(), ".fade");

    Utils::Studio::SyncData* loaded = root->GetSyncData();
    ASSERT_EQ(loaded->GetBlockCount(), 1);
    root->SetTimeQticks(64 + 16);
    root->Pause();
    root->Frame();
    EXPECT_FLOAT_EQ(probes->GetValue(probes->GetProbeIndex("camera1.Position.x")), 2.5f)
        << "the loaded key drives the bound probe";

    root->Save();
    std::ifstream again(temp.Path() + "/gui_layout.xml", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), written)
        << "saving what was loaded writes the same bytes";
}

TEST_F(RootFilesTest, CollapsedWindowsAreSavedWithTheirExpandedPlaceAndSize)
{
    UseMemoryFolder();
    Choose(nullptr, "Tracker");
    Choose("Monitoring", "Probe Monitor");
    Choose("Monitoring", "Probe Browser");
    Choose("Syncing", "Sequencer");
    // Each kind of window by its class, with its place and size expanded, before collapsing.
    std::map<std::string, std::string> expanded;
    int placed = 0;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        auto* window = dynamic_cast<Utils::GUI::Applet*>(root->GetChild(i));
        if (!window)
            continue;
        window->SetPosition(30 + 40 * placed, 20 + 30 * placed);
        ++placed;
        expanded[typeid(*window).name()] = Geometry(window);
        window->ToggleCollapse();
        ASSERT_EQ(window->GetSize().y, Utils::GUI::Applet::TitleHeight) << typeid(*window).name();
    }
    ASSERT_EQ(expanded.size(), 4u);
    root->Save();
    CloseRoot();

    root = MakeRoot();
    UseMemoryFolder();
    root->Load();
    std::map<std::string, std::string> loaded;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        if (auto* window = dynamic_cast<Utils::GUI::Applet*>(root->GetChild(i))) {
            EXPECT_FALSE(window->IsCollapsed()) << typeid(*window).name();
            loaded[typeid(*window).name()] = Geometry(window);
        }
    }
    EXPECT_EQ(loaded, expanded);
}

TEST_F(RootFilesTest, RepeatedLoadReplacesTheWindowsItLoadedWithWhatTheFileSaysNow)
{
    UseMemoryFolder();
    AddWindow({1, 2}, {30, 40});
    root->Save();
    IO::FileSystem* before = app->GetResourceProxy()->GetFileSystem();
    root->Load();
    root->Load();
    EXPECT_EQ(app->GetResourceProxy()->GetFileSystem(), before) << "the proxy's file system is restored";
    EXPECT_EQ(Placed(), WindowList({{{1, 2}, {30, 40}}, {{1, 2}, {30, 40}}})) << "the saved window stays, one loaded copy";

    const std::string layout = "<studio_root><widget pos=\"(5, 6)\" size=\"(70, 80)\"/><widget/></studio_root>";
    (*memory)["gui_layout.xml"].assign(layout.begin(), layout.end());
    root->Load();
    const WindowList windows = Placed();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[1], std::make_pair(Point(5, 6), Point(70, 80)));
}

TEST_F(RootFilesTest, ALoadAfterASaveReadsTheFileTheSaveRenamedIntoPlace)
{
    // On disk a Save replaces the file: a stream opened on the old one still reads it.
    Testing::TempFolder temp;
    Managed<IO::NativeFileSystem> folder(IO::NativeFileSystem::Create((temp.Path() + "/").c_str()));
    root->SetDataFolder(FolderResource(folder.Get()));
    AddWindow({1, 2}, {30, 40});
    root->Save();
    root->Load();
    AddWindow({7, 8}, {50, 60});
    root->Save();
    root->Load();
    const WindowList loaded = Placed();
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), std::make_pair(Point(7, 8), Point(50, 60))), 2)
        << "the window added before the second Save, and its loaded copy";
}

TEST_F(RootFilesTest, ASaveStoppedBetweenTheTwoRenamesLeavesAPairThatLoads)
{
    UseMemoryFolder();
    AddWindow({1, 2}, {30, 40});
    AddTracks({".old"});
    root->Save();
    AddWindow({9, 9}, {50, 50});
    AddTracks({".new"});
    memory->movesLeft = 1;
    EXPECT_THROW_MESSAGE(root->Save(), "MemoryFileSystem: move failed");
    memory->movesLeft = -1;
    EXPECT_FALSE(memory->Has("syncdata.bin.tmp")) << "what was not renamed is removed";
    CloseRoot();

    root = MakeRoot();
    UseMemoryFolder();
    root->Load();
    EXPECT_EQ(Placed().size(), 2u) << "the layout renamed before the failure";
    ASSERT_EQ(root->GetSyncData()->GetTrackCount(), 1) << "the sync data as saved before";
    EXPECT_STREQ(root->GetSyncData()->GetTrack(0)->GetName().CStr(), ".old");
}

TEST_F(RootFilesTest, AFailedWriteLeavesTheOldFilesWholeAndNoTemporaryFile)
{
    UseMemoryFolder();
    AddWindow({1, 2}, {30, 40});
    root->Save();
    const MemoryFileSystem::Bytes layout = (*memory)["gui_layout.xml"];
    const MemoryFileSystem::Bytes sync = (*memory)["syncdata.bin"];
    AddWindow({9, 9}, {50, 50});
    AddTracks({".more"});
    Managed<MemoryFileSystem> measure(new MemoryFileSystem());
    root->SetDataFolder(FolderResource(measure.Get()));
    root->Save();
    const int64_t newLayoutSize = int64_t((*measure)["gui_layout.xml"].size());
    UseMemoryFolder();
    // Layout whole, sync data cut short; then the layout itself cut short.
    for (int64_t limit : {newLayoutSize + 5, int64_t(10)}) {
        memory->writeLimit = limit;
        EXPECT_THROW(root->Save(), Exception) << limit;
        memory->writeLimit = -1;
        EXPECT_EQ((*memory)["gui_layout.xml"], layout) << limit;
        EXPECT_EQ((*memory)["syncdata.bin"], sync) << limit;
        EXPECT_FALSE(memory->Has("gui_layout.xml.tmp")) << limit;
        EXPECT_FALSE(memory->Has("syncdata.bin.tmp")) << limit;
    }
    memory->movesLeft = 0;  // both written, neither renamed
    EXPECT_THROW_MESSAGE(root->Save(), "MemoryFileSystem: move failed");
    EXPECT_EQ((*memory)["gui_layout.xml"], layout);
    EXPECT_EQ((*memory)["syncdata.bin"], sync);
    EXPECT_FALSE(memory->Has("gui_layout.xml.tmp"));
    EXPECT_FALSE(memory->Has("syncdata.bin.tmp"));
}

TEST_F(RootFilesTest, ADamagedLayoutDoesNotKeepTheSyncDataFromLoading)
{
    UseMemoryFolder();
    AddTracks({".kept"});
    root->Save();
    root->GetSyncData()->AddTrack(".unsaved");
    const std::string broken = "<studio_root><widget></studio_root>";
    (*memory)["gui_layout.xml"].assign(broken.begin(), broken.end());
    Utils::ResourceProxy* proxy = app->GetResourceProxy();
    IO::FileSystem* before = proxy->GetFileSystem();
    try {
        root->Load();
        ADD_FAILURE() << "a damaged layout loaded";
    } catch (const Exception& failure) {
        EXPECT_NE(std::string(failure.GetMessage().CStr()).find("mismatch"), std::string::npos)
            << failure.GetMessage().CStr();
    }
    EXPECT_EQ(root->GetSyncData()->GetTrackCount(), 1);
    EXPECT_EQ(proxy->GetFileSystem(), before) << "the proxy's file system is restored";
    EXPECT_TRUE(Placed().empty());
}

TEST_F(RootFilesTest, WithoutADataFolderSaveAndLoadSaySo)
{
    EXPECT_THROW_MESSAGE(root->Save(), "Studio::Root::Save(): No data folder set");
    EXPECT_THROW_MESSAGE(root->Load(), "Studio::Root::Load(): No data folder set");
}

}  // namespace studio_root_files_test
