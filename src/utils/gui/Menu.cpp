#include "utils/gui/Menu.h"

#include "core/Exception.h"
#include "utils/gui/MenuItem.h"
#include "utils/gui/Panel.h"
#include "utils/gui/Skin.h"

#include <algorithm>

namespace Nimbrel::Utils::GUI {

Menu::Menu(Skin* menuSkin, Widget* parent, Widget* receiver) : Widget(menuSkin->GetPainter()), receiver(receiver)
{
    menuSkin->AddRef();
    skin.Set(menuSkin);
    SetParent(parent);
    background = skin->CreatePanel();
    Widget::AddChild(background);
    container = new Widget(GetPainter());
    Widget::AddChild(container);
    background->SetPosition(0, 0);
    container->SetPosition(0, 0);
    Hide();
    SetRaiseOnActivate(true);
}

Menu::~Menu() = default;

MenuItem* Menu::AddItem(const String& text)
{
    MenuItem* item = new MenuItem(skin.Get());
    item->SetText(text);
    container->AddChild(item);
    item->SetMenu(this);
    dirty = true;
    return item;
}

MenuItem* Menu::AddSeparator()
{
    MenuItem* item = AddItem(String());
    item->SetKind(MenuItem::KindSeparator);
    return item;
}

void Menu::RemoveItem(MenuItem* item)
{
    if (!item || item->GetParent() != container)
        return;
    if (openItem == item)
        openItem = nullptr;
    item->CloseSubMenu();
    item->SetMenu(nullptr);
    item->Close();
    dirty = true;
}

int Menu::GetItemCount() const
{
    return container->GetChildCount();
}

MenuItem* Menu::GetItem(int index) const
{
    return static_cast<MenuItem*>(container->GetChild(index));
}

bool Menu::IsFamilyActive() const
{
    if (IsActive())
        return true;
    for (int i = 0; i < GetItemCount(); ++i) {
        const Menu* sub = GetItem(i)->PeekSubMenu();
        if (sub && sub->IsVisible() && sub->IsFamilyActive())
            return true;
    }
    return false;
}

void Menu::Layout()
{
    const int count = GetItemCount();
    int width = 0;
    for (int i = 0; i < count; ++i) {
        MenuItem* item = GetItem(i);
        if (item->GetKind() != MenuItem::KindSeparator)
            width = std::max(width, item->GetPreferredSize().x);
    }
    int y = 0;
    for (int i = 0; i < count; ++i) {
        MenuItem* item = GetItem(i);
        const int height = item->GetPreferredSize().y;
        item->SetPosition(0, y);
        item->SetSize(width, height);
        y += height;
    }
    Widget::SetSize(width, y);
}

Point Menu::GetSize()
{
    Layout();
    return Widget::GetSize();
}

void Menu::Draw(Widget* widget)
{
    if (widget != this)
        return;
    if (dirty) {
        Layout();
        const Point size = Widget::GetSize();
        container->SetSize(size);
        background->SetSize(size);
        dirty = false;
    }
    // A sub-menu follows its item; the menu it hangs from decides for the whole family.
    Widget* parent = GetParent();
    if (!owner && IsVisible() && !IsHovered() && parent && parent->IsActive() && !IsFamilyActive())
        Hide();
}

void Menu::OnLayout(Widget*)
{
    dirty = true;
}

void Menu::OnClick(Widget* sender, const Input::MouseEvent& event)
{
    if (receiver)
        receiver->OnClick(sender, event);
}

bool Menu::OnShow(Widget* widget)
{
    return Widget::OnShow(widget);
}

bool Menu::OnHide(Widget* widget)
{
    const bool result = Widget::OnHide(widget);
    for (int i = 0; i < GetItemCount(); ++i)
        GetItem(i)->SetOpen(false);
    openItem = nullptr;
    return result;
}

// The sub-menus live beside the menu, in its parent, so they are closed with it.
bool Menu::CanClose(Widget* widget)
{
    const bool can = Widget::CanClose(widget);
    if (can && widget == this)
        for (int i = 0; i < GetItemCount(); ++i)
            GetItem(i)->CloseSubMenu();
    return can;
}

}  // namespace Nimbrel::Utils::GUI
