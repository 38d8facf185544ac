// demosync: writes the demo's Studio project, "gui_layout.xml" and "syncdata.bin", into a
// folder with the Studio's own Save, so the files the host loads from data/sync/ are always
// ones the Studio wrote.
//
//     demosync <folder>
//
// The project: a track group ".floor" with the track ".floor.glow", bound to the probe
// "floor.glow" that the host hands to the floor program as "Glow"; one block over the whole
// music whose keys make the grid lines flare up on every second bar from bar 5 on; the
// Tracker editing that block and a Probe Monitor watching the glow and the frame rate. It
// opens a window (a display or Xvfb). A wrong command line exits with 2, a failure with 1.

#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "io/NativeFileSystem.h"
#include "utils/Application.h"
#include "utils/ProbeProxy.h"
#include "utils/gui/Widget.h"
#include "utils/studio/ProbeMonitor.h"
#include "utils/studio/Root.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"

#include <cstdio>
#include <string>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace demosync {

constexpr int QticksPerBar = 64;
constexpr int MusicBars = 82;

void BuildProject(Studio::Root& root)
{
    Studio::SyncData* sync = root.GetSyncData();
    Studio::TrackGroup* group = sync->GetTrackGroup(sync->AddTrackGroup(".floor"));
    const int glow = sync->AddTrack(".floor.glow");
    group->AddTrack(sync->GetTrack(glow));
    Probe* glowProbe = ProbeProxy::GetGlobal()->GetProbe("floor.glow");
    sync->BindProbe(glow, glowProbe);

    Studio::Block* block = sync->GetBlock(sync->CreateBlock(0, MusicBars * QticksPerBar, group));
    Studio::Pattern* pattern = block->GetPattern(0);
    // Dark until the first flare; a flare jumps up at the bar and eases out over three beats.
    pattern->SetKey(Studio::Key{Studio::InterpolationStep, 0.0f, 0.0f, 0});
    for (int bar = 4; bar < MusicBars; bar += 2) {
        const int at = bar * QticksPerBar;
        pattern->SetKey(Studio::Key{Studio::InterpolationCosine, 0.0f, 1.5f, at});
        pattern->SetKey(Studio::Key{Studio::InterpolationStep, 0.0f, 0.0f, at + 48});
    }

    auto* tracker = new Studio::Tracker(&root);
    root.AddChild(tracker);
    root.SetTracker(tracker);
    tracker->SetPosition(10, 458);
    tracker->EditBlock(block);
    tracker->Show();

    Studio::ProbeMonitor* monitor = root.OpenProbeMonitor();
    monitor->SetPosition(614, 10);
    monitor->SetSize(400, 150);
    monitor->AddWatch(glowProbe);
    monitor->AddWatch(ProbeProxy::GetGlobal()->GetProbe("FPS"));
}

int Write(const std::string& folder)
{
    Graphics::GL2CGDeviceFactory backend;
    Managed<Application> application(new Application());
    int status = 0;
    try {
        application->SetGraphicsBackend(&backend);
        application->SetResolution(1024, 768);
        application->SetTitle("demosync");
        application->Start();
        auto* root = new Studio::Root(application.Get());
        try {
            BuildProject(*root);
            Managed<IO::NativeFileSystem> files(IO::NativeFileSystem::Create((folder + "/").c_str()));
            root->SetDataFolder(Studio::FolderResource(files.Get()));
            root->Save();
        } catch (const Exception&) {
            root->Close();
            GUI::Widget::Collect();
            throw;
        }
        root->Close();
        GUI::Widget::Collect();
    } catch (const Exception& e) {
        std::fprintf(stderr, "demosync: %s\n", e.GetMessage().CStr());
        status = 1;
    }
    application.Set(nullptr);
    return status;
}

}  // namespace demosync

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: demosync <folder>\n");
        return 2;
    }
    return demosync::Write(argv[1]);
}
