#include "utils/gui/ListBox.h"

#include "utils/gui/Label.h"
#include "utils/gui/Panel.h"
#include "utils/gui/ScrollBar.h"
#include "utils/gui/Skin.h"

#include <algorithm>

namespace Nimbrel::Utils::GUI {

namespace {
// The content area sits this far inside the list on every side but the scroll bar's.
constexpr int ListInset = 2;
constexpr int ListScrollBarWidth = 10;
}  // namespace

ListBox::ListBox(Skin* skin) : Widget(skin->GetPainter())
{
    background = skin->CreatePanel();
    Widget::AddChild(background);
    highlight = skin->CreatePanel();
    highlight->SetColor(Color(51, 102, 166, 255));
    Widget::AddChild(highlight);
    content = new Widget(GetPainter());
    content->SetClipping(true);
    Widget::AddChild(content);
    scrollBar = skin->CreateScrollBar();
    Widget::AddChild(scrollBar);
    SetClipping(true);
}

ListBox::~ListBox() = default;

void ListBox::AddChild(Widget* widget)
{
    if (!widget || items.Contains(widget))
        return;
    content->AddChild(widget);
    items.Add(widget);
    totalHeight += widget->GetSize().y;
    dirty = true;
}

void ListBox::RemoveChild(Widget* widget)
{
    const int index = items.IndexOf(widget);
    if (index < 0) {
        Widget::RemoveChild(widget);
        return;
    }
    items.RemoveAt(index);
    content->RemoveChild(widget);
    totalHeight -= widget->GetSize().y;
    if (selected == index)
        selected = -1;
    else if (selected > index)
        --selected;
    dirty = true;
}

Label* ListBox::AddItem(const String& text)
{
    Label* label = new Label(GetPainter(), text);
    AddChild(label);
    return label;
}

void ListBox::Clear()
{
    items.Clear();
    while (content->GetChildCount() > 0)
        content->GetChild(content->GetChildCount() - 1)->Close();
    totalHeight = 0;
    selected = -1;
    dirty = true;
}

void ListBox::SetSelectedIndex(int index)
{
    selected = index >= 0 && index < items.Count() ? index : -1;
    dirty = true;
}

Widget* ListBox::GetSelectedItem() const
{
    return selected >= 0 && selected < items.Count() ? items[selected] : nullptr;
}

void ListBox::SetSelectedItem(Widget* widget)
{
    selected = items.IndexOf(widget);
    dirty = true;
}

void ListBox::Draw(Widget* widget)
{
    if (widget != this)
        return;
    const Point size = GetSize();
    const int view = size.y - 2 * ListInset;
    totalHeight = 0;
    for (int i = 0; i < content->GetChildCount(); ++i)
        totalHeight += content->GetChild(i)->GetSize().y;
    content->SetPosition(ListInset, ListInset);
    content->SetSize(size.x - 2 * ListInset - ListScrollBarWidth, view);
    scrollBar->SetPosition(size.x - ListScrollBarWidth, 0);
    scrollBar->SetSize(ListScrollBarWidth, size.y);
    scrollBar->SetRange(std::max(totalHeight - view, 0) + 1);
    scrollBar->SetPageSize(view);
    scrollOffset = scrollBar->GetScrollPosition();
    background->SetSize(size);
    bool highlighted = false;
    int y = -scrollOffset;
    for (int i = 0; i < items.Count(); ++i) {
        Widget* item = items[i];
        const int height = item->GetSize().y;
        const bool shows = y + height > 0 && y < view;
        item->SetVisible(shows);
        if (shows)
            item->SetPosition(ListInset, y);
        if (i == selected && shows) {
            highlight->SetPosition(content->GetPosition() + item->GetPosition());
            highlight->SetSize(item->GetSize());
            highlighted = true;
        }
        y += height;
    }
    highlight->SetVisible(highlighted);
    dirty = false;
}

void ListBox::OnLayout(Widget*)
{
    dirty = true;
}

// Items are found in the content's coordinates, as they are drawn; presses on the scroll bar
// are its own.
void ListBox::OnMouseDown(Widget* sender, const Input::MouseEvent& event)
{
    Widget::OnMouseDown(sender, event);
    if (sender->IsWithin(scrollBar))
        return;
    const Point local = Point(event.x, event.y) - GetScreenPosition() - content->GetPosition();
    int y = -scrollOffset;
    for (int i = 0; i < items.Count(); ++i) {
        const int height = items[i]->GetSize().y;
        if (y < local.y && local.y < y + height) {
            SetSelectedIndex(i);
            break;
        }
        y += height;
    }
}

void ListBox::OnWheel(Widget* sender, const Input::MouseEvent& event)
{
    Widget::OnWheel(sender, event);
    scrollBar->SetScrollPosition(static_cast<int>(scrollBar->GetScrollPosition() - event.wheel * 0.1));
}

}  // namespace Nimbrel::Utils::GUI
