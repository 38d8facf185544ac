#pragma once
// GUI::TreeWidget: one node of a tree. Its label sits at the top; its child nodes (widgets
// added with AddChild, usually TreeWidgets) are stacked below it, indented by 25 pixels and 2
// pixels apart, while the node is expanded, and hidden while it is collapsed (the start). A
// node with child nodes shows a "+" button (a "-" while expanded) that toggles it.
//
// The node's height follows what it shows: label height + 5, plus each shown node's height + 2.
// A node lays out its changed child nodes before itself, so an expansion deep in the tree
// shows at its final size in the frame it happens.

#include "core/Array.h"
#include "core/String.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::GUI {

class Button;
class Label;
class Skin;

class TreeWidget : public Widget {
public:
    TreeWidget(Skin* skin, const String& text);
    ~TreeWidget() override;

    void AddChild(Widget* widget) override;
    void RemoveChild(Widget* widget) override;
    // Closes the current label and shows the widget in its place, at (15, 0).
    void SetLabelWidget(Widget* widget);
    Widget* GetLabelWidget() const { return label; }
    Button* GetExpandButton() const { return expandButton; }
    int GetNodeCount() const { return nodes.Count(); }
    Widget* GetNode(int index) const { return nodes[index]; }
    bool IsExpanded() const { return expanded; }
    void SetExpanded(bool expanded);
    // Lays the node out now if anything changed since.
    void UpdateLayout();

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnClick(Widget* sender, const Input::MouseEvent& event) override;

private:
    Array<Widget*> nodes;
    Button* expandButton;
    bool expanded = false;
    bool dirty = true;
    Widget* label;
};

}  // namespace Nimbrel::Utils::GUI
