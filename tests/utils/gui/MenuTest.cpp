// Menus: item sizes, hover opening and sub-menus (flipped at the parent's right edge), clicks
// to the receiver, and closing.

#include "utils/gui/Menu.h"

#include "support/GuiFixtures.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Label.h"
#include "utils/gui/MenuItem.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::GUI;
using Nimbrel::Testing::MouseMove;

namespace menu_test {

struct MenuReceiver : Widget {
    MenuReceiver() : Widget(nullptr) {}
    void OnClick(Widget* sender, const Input::MouseEvent&) override { senders.push_back(sender); }
    std::vector<Widget*> senders;
};

class MenuTest : public Testing::GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        receiver = Testing::AddTo<MenuReceiver>(root.Get());
    }
    // A shown, laid-out menu at (x, y) in the root.
    Menu* MakeMenu(int x, int y)
    {
        Menu* menu = new Menu(skin.Get(), root.Get(), receiver);
        menu->SetPosition(x, y);
        menu->Show();
        return menu;
    }
    // The centre of a widget on the screen.
    static Point Centre(Widget* widget)
    {
        const Point size = widget->GetSize();
        return widget->GetScreenPosition() + Point(size.x / 2, size.y / 2);
    }
    void Hover(Widget* widget)
    {
        const Point p = Centre(widget);
        Send(MouseMove(p.x, p.y));
        DrawFrame();
    }

    Managed<DefaultSkin> skin{new DefaultSkin(blitter.Get())};
    MenuReceiver* receiver = nullptr;
};

TEST_F(MenuTest, ItemsTakeTheWidestTextPlusMarginsAndSeparatorsFourPixels)
{
    Menu* menu = MakeMenu(10, 10);
    menu->AddItem("Open");  // 4 characters of 7 pixels, 13 high
    MenuItem* separator = menu->AddSeparator();
    EXPECT_EQ(menu->GetSize(), Point(28 + 44, 25 + 4));
    EXPECT_EQ(separator->GetPosition(), Point(0, 25));
    EXPECT_EQ(separator->GetSize(), Point(72, 4));

    MenuItem* longer = menu->AddItem("Save as");
    EXPECT_EQ(menu->GetSize(), Point(49 + 44, 25 + 4 + 25));
    longer->SetText("Quit");  // a shorter text shrinks the menu again
    EXPECT_EQ(menu->GetSize(), Point(72, 54));

    MenuItem* icon = menu->AddItem("");
    icon->SetIcon(skin->GetIconBitmap());
    EXPECT_EQ(icon->GetKind(), MenuItem::KindIcon);
    EXPECT_EQ(icon->GetPreferredSize(), Point(12, 12));
    DrawFrame();
    EXPECT_EQ(blitter->DrawnText(), "OpenQuit");
}

TEST_F(MenuTest, HoveringATextItemOpensItsSubMenuAndClosesTheSiblings)
{
    Menu* menu = MakeMenu(10, 10);
    MenuItem* file = menu->AddItem("File");
    MenuItem* edit = menu->AddItem("Edit");
    MenuItem* separator = menu->AddSeparator();
    MenuItem* greyed = menu->AddItem("Greyed");
    greyed->SetKind(MenuItem::KindGreyed);
    Menu* fileMenu = file->GetSubMenu();
    fileMenu->AddItem("New");
    Menu* editMenu = edit->GetSubMenu();
    editMenu->AddItem("Copy");
    EXPECT_EQ(fileMenu->GetParent(), root.Get());
    DrawFrame();

    Hover(file);
    EXPECT_TRUE(file->IsOpen());
    EXPECT_EQ(menu->GetOpenItem(), file);
    EXPECT_TRUE(fileMenu->IsVisible());
    EXPECT_FALSE(editMenu->IsVisible());
    // Beside the item, level with it.
    EXPECT_EQ(fileMenu->GetPosition(), Point(10 + menu->GetSize().x, 10));

    Hover(edit);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_FALSE(fileMenu->IsVisible());
    EXPECT_TRUE(editMenu->IsVisible());
    EXPECT_TRUE(menu->IsVisible());

    for (MenuItem* inert : {separator, greyed}) {
        Hover(inert);
        EXPECT_FALSE(inert->IsOpen());
        EXPECT_TRUE(edit->IsOpen());
    }
}

