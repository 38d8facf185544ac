#pragma once
// GUI::ListBox: a scrolling column of item widgets (labels from AddItem, or any widget given
// to AddChild) with a vertical scroll bar on the right and a highlight under the selected item.
//
// The list lays itself out whenever it draws: items are stacked in order from the top of a
// clipping content area, moved up by the scroll offset, and only those that show are visible.
// The scroll bar's range is what the content exceeds the view by (plus one), so the last item
// can be scrolled to the bottom edge and no further, and its page is the view's height. A
// press selects the item under it; a press exactly on the line between two items selects
// neither. One wheel notch (120) scrolls 12 pixels.

#include "core/Array.h"
#include "core/String.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::GUI {

class Label;
class Panel;
class ScrollBar;
class Skin;

class ListBox : public Widget {
public:
    explicit ListBox(Skin* skin);
    ~ListBox() override;

    // Items go into the content area, after the others.
    void AddChild(Widget* widget) override;
    // An item leaves the list and goes back to the caller, who closes it or adds it elsewhere.
    void RemoveChild(Widget* widget) override;
    Label* AddItem(const String& text);
    // Closes every item.
    void Clear();
    int GetItemCount() const { return items.Count(); }
    Widget* GetItem(int index) const { return items[index]; }
    int GetSelectedIndex() const { return selected; }
    void SetSelectedIndex(int index);
    // Null without a selection.
    Widget* GetSelectedItem() const;
    void SetSelectedItem(Widget* widget);
    ScrollBar* GetScrollBar() const { return scrollBar; }
    Panel* GetHighlight() const { return highlight; }
    Widget* GetContent() const { return content; }

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnMouseDown(Widget* sender, const Input::MouseEvent& event) override;
    void OnWheel(Widget* sender, const Input::MouseEvent& event) override;

private:
    Array<Widget*> items;
    bool dirty = true;
    Panel* background;
    Panel* highlight;
    Widget* content;
    ScrollBar* scrollBar;
    int scrollOffset = 0;
    int totalHeight = 0;
    int selected = -1;
};

}  // namespace Nimbrel::Utils::GUI
