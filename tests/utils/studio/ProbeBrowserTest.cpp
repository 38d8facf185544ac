// The probe browser: the probe tree as nodes, track groups made from a probe's leaves in tree
// order and bound to them, and its menu driven by clicks on a node.
#include "utils/ProbeProxy.h"
#include "utils/gui/Label.h"
#include "utils/gui/TreeWidget.h"
#include "utils/studio/ProbeBrowser.h"
#include "utils/studio/ProbeMonitor.h"
#include "utils/studio/SyncData.h"

#include "StudioRootFixture.h"

#include <string>
#include <vector>

namespace studio_probe_browser_test {

using namespace Nimbrel;
using Utils::Studio::ProbeBrowser;
using Utils::Studio::ProbeMonitor;

class ProbeBrowserTest : public Testing::StudioRootTest {
protected:
    std::vector<std::string> GroupTracks(int group)
    {
        std::vector<std::string> names;
        Utils::Studio::TrackGroup* found = root->GetSyncData()->GetTrackGroup(group);
        for (int i = 0; i < found->GetTrackCount(); ++i)
            names.push_back(found->GetTrack(i)->GetName().CStr());
        return names;
    }
    template <class T>
    T* Newest()
    {
        for (int i = root->GetChildCount() - 1; i >= 0; --i)
            if (auto* found = dynamic_cast<T*>(root->GetChild(i)))
                return found;
        return nullptr;
    }
};

TEST_F(ProbeBrowserTest, ACameraPrefixBecomesAGroupOfItsSevenTracksInColumnOrder)
{
    Utils::ProbeProxy* probes = Utils::ProbeProxy::GetGlobal();
    const char* leaves[] = {"Position.x", "Position.y", "Position.z", "Turn", "Roll", "Pitch", "Fov"};
    for (const char* leaf : leaves)
        probes->GetProbe((std::string("flycam.") + leaf).c_str());
    const int group = ProbeBrowser::CreateTrackGroup(root, probes->GetProbe("flycam"));
    Utils::Studio::SyncData* sync = root->GetSyncData();
    EXPECT_STREQ(sync->GetTrackGroup(group)->GetName().CStr(), ".flycam");
    ASSERT_EQ(GroupTracks(group).size(), 7u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(GroupTracks(group)[i], std::string(".flycam.") + leaves[i]);
        Utils::Studio::Track* track = sync->GetTrackGroup(group)->GetTrack(i);
        ASSERT_EQ(track->GetProbes().Count(), 1);
        EXPECT_EQ(track->GetProbes()[0], probes->GetProbe((std::string("flycam.") + leaves[i]).c_str()));
    }
    const int single = ProbeBrowser::CreateTrackGroup(root, probes->GetProbe("flycam.Turn"));
    EXPECT_EQ(GroupTracks(single), std::vector<std::string>({".flycam.Turn"}));
}

TEST_F(ProbeBrowserTest, RightClickOnANodeOffersTracksAndAMonitorForItsProbe)
{
    Utils::ProbeProxy* probes = Utils::ProbeProxy::GetGlobal();
    probes->GetProbe("browsed.a");
    probes->GetProbe("browsed.b");
    Choose("Monitoring", "Probe Browser");
    ProbeBrowser* browser = Newest<ProbeBrowser>();
    ASSERT_NE(browser, nullptr);
    EXPECT_STREQ(browser->GetTitle().CStr(), "Probe Browser");
    Utils::GUI::TreeWidget* node = browser->FindNode(probes->GetProbe("browsed"));
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->GetNodeCount(), 2);
    browser->GetTree()->SetExpanded(true);
    root->Frame();

    Click(Middle(node->GetLabelWidget()), Input::MouseButtonRight);
    root->Frame();
    ASSERT_TRUE(browser->GetContextMenu()->IsVisible());
    EXPECT_EQ(browser->GetSelectedProbe(), probes->GetProbe("browsed"));
    Click(Middle(browser->GetContextMenu()->GetItem(1)));  // "Create monitor"
    ProbeMonitor* monitor = Newest<ProbeMonitor>();
    ASSERT_NE(monitor, nullptr);
    ASSERT_EQ(monitor->GetWatches().Count(), 1);
    EXPECT_EQ(monitor->GetWatches()[0], probes->GetProbe("browsed"));
    EXPECT_EQ(monitor->GetIndices().Count(), 2);
    EXPECT_FALSE(browser->GetContextMenu()->IsVisible());

    monitor->Close();  // it opened over the browser
    root->Frame();
    Click(Middle(node->GetLabelWidget()), Input::MouseButtonRight);
    root->Frame();
    ASSERT_TRUE(browser->GetContextMenu()->IsVisible());
    const int groups = root->GetSyncData()->GetTrackGroupCount();
    Click(Middle(browser->GetContextMenu()->GetItem(0)));  // "Create Sequencer track"
    ASSERT_EQ(root->GetSyncData()->GetTrackGroupCount(), groups + 1);
    EXPECT_EQ(GroupTracks(groups), std::vector<std::string>({".browsed.a", ".browsed.b"}));
}

}  // namespace studio_probe_browser_test
