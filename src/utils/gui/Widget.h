#pragma once
// GUI::Widget: a rectangle in a tree of widgets, with a painter to draw with and an optional
// font. The Application hands the root the raw key and mouse events of each main-loop pass
// (HandleKey, HandleMouse); the root passes them down, and widgets that do not handle an event
// pass it up to their parent, so a container learns of every click inside it together with the
// widget it happened on.
//
// Coordinates are integer pixels, x right and y down. A widget's position is relative to its
// parent's top-left corner; its origin is the parent's screen position (for the root, its own
// screen offset), so its screen position is origin + position.
//
// Lifetime. Construction leaves one reference for the creator and takes a second for the
// process-wide list of widgets. AddChild hands the creator's reference to the parent (a
// destroyed widget detaches its children, last to first, and releases one reference on each);
// Close() hides the widget, tells its listeners, detaches it and releases the creator's
// reference. Collect() then frees every widget that only the list still holds: call it once per
// frame, outside event handling. A widget that lives on the stack (or inside another object)
// takes itself out of the list when it is destroyed; it must never be closed, and never be made
// the child of a heap widget.
//
// Handlers may add, remove or close widgets: every walk over the tree that calls them walks a
// snapshot of the children that holds a reference to each.
//
// Mouse events carry the input layer's record unchanged (screen coordinates); key events an
// engine key code and a state (0 pressed, 1 released, 2 character, the key then being the
// character).

#include "core/Array.h"
#include "core/Object.h"
#include "input/Events.h"
#include "math/Vector2t.h"
#include "utils/Resource.h"
#include "utils/ResourceType.h"

namespace Nimbrel::Utils::Draw2D {
class Blitter;
}
namespace Nimbrel::Utils::Typography {
class FontFace;
}
namespace Nimbrel::Utils::Xml {
class Element;
}

namespace Nimbrel::Utils::GUI {

using Point = Math::Vector2t<int>;
using FontResource = Resource<Typography::FontFace, ResourceType::FontFace>;

// A clip rectangle in screen pixels: left, top, right, bottom.
struct ClipRect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    bool operator==(const ClipRect&) const = default;
};

class Widget : public Object {
public:
    static constexpr int AnchorLeft = 1;
    static constexpr int AnchorRight = 2;
    static constexpr int AnchorTop = 4;
    static constexpr int AnchorBottom = 8;
    // Mouse buttons: 0 left, 1 right, 2 middle, 3 and 4 the extra buttons (event bits 1 … 16).
    static constexpr int ButtonCount = 5;

    // The painter is borrowed: it must outlive the widget.
    explicit Widget(Draw2D::Blitter* painter);
    ~Widget() override;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    // Frees the widgets that only the process-wide list holds, pass after pass until a pass
    // frees nothing; returns how many were freed.
    static int Collect();
    // Widgets in the process-wide list.
    static int GetWidgetCount();