TEST_F(MenuTest, ASubMenuThatWouldReachTheParentsRightEdgeOpensToTheLeft)
{
    const struct {
        int menuX;
        bool left;
    } cases[] = {{10, false}, {800 - 72 - 72, true}, {800 - 72 - 73, false}};
    for (const auto& c : cases) {
        Menu* menu = MakeMenu(c.menuX, 100);
        MenuItem* item = menu->AddItem("Open");  // menus of 72 pixels
        item->GetSubMenu()->AddItem("Recent");
        item->GetSubMenu()->GetItem(0)->SetText("Ahoy");
        DrawFrame();
        Hover(item);
        const int expected = c.left ? c.menuX - 72 : c.menuX + 72;
        EXPECT_EQ(item->GetSubMenu()->GetPosition(), Point(expected, 100)) << c.menuX;
        menu->Close();
    }
}

TEST_F(MenuTest, AClickOnAnItemReachesTheReceiverOnceWithTheItemAsSender)
{
    Menu* menu = MakeMenu(10, 10);
    MenuItem* open = menu->AddItem("Open");
    MenuItem* quit = menu->AddItem("Quit");
    MenuItem* recent = open->GetSubMenu()->AddItem("Recent");
    DrawFrame();
    Hover(open);
    const Point p = Centre(open);
    Click(p.x, p.y);
    EXPECT_EQ(receiver->senders, std::vector<Widget*>{open});

    DrawFrame();  // the click activated the item: its sub-menu stays
    EXPECT_TRUE(open->GetSubMenu()->IsVisible());
    const Point r = Centre(recent);
    Send(MouseMove(r.x, r.y));
    Click(r.x, r.y);
    EXPECT_EQ(receiver->senders, (std::vector<Widget*>{open, recent}));

    quit->Disable();
    const Point q = Centre(quit);
    Click(q.x, q.y);
    EXPECT_EQ(receiver->senders.size(), 2u);
}

TEST_F(MenuTest, AMenuHidesWhenSomethingElseInItsParentIsActivated)
{
    Widget* other = Testing::AddTo<Widget>(root.Get(), blitter.Get());
    other->SetPosition(500, 500);
    Menu* menu = MakeMenu(10, 10);
    MenuItem* open = menu->AddItem("Open");
    open->GetSubMenu()->AddItem("Recent");
    DrawFrame();
    Hover(open);
    DrawFrame();
    EXPECT_TRUE(menu->IsVisible());  // its sub-menu holds the activation
    EXPECT_TRUE(open->GetSubMenu()->IsVisible());

    Click(550, 550);
    DrawFrame();
    EXPECT_FALSE(menu->IsVisible());
    EXPECT_FALSE(open->GetSubMenu()->IsVisible());
    EXPECT_FALSE(open->IsOpen());
}

TEST_F(MenuTest, ClosingAMenuClosesItsSubMenusAndRemovingAnItemFreesIt)
{
    int widgets = Widget::GetWidgetCount();
    Menu* menu = MakeMenu(10, 10);
    MenuItem* open = menu->AddItem("Open");
    MenuItem* quit = menu->AddItem("Quit");
    open->GetSubMenu()->AddItem("Recent");
    const int withQuit = Widget::GetWidgetCount();
    menu->RemoveItem(quit);
    EXPECT_EQ(menu->GetItemCount(), 1);
    Widget::Collect();
    EXPECT_LT(Widget::GetWidgetCount(), withQuit);
    menu->Close();
    Widget::Collect();
    EXPECT_EQ(Widget::GetWidgetCount(), widgets);
    EXPECT_EQ(root->GetChildCount(), 1);  // the receiver
}

}  // namespace menu_test
