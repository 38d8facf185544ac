#include "utils/gui/TreeWidget.h"

#include "utils/gui/Button.h"
#include "utils/gui/Label.h"
#include "utils/gui/Skin.h"

namespace Nimbrel::Utils::GUI {

namespace {
constexpr int TreeIndent = 25;
constexpr int TreeLabelIndent = 15;
constexpr int TreeGap = 2;
}  // namespace

TreeWidget::TreeWidget(Skin* skin, const String& text) : Widget(skin->GetPainter())
{
    expandButton = skin->CreateButton();
    expandButton->SetText("+");
    expandButton->SetSize(12, 12);
    expandButton->SetVisible(false);
    Widget::AddChild(expandButton);
    label = new Label(GetPainter(), text);
    Widget::AddChild(label);
    SetClipping(true);
}

TreeWidget::~TreeWidget() = default;

void TreeWidget::AddChild(Widget* widget)
{
    if (!widget || nodes.Contains(widget))
        return;
    Widget::AddChild(widget);
    nodes.Add(widget);
    dirty = true;
}

void TreeWidget::RemoveChild(Widget* widget)
{
    const int index = nodes.IndexOf(widget);
    if (index >= 0) {
        nodes.RemoveAt(index);
        dirty = true;
    }
    Widget::RemoveChild(widget);
}

void TreeWidget::SetLabelWidget(Widget* widget)
{
    if (label) {
        Widget* old = label;
        label = nullptr;
        old->Close();
    }
    label = widget;
    if (label) {
        Widget::AddChild(label);
        label->SetPosition(TreeLabelIndent, 0);
    }
    dirty = true;
}

void TreeWidget::SetExpanded(bool value)
{
    if (value == expanded)
        return;
    expanded = value;
    expandButton->SetText(expanded ? "-" : "+");
    if (GetParent())
        GetParent()->OnLayout(this);
    dirty = true;
}

// Buttons and nodes are shown with SetVisible, not Show: laying out must not move the
// activation.
void TreeWidget::UpdateLayout()
{
    if (!dirty)
        return;
    const bool hasNodes = !nodes.IsEmpty();
    if (label)
        label->SetPosition(hasNodes ? TreeLabelIndent : 0, 0);
    expandButton->SetVisible(hasNodes);
    int y = (label ? label->GetSize().y : 0) + 5;
    for (int i = 0; i < nodes.Count(); ++i) {
        Widget* node = nodes[i];
        node->SetVisible(expanded);
        if (!expanded)
            continue;
        if (TreeWidget* subtree = dynamic_cast<TreeWidget*>(node))
            subtree->UpdateLayout();
        node->SetPosition(TreeIndent, y);
        y += node->GetSize().y + TreeGap;
    }
    const Point old = GetSize();
    SetSize(old.x, y);
    dirty = false;
    if (GetSize() != old && GetParent())
        GetParent()->OnLayout(this);
}

void TreeWidget::Draw(Widget* widget)
{
    if (widget == this)
        UpdateLayout();
}

void TreeWidget::OnLayout(Widget*)
{
    dirty = true;
}

void TreeWidget::OnClick(Widget* sender, const Input::MouseEvent& event)
{
    Widget::OnClick(sender, event);
    if (sender == expandButton)
        SetExpanded(!expanded);
}

}  // namespace Nimbrel::Utils::GUI
