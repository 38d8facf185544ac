#pragma once
// GUI::Menu: a pop-up column of MenuItems over a skin panel. A menu starts hidden; its owner
// places and shows it (SetPosition, Show) and hides it after an action. It also hides itself
// once something else in its parent is activated while the pointer is not over it and neither
// it nor any of its sub-menus is active. A sub-menu shows exactly while its item is open, so a
// click on that item, which activates it, leaves the sub-menu in place.
//
// Clicks on items go to the receiver's OnClick with the item as sender (never to the menu's
// parent); the owner compares the sender with the items it kept. Items are stacked from the
// top, each as wide as the widest one that is not a separator; the menu sizes itself to them
// whenever its size is asked.

#include "core/Managed.h"
#include "core/String.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::GUI {

class MenuItem;
class Panel;
class Skin;

class Menu : public Widget {
public:
    // The menu becomes a child of parent; receiver (borrowed, may be null) hears the clicks.
    Menu(Skin* skin, Widget* parent, Widget* receiver);
    ~Menu() override;

    MenuItem* AddItem(const String& text);
    MenuItem* AddSeparator();
    // Takes the item out of the menu and closes it.
    void RemoveItem(MenuItem* item);
    int GetItemCount() const;
    MenuItem* GetItem(int index) const;
    Skin* GetSkin() const { return skin.Get(); }
    Widget* GetReceiver() const { return receiver; }
    // The item whose sub-menu may be showing; at most one per menu.
    MenuItem* GetOpenItem() const { return openItem; }
    void SetOpenItem(MenuItem* item) { openItem = item; }
    // Whether this menu or one of its sub-menus, at any depth, is active.
    bool IsFamilyActive() const;
    // The item whose sub-menu this is, or null.
    void SetOwner(MenuItem* item) { owner = item; }
    MenuItem* GetOwner() const { return owner; }

    Point GetSize() override;
    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnClick(Widget* sender, const Input::MouseEvent& event) override;
    bool OnShow(Widget* widget) override;
    bool OnHide(Widget* widget) override;
    bool CanClose(Widget* widget) override;

private:
    void Layout();

    Managed<Skin> skin;
    Widget* receiver;
    Panel* background;
    Widget* container;  // its children are the items
    MenuItem* openItem = nullptr;
    MenuItem* owner = nullptr;
    bool dirty = true;
};

}  // namespace Nimbrel::Utils::GUI