    virtual Xml::Element* SaveLayout();
    virtual void BringToFront(Widget* child);
    virtual void SetRaiseOnActivate(bool raise);
    virtual void SetFont(const FontResource& font);
    virtual void AddChild(Widget* widget);
    virtual void RemoveChild(Widget* widget);
    virtual void SetOrigin(const Point& origin);
    virtual void SetSize(int width, int height);
    virtual void SetClipping(bool clip);
    virtual void SetMinimumSize(int width, int height);
    virtual void SetMaximumSize(int width, int height);
    virtual void SetResizable(bool resizable);
    virtual void SetPosition(int x, int y);
    virtual void SetVisible(bool visible);
    virtual void SetParent(Widget* parent);
    virtual void SetAnchors(int anchors);
    // The position is in this widget's parent's coordinates (screen coordinates for a root at
    // the screen's top-left corner).
    virtual void HandleMouse(const Point& position, const Input::MouseEvent& event);
    virtual void HandleKey(int key, int state);
    virtual void Activate();
    // Own font, else the nearest ancestor's; throws "Widget::GetFontFacePointer(): No default
    // font set" when no widget up the tree has one.
    virtual Typography::FontFace* GetFontFacePointer();
    virtual Draw2D::Blitter* GetPainter();
    virtual int GetChildCount() const;
    virtual Widget* GetChild(int index) const;
    virtual Widget* GetParent() const;
    // True when the widget is this one or one of its ancestors.
    virtual bool IsWithin(const Widget* widget) const;
    // Not const: a widget may lay itself out before it answers.
    virtual Point GetSize();
    virtual Point GetPosition() const;
    virtual bool IsClipping() const;
    virtual ClipRect GetClipRect() const;
    virtual Point GetOrigin() const;
    virtual Point ScreenToLocal(const Point& point) const;
    virtual Point LocalToScreen(const Point& point) const;
    virtual int GetAnchors() const;
    virtual bool IsVisible() const;
    virtual bool IsResizable() const;
    virtual void Show();
    virtual void Hide();
    virtual bool IsActive() const;
    virtual bool IsHovered() const;
    virtual bool IsButtonDown(int button) const;
    virtual void Invalidate();
    virtual void Frame();
    virtual void Close();
    virtual void AddListener(Widget* listener, int id);
    virtual void Draw(Widget* widget);
    virtual void OnParentResized(int oldWidth, int oldHeight);
    virtual void OnResized(Widget* widget);
    virtual void OnMoved(Widget* widget);
    virtual void OnOriginChanged(Widget* widget);
    virtual void OnLayout(Widget* widget);
    virtual void OnMouseEvent(Widget* sender, const Input::MouseEvent& event);
    virtual void OnMouseDown(Widget* sender, const Input::MouseEvent& event);
    virtual void OnMouseUp(Widget* sender, const Input::MouseEvent& event);
    virtual void OnMouseEnter(Widget* sender);
    virtual void OnMouseLeave(Widget* sender);
    virtual void OnClick(Widget* sender, const Input::MouseEvent& event);
    virtual void OnDoubleClick(Widget* sender, const Input::MouseEvent& event);
    virtual void OnMouseMove(Widget* sender, const Input::MouseEvent& event);
    virtual void OnWheel(Widget* sender, const Input::MouseEvent& event);
    virtual void OnKey(Widget* sender, int key, int state);
    virtual void OnActivated(Widget* sender);
    virtual void OnDeactivated(Widget* sender);
    virtual void OnParentChanged(Widget* widget);
    virtual void OnChildAdded(Widget* sender, Widget* child);
    virtual void OnChildRemoved(Widget* sender, Widget* child);
    virtual void OnNotify(Widget* sender, int id, Widget* source);
    virtual bool OnShow(Widget* widget);
    virtual bool OnHide(Widget* widget);
    virtual bool CanClose(Widget* widget);
    virtual void OnButtonReleased(Widget* sender, int button);
    virtual void OnDrag(Widget* sender, const Input::MouseEvent& event);

    void SetSize(const Point& size) { SetSize(size.x, size.y); }
    void SetPosition(const Point& position) { SetPosition(position.x, position.y); }
    Point GetScreenPosition() const { return origin + position; }
    // The topmost ancestor (this widget when it has no parent).
    Widget* GetRoot();

private:
    // Calls visit on the widget and every descendant, parents first, over snapshots.
    template <class Visit>
    static void WalkTree(Widget* widget, const Visit& visit);
    void ApplyAnchors(int oldWidth, int oldHeight);
    void UpdateChildOrigins();
    void DispatchMouse(const Point& position, const Input::MouseEvent& event);
    void PassDrag(const Point& position, const Input::MouseEvent& event);
    void HandleUnhitMouse(const Input::MouseEvent& event);
    void ReleaseButtons(const Input::MouseEvent& event);

    Array<Widget*> listeners;
    Array<int> listenerIds;
    Draw2D::Blitter* painter;
    bool focusMark = false;
    bool buttonDown[ButtonCount] = {};
    bool hovered = false;
    bool closed = false;
    Widget* parent = nullptr;
    Array<Widget*> children;
    Point size{0, 0};
    Point position{1, 0};
    Point origin{0, 0};
    Point minimumSize{2, 2};
    Point maximumSize{64000, 64000};
    bool resizable = true;
    bool visible = true;
    bool active = false;
    int anchors = 0;
    bool clipping = false;
    bool raiseOnActivate = false;
    FontResource font;
};

}  // namespace Nimbrel::Utils::GUI
