// The Studio project the demo ships in data/sync/: with the editor it opens the Tracker on the
// floor's glow block and a Probe Monitor; in player mode no window; either way its keys drive
// the probe the host hands to the floor program.
#include "StudioProject.h"

#include "support/SDLApplicationTest.h"
#include "support/SDLVideo.h"
#include "utils/ProbeProxy.h"
#include "utils/studio/ProbeMonitor.h"
#include "utils/studio/Root.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"

#include <gtest/gtest.h>

namespace studio_project_gl_test {

using namespace Nimbrel;
using Utils::Studio::Root;

double StudioProjectClock()
{
    return 0.0;
}

class StudioProjectGLTest : public Testing::SDLApplicationTest {
protected:
    float Glow()
    {
        Utils::ProbeProxy* probes = Utils::ProbeProxy::GetGlobal();
        return probes->GetValue(probes->GetProbeIndex("floor.glow"));
    }
};

TEST_F(StudioProjectGLTest, TheShippedProjectOpensItsWindowsOnlyWithTheEditorAndDrivesTheGlow)
{
    app->SetFileSystemRoot(NIMBREL_DEMO_DATA "/../");
    StartApplication("studio project", 1024, 768);
    if (HasFatalFailure())
        return;
    for (bool editor : {true, false}) {
        auto* root = new Root(app.Get(), nullptr, nullptr, &StudioProjectClock);
        root->SetFont(Utils::GUI::FontResource(face.Get()));
        root->SetDataFolder(Utils::Studio::FolderResource(app->GetResourceProxy(), "data/sync/"));
        host::LoadStudioProject(*root, editor);

        auto* tracker = dynamic_cast<Utils::Studio::Tracker*>(root->GetTracker());
        int monitors = 0;
        for (int i = 0; i < root->GetChildCount(); ++i)
            monitors += dynamic_cast<Utils::Studio::ProbeMonitor*>(root->GetChild(i)) != nullptr;
        EXPECT_EQ(monitors, editor ? 1 : 0) << editor;
        if (editor) {
            ASSERT_NE(tracker, nullptr);
            EXPECT_STREQ(tracker->GetTitle().CStr(), "Tracker - .floor");
            EXPECT_EQ(tracker->GetBlock(), root->GetSyncData()->GetBlock(0));
        } else {
            EXPECT_EQ(tracker, nullptr);
        }

        // A flare starts at bar 5 (qtick 256) and eases out over three beats.
        struct Moment {
            double qticks;
            bool lit;
        };
        for (Moment moment : {Moment{100, false}, Moment{264, true}, Moment{280, true}, Moment{320, false}}) {
            root->SetTimeQticks(moment.qticks);
            root->Frame();
            if (moment.lit)
                EXPECT_GT(Glow(), 0.05f) << moment.qticks << (editor ? " with" : " without") << " the editor";
            else
                EXPECT_EQ(Glow(), 0.0f) << moment.qticks << (editor ? " with" : " without") << " the editor";
        }
        root->Close();
        Utils::GUI::Widget::Collect();
    }
}

}  // namespace studio_project_gl_test
