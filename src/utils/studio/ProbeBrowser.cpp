#include "utils/studio/ProbeBrowser.h"

#include "input/Events.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/gui/TreeWidget.h"
#include "utils/studio/ProbeMonitor.h"
#include "utils/studio/Root.h"
#include "utils/studio/SyncData.h"
#include "utils/xml/RWElement.h"

#include <vector>

namespace Nimbrel::Utils::Studio {

ProbeBrowser::ProbeBrowser(GUI::Skin* skin, Root* root) : GUI::Applet(skin), root(root)
{
    SetTitle("Probe Browser");
    tree = new GUI::TreeWidget(skin, "Probes");
    AddChild(tree);
    tree->SetPosition(0, 0);
    tree->SetSize(GetClient()->GetSize());
    tree->SetAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
    Probe* top = ProbeProxy::GetGlobal()->GetRoot();
    for (int i = 0; i < top->GetChildCount(); ++i)
        AddNode(tree, top->GetChild(i));
    menu = new GUI::Menu(skin, this, this);
    createTrackItem = menu->AddItem("Create Sequencer track");
    createMonitorItem = menu->AddItem("Create monitor");
    menu->Hide();
}

ProbeBrowser::~ProbeBrowser() = default;

// Recursion follows the probe tree, whose depth is that of the dotted names.
GUI::TreeWidget* ProbeBrowser::AddNode(GUI::Widget* parent, Probe* probe)
{
    auto* node = new GUI::TreeWidget(root->GetSkin(), probe->GetName());
    parent->AddChild(node);
    probesByWidget[node] = probe;
    nodesByProbe[probe] = node;
    probesByWidget[node->GetLabelWidget()] = probe;
    for (int i = 0; i < probe->GetChildCount(); ++i)
        AddNode(node, probe->GetChild(i));
    return node;
}

GUI::TreeWidget* ProbeBrowser::FindNode(const Probe* probe) const
{
    GUI::TreeWidget* node = nullptr;
    nodesByProbe.TryGet(const_cast<Probe*>(probe), node);
    return node;
}

int ProbeBrowser::CreateTrackGroup(Root* root, Probe* probe)
{
    SyncData* sync = root->GetSyncData();
    const int groupIndex = sync->AddTrackGroup(probe->GetFullName());
    TrackGroup* group = sync->GetTrackGroup(groupIndex);
    std::vector<Probe*> stack{probe};
    while (!stack.empty()) {
        Probe* node = stack.back();
        stack.pop_back();
        if (node->GetChildCount() > 0) {
            for (int i = 0; i < node->GetChildCount(); ++i)
                stack.push_back(node->GetChild(i));
            continue;
        }
        const int track = sync->AddTrack(node->GetFullName());
        group->AddTrack(sync->GetTrack(track));
        sync->BindProbe(track, node);
    }
    // The stack hands the leaves out last first.
    group->ReverseTracks();
    return groupIndex;
}

void ProbeBrowser::OnClick(Widget* sender, const Input::MouseEvent& event)
{
    GUI::Applet::OnClick(sender, event);
    if (event.buttons & Input::MouseButtonRight) {
        Probe* probe = nullptr;
        if (!probesByWidget.TryGet(sender, probe))
            return;
        selected = probe;
        const GUI::Point at = ScreenToLocal(GUI::Point(event.x, event.y));
        menu->SetPosition(at.x, at.y);
        BringToFront(menu);
        menu->Show();
        return;
    }
    if (!(event.buttons & Input::MouseButtonLeft) || !selected)
        return;
    if (sender == createTrackItem) {
        CreateTrackGroup(root, selected);
        menu->Hide();
    } else if (sender == createMonitorItem) {
        root->OpenProbeMonitor()->AddWatch(selected);
        menu->Hide();
    }
}

Xml::Element* ProbeBrowser::SaveLayout()
{
    return CreateLayoutElement("probe_browser");
}

}  // namespace Nimbrel::Utils::Studio
