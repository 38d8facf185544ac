// The list box: scrolling by its bar and the wheel, which items show, selection by press, and
// items leaving the list.

#include "utils/gui/ListBox.h"

#include "support/GuiFixtures.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Label.h"
#include "utils/gui/Panel.h"
#include "utils/gui/ScrollBar.h"

#include <gtest/gtest.h>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::GUI;
using Nimbrel::Testing::MouseWheel;

namespace list_box_test {

class ListBoxTest : public Testing::GuiTest {
protected:
    // A list at (10, 10), 100 x 100 (a view of 96 pixels), of ten 15-pixel labels.
    ListBox* MakeList()
    {
        ListBox* list = new ListBox(skin.Get());
        root->AddChild(list);
        list->SetPosition(10, 10);
        list->SetSize(100, 100);
        for (int i = 0; i < 10; ++i)
            list->AddItem(String("item ") + String(i));
        DrawFrame();
        return list;
    }

    Managed<DefaultSkin> skin{new DefaultSkin(blitter.Get())};
};

TEST_F(ListBoxTest, ScrollingHidesWhatLeavesTheViewAndStopsWithTheLastItemAtTheBottom)
{
    ListBox* list = MakeList();
    ScrollBar* bar = list->GetScrollBar();
    EXPECT_EQ(bar->GetRange(), 150 - 96 + 1);
    EXPECT_EQ(bar->GetPageSize(), 96);
    bar->SetScrollPosition(20);
    DrawFrame();
    EXPECT_FALSE(list->GetItem(0)->IsVisible());
    EXPECT_TRUE(list->GetItem(1)->IsVisible());
    EXPECT_EQ(list->GetItem(1)->GetPosition(), Point(2, -5));
    EXPECT_TRUE(list->GetItem(7)->IsVisible());  // from 85 to 100: partly in the view
    EXPECT_FALSE(list->GetItem(8)->IsVisible());

    Send(MouseWheel(50, 50, 120));  // one notch up: 12 pixels
    EXPECT_EQ(bar->GetScrollPosition(), 8);
    Send(MouseWheel(50, 50, -1200));
    DrawFrame();
    EXPECT_EQ(bar->GetScrollPosition(), 54);
    Widget* last = list->GetItem(9);
    EXPECT_EQ(last->GetPosition().y + last->GetSize().y, 96);
}

TEST_F(ListBoxTest, APressSelectsTheItemUnderItButNotOnALineBetweenTwo)
{
    ListBox* list = MakeList();
    list->GetScrollBar()->SetScrollPosition(20);
    DrawFrame();
    // Item i spans content y 15 i - 20 … 15 (i + 1) - 20; the content starts at screen y 12.
    const struct {
        int x, y, selected;
    } cases[] = {
        {50, 12 + 1, 1},        // item 1 shows from -5 to 10
        {50, 12 + 10, -1},      // the line between items 1 and 2
        {50, 12 + 11, 2},
        {50, 12 + 40, -1},      // the line between items 3 and 4
        {105, 12 + 50, -1},     // on the scroll bar
        {50, 12 + 56, 5},
    };
    for (const auto& c : cases) {
        list->SetSelectedIndex(-1);
        Click(c.x, c.y);
        EXPECT_EQ(list->GetSelectedIndex(), c.selected) << c.x << "," << c.y;
    }
    DrawFrame();
    ASSERT_TRUE(list->GetHighlight()->IsVisible());
    EXPECT_EQ(list->GetHighlight()->GetPosition(), Point(4, 2 + 15 * 5 - 20));
    EXPECT_EQ(list->GetSelectedItem(), list->GetItem(5));
}

TEST_F(ListBoxTest, RemovedItemsLeaveTheSelectionRightAndClearFreesEveryItem)
{
    ListBox* list = MakeList();
    list->SetSelectedIndex(5);
    Widget* second = list->GetItem(1);
    list->RemoveChild(second);
    EXPECT_EQ(list->GetItemCount(), 9);
    EXPECT_EQ(list->GetSelectedIndex(), 4);
    EXPECT_EQ(second->GetParent(), nullptr);
    second->Close();
    list->SetSelectedItem(list->GetItem(2));
    EXPECT_EQ(list->GetSelectedIndex(), 2);
    list->SetSelectedItem(second);
    EXPECT_EQ(list->GetSelectedIndex(), -1);

    const int before = Widget::GetWidgetCount();
    list->Clear();
    Widget::Collect();
    EXPECT_EQ(Widget::GetWidgetCount(), before - 10);  // nine items and the one removed
    EXPECT_EQ(list->GetItemCount(), 0);
    DrawFrame();
    EXPECT_EQ(list->GetScrollBar()->GetRange(), 1);
}

}  // namespace list_box_test
