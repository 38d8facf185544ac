#pragma once
// GUI::MenuItem: one row of a Menu: text, a separator line, an icon, or greyed text. Hovering a
// text item opens it (closing the menu's other open item) and shows its sub-menu, if it has
// one, beside it: to the right, or to the left when the sub-menu would reach the right edge of
// the menu's parent. A disabled item is not highlighted and its clicks go nowhere.

#include "core/Managed.h"
#include "core/String.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils {
class Bitmap2D;
}

namespace Nimbrel::Utils::GUI {

class Image;
class Label;
class Menu;
class Panel;
class Skin;

class MenuItem : public Widget {
public:
    static constexpr int KindText = 0;
    static constexpr int KindSeparator = 1;
    static constexpr int KindIcon = 2;
    static constexpr int KindGreyed = 3;

    explicit MenuItem(Skin* skin);
    ~MenuItem() override;

    void SetText(const String& text);
    const String& GetText() const { return text; }
    void SetKind(int kind);
    int GetKind() const { return kind; }
    void Disable();
    void Enable();
    bool IsDisabled() const { return disabled; }
    void SetOpen(bool open);
    bool IsOpen() const { return open; }
    // Shows the bitmap in place of the text; the item becomes an icon item.
    void SetIcon(Bitmap2D* bitmap);
    // The sub-menu, made on first use beside the item's menu with the same receiver. Throws
    // "GUI::MenuItem::GetSubMenu(): The item is in no menu" for an item not in a menu.
    Menu* GetSubMenu();
    bool HasSubMenu() const { return subMenu != nullptr; }
    // The sub-menu if there is one, without making it.
    Menu* PeekSubMenu() const { return subMenu; }
    // Closes the sub-menu, which lives beside the menu, not inside the item.
    void CloseSubMenu();
    void SetMenu(Menu* menu) { this->menu = menu; }
    Menu* GetMenu() const { return menu; }
    // Icon: the icon's size + (4, 4); separator: (10, 4); text: the text's size + (44, 12).
    Point GetPreferredSize();

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnMouseEnter(Widget* sender) override;
    void OnClick(Widget* sender, const Input::MouseEvent& event) override;

private:
    void PlaceSubMenu();
    void Changed();

    String text;
    Label* label;
    Image* icon = nullptr;
    Image* arrow = nullptr;
    Panel* highlight;
    Menu* subMenu = nullptr;  // a child of the menu's parent
    Menu* menu = nullptr;
    Managed<Skin> skin;
    int kind = KindText;
    bool open = false;
    bool disabled = false;
    bool dirty = true;
};

}  // namespace Nimbrel::Utils::GUI
