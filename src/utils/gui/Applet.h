#pragma once
// GUI::Applet: a tool window built from skin parts. A shadow panel behind it, a frame, a title
// bar with an icon, the title and two buttons (close "X", collapse ">" / "<"), and a clipping
// client widget that receives everything added to the applet.
//
// Dragging the title moves the window, dragging the bottom-right corner (within 6 pixels)
// resizes it down to 100 x 35 at least. Both stay inside the parent: a window pushed past an
// edge stops there, and one larger than its parent sits at x 0 or y 0, so the title bar never
// leaves the screen. The pointer's overshoot past an edge is remembered, so the window follows
// again only when the pointer is back at the spot it grabbed. Collapsing shrinks the window to
// its title bar, keeping the right edge in place; expanding restores the size. A layout saves
// the expanded window, so one saved collapsed opens whole.
//
// The title bar is (51, 102, 166) while the applet is active and (92, 108, 122) otherwise; the
// frame is greyed while the pointer is over the resize corner.

#include "core/String.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::Xml {
class RWElement;
}

namespace Nimbrel::Utils::GUI {

class Button;
class Image;
class Label;
class Panel;
class Skin;

class Applet : public Widget {
public:
    // Minimum size a drag can resize the window to.
    static constexpr int MinimumWidth = 100;
    static constexpr int MinimumHeight = 35;
    static constexpr int TitleHeight = 20;

    explicit Applet(Skin* skin);
    ~Applet() override;

    void SetTitle(const String& title);
    const String& GetTitle() const { return title; }
    bool IsCollapsed() const { return collapsed; }
    void ToggleCollapse();
    // Where the window is and how large, expanded: while collapsed, what expanding restores.
    Point GetExpandedPosition();
    Point GetExpandedSize();
    // A new layout element of the given name (one reference for the caller) with the expanded
    // window's "pos" and "size".
    Xml::RWElement* CreateLayoutElement(const String& name);

    Widget* GetClient() const { return client; }
    Panel* GetTitleBar() const { return titleBar; }
    Panel* GetFrame() const { return frame; }
    Label* GetTitleLabel() const { return titleLabel; }
    Button* GetCloseButton() const { return closeButton; }
    Button* GetCollapseButton() const { return collapseButton; }

    void AddChild(Widget* widget) override;
    void RemoveChild(Widget* widget) override;
    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnMouseDown(Widget* sender, const Input::MouseEvent& event) override;
    void OnMouseUp(Widget* sender, const Input::MouseEvent& event) override;
    void OnMouseLeave(Widget* sender) override;
    void OnClick(Widget* sender, const Input::MouseEvent& event) override;
    void OnMouseMove(Widget* sender, const Input::MouseEvent& event) override;
    void OnActivated(Widget* sender) override;
    void OnDeactivated(Widget* sender) override;
    bool CanClose(Widget* widget) override;
    void OnButtonReleased(Widget* sender, int button) override;
    void OnDrag(Widget* sender, const Input::MouseEvent& event) override;

private:
    bool IsOverResizeCorner(const Input::MouseEvent& event);
    void DragStep(const Input::MouseEvent& event);

    String title = "Applet";
    Widget* client;  // the widgets below are the applet's children: the tree holds them
    Panel* background;
    Panel* frame;
    Panel* titleBar;
    Label* titleLabel;
    Button* closeButton;
    Button* collapseButton;
    Image* icon;
    bool moving = false;
    bool resizing = false;
    bool resizeHover = false;
    bool collapsed = false;
    bool dirty = true;
    Point lastMouse{0, 0};
    Point expandedSize{0, 0};
};

}  // namespace Nimbrel::Utils::GUI
