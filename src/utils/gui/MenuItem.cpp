#include "utils/gui/MenuItem.h"

#include "core/Exception.h"
#include "utils/gui/Image.h"
#include "utils/gui/Label.h"
#include "utils/gui/Menu.h"
#include "utils/gui/Panel.h"
#include "utils/gui/Skin.h"

namespace Nimbrel::Utils::GUI {

// The highlight goes first, so the label draws over it.
MenuItem::MenuItem(Skin* itemSkin) : Widget(itemSkin->GetPainter())
{
    itemSkin->AddRef();
    skin.Set(itemSkin);
    highlight = skin->CreatePanel();
    Widget::AddChild(highlight);
    highlight->SetPosition(3, 3);
    highlight->Hide();
    label = new Label(GetPainter());
    Widget::AddChild(label);
    label->SetPosition(20, 6);
    label->SetTextColor(Color(0, 0, 0, 255));
}

MenuItem::~MenuItem() = default;

// The menu sizes itself to its items, so it hears of every change of an item's size.
void MenuItem::Changed()
{
    dirty = true;
    if (menu)
        menu->OnLayout(menu);
}

void MenuItem::SetText(const String& value)
{
    text = value;
    label->SetText(value);
    Changed();
}

void MenuItem::SetKind(int value)
{
    kind = value;
    Changed();
}

void MenuItem::Disable()
{
    disabled = true;
    dirty = true;
}

void MenuItem::Enable()
{
    disabled = false;
    dirty = true;
}

void MenuItem::SetOpen(bool value)
{
    if (value == open)
        return;
    if (value) {
        Activate();
        open = true;
        if (menu)
            menu->SetOpenItem(this);
        if (subMenu)
            subMenu->Show();
    } else {
        open = false;
        if (menu && menu->GetOpenItem() == this)
            menu->SetOpenItem(nullptr);
        if (subMenu)
            subMenu->Hide();
    }
    dirty = true;
}

void MenuItem::SetIcon(Bitmap2D* bitmap)
{
    if (!icon) {
        icon = new Image(GetPainter());
        Widget::AddChild(icon);
        icon->SetPosition(2, 2);
    }
    icon->SetBitmap(bitmap);
    kind = KindIcon;
    Changed();
}

Menu* MenuItem::GetSubMenu()
{
    if (subMenu)
        return subMenu;
    if (!menu)
        throw Exception("GUI::MenuItem::GetSubMenu(): The item is in no menu");
    subMenu = new Menu(skin.Get(), menu->GetParent(), menu->GetReceiver());
    subMenu->SetOwner(this);
    arrow = skin->CreateArrow();
    Widget::AddChild(arrow);
    dirty = true;
    return subMenu;
}

void MenuItem::CloseSubMenu()
{
    if (!subMenu)
        return;
    Menu* closing = subMenu;
    subMenu = nullptr;
    closing->Close();
}

Point MenuItem::GetPreferredSize()
{
    if (kind == KindIcon && icon)
        return icon->GetSize() + Point(4, 4);
    if (kind == KindSeparator)
        return Point(10, 4);
    return label->GetTextSize() + Point(44, 12);
}

void MenuItem::Draw(Widget* widget)
{
    if (widget != this || !dirty)
        return;
    const Point size = GetSize();
    switch (kind) {
    case KindText:
        highlight->SetVisible(open && !disabled);
        highlight->SetColor(Color(25, 90, 204, 255));
        highlight->SetPosition(3, 3);
        highlight->SetSize(size.x - 6, size.y - 6);
        label->SetSize(size);
        label->SetTextColor(open && !disabled ? Color(255, 255, 255, 200) : Color(0, 0, 0, 200));
        break;
    case KindGreyed:
        highlight->SetVisible(false);
        label->SetSize(size);
        label->SetTextColor(Color(0, 0, 0, 128));
        break;
    case KindSeparator:
        highlight->SetVisible(true);
        highlight->SetColor(Color(20, 20, 20, 10));
        highlight->SetPosition(4, 1);
        highlight->SetSize(size.x - 8, 3);
        break;
    default:
        highlight->SetVisible(false);
        break;
    }
    label->SetVisible(kind == KindText || kind == KindGreyed);
    if (subMenu)
        PlaceSubMenu();
    dirty = false;
}

// Beside the item, in the coordinates of the parent the sub-menu shares with the menu.
void MenuItem::PlaceSubMenu()
{
    Widget* parent = subMenu->GetParent();
    const Point parentScreen = parent ? parent->GetScreenPosition() : Point(0, 0);
    const int parentWidth = parent ? parent->GetSize().x : 0;
    const Point screen = GetScreenPosition();
    const int subWidth = subMenu->GetSize().x;
    int x = screen.x + GetSize().x - parentScreen.x;
    if (parent && x + subWidth >= parentWidth)
        x = screen.x - subWidth - parentScreen.x;
    subMenu->SetPosition(x, screen.y - parentScreen.y);
    if (subMenu->IsVisible() != open)
        subMenu->SetVisible(open);
    arrow->SetPosition(GetSize().x - 14, 9);
}

void MenuItem::OnLayout(Widget*)
{
    dirty = true;
}

void MenuItem::OnMouseEnter(Widget* sender)
{
    if (!open && kind == KindText) {
        if (menu && menu->GetOpenItem() && menu->GetOpenItem() != this)
            menu->GetOpenItem()->SetOpen(false);
        SetOpen(true);
    }
    Widget::OnMouseEnter(sender);
}

void MenuItem::OnClick(Widget*, const Input::MouseEvent& event)
{
    if (disabled)
        return;
    if (GetParent())
        GetParent()->OnClick(this, event);
}

}  // namespace Nimbrel::Utils::GUI
