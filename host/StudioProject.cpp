#include "StudioProject.h"

#include "utils/studio/Root.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"

namespace host {

using namespace Nimbrel;

void LoadStudioProject(Utils::Studio::Root& root, bool editor)
{
    Utils::Studio::SyncData* sync = root.GetSyncData();
    if (!editor) {
        sync->Load(root.GetDataFolder().Get());
        return;
    }
    root.Load();
    auto* tracker = dynamic_cast<Utils::Studio::Tracker*>(root.GetTracker());
    for (int i = 0; tracker && i < sync->GetBlockCount(); ++i) {
        if (Utils::Studio::Block* block = sync->GetBlock(i)) {
            tracker->EditBlock(block);
            break;
        }
    }
}

}  // namespace host
