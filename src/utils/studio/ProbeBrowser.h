#pragma once
// Studio::ProbeBrowser: every probe of the global probe proxy as a tree of its dotted name.
// A right click on a probe's node opens a menu that turns the probe (and everything below it)
// into a track group of the sync data, or into a new probe monitor.
//
// The tree is built when the browser is made; probes registered later are not shown.

#include "core/Map.h"
#include "utils/ProbeProxy.h"
#include "utils/gui/Applet.h"

namespace Nimbrel::Utils::GUI {
class Menu;
class MenuItem;
class TreeWidget;
}  // namespace Nimbrel::Utils::GUI

namespace Nimbrel::Utils::Studio {

class Root;

class ProbeBrowser : public GUI::Applet {
public:
    // The root is borrowed: it frees its windows before it goes.
    ProbeBrowser(GUI::Skin* skin, Root* root);
    ~ProbeBrowser() override;

    GUI::TreeWidget* GetTree() const { return tree; }
    GUI::Menu* GetContextMenu() const { return menu; }
    // The tree node that stands for the probe, or null.
    GUI::TreeWidget* FindNode(const Probe* probe) const;
    Probe* GetSelectedProbe() const { return selected; }

    // A new group named after the probe's full name with one bound track per leaf below it,
    // in the probe tree's order; returns the group's index.
    static int CreateTrackGroup(Root* root, Probe* probe);

    Xml::Element* SaveLayout() override;
    void OnClick(Widget* sender, const Input::MouseEvent& event) override;

private:
    GUI::TreeWidget* AddNode(GUI::Widget* parent, Probe* probe);

    Root* root;
    GUI::TreeWidget* tree;
    GUI::Menu* menu;
    GUI::MenuItem* createTrackItem;
    GUI::MenuItem* createMonitorItem;
    // Tree nodes and their labels, to the probe each stands for.
    Map<GUI::Widget*, Probe*> probesByWidget;
    Map<Probe*, GUI::TreeWidget*> nodesByProbe;
    Probe* selected = nullptr;
};

}  // namespace Nimbrel::Utils::Studio
