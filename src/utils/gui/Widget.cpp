#include "utils/gui/Widget.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/gui/WidgetSnapshot.h"
#include "utils/typography/FontFace.h"

#include <algorithm>

namespace Nimbrel::Utils::GUI {

namespace {

// Every live heap widget, with a reference each (stack widgets too, without one that counts).
Array<Widget*>& AllWidgets()
{
    static Array<Widget*> widgets;
    return widgets;
}

// The buttonDown index of each event bit.
constexpr int WidgetButtonBits[Widget::ButtonCount] = {1, 2, 4, 8, 16};

// A counted hold on a widget for the length of a handler call.
Managed<Widget> HoldWidget(Widget* widget)
{
    widget->AddRef();
    return Managed<Widget>(widget);
}

}  // namespace

Widget::Widget(Draw2D::Blitter* painter) : painter(painter)
{
    SetSize(100, 100);
    SetPosition(0, 0);
    AddRef();
    AllWidgets().Add(this);
    OnLayout(this);
}

Widget::~Widget()
{
    // Children are detached directly: this widget's own handlers are gone with its derived part.
    while (!children.IsEmpty()) {
        Widget* child = children.RemoveAt(children.Count() - 1);
        child->parent = nullptr;
        child->OnParentChanged(child);
        child->Release();
    }
    if (parent) {
        const int index = parent->children.IndexOf(this);
        if (index >= 0)
            parent->children.RemoveAt(index);
        parent = nullptr;
    }
    const int index = AllWidgets().IndexOf(this);
    if (index >= 0)
        AllWidgets().RemoveAt(index);
}

int Widget::Collect()
{
    Array<Widget*>& widgets = AllWidgets();
    int freed = 0;
    bool again = true;
    while (again) {
        again = false;
        for (int i = 0; i < widgets.Count();) {
            Widget* widget = widgets[i];
            if (widget->GetRefCount() == 1) {
                widgets.RemoveAt(i);
                widget->Release();
                ++freed;
                again = true;
            } else {
                ++i;
            }
        }
    }
    return freed;
}

int Widget::GetWidgetCount()
{
    return AllWidgets().Count();
}

template <class Visit>
void Widget::WalkTree(Widget* widget, const Visit& visit)
{
    visit(widget);
    if (widget->children.IsEmpty())
        return;
    WidgetSnapshot snapshot(widget->children);
    for (int i = 0; i < snapshot.Count(); ++i)
        WalkTree(snapshot[i], visit);
}

Xml::Element* Widget::SaveLayout()
{
    return nullptr;
}

// The child moves to the end of the drawing order in place: its parent does not change, so no
// parent, origin or child-list handler has anything to learn.
void Widget::BringToFront(Widget* child)
{
    const int index = children.IndexOf(child);
    if (index < 0 || index == children.Count() - 1)
        return;
    children.RemoveAt(index);
    children.Add(child);
}

void Widget::SetRaiseOnActivate(bool raise)
{
    raiseOnActivate = raise;
}

void Widget::SetFont(const FontResource& newFont)
{
    font = newFont;
    OnLayout(this);
}

void Widget::AddChild(Widget* widget)
{
    if (widget && !children.Contains(widget))
        widget->SetParent(this);
}

void Widget::RemoveChild(Widget* widget)
{
    if (widget && children.Contains(widget))
        widget->SetParent(nullptr);
}

void Widget::SetOrigin(const Point& newOrigin)
{
    if (newOrigin == origin)
        return;
    origin = newOrigin;
    OnOriginChanged(this);
    OnLayout(this);
    UpdateChildOrigins();
}

void Widget::UpdateChildOrigins()
{
    const Point screen = origin + position;
    for (int i = 0; i < children.Count(); ++i)
        children[i]->SetOrigin(screen);
}

// Clamped before the comparison, so that a new minimum or maximum applied through
// SetSize(current size) takes effect.
void Widget::SetSize(int width, int height)
{
    if (!resizable)
        return;
    width = std::max(std::min(width, maximumSize.x), minimumSize.x);
    height = std::max(std::min(height, maximumSize.y), minimumSize.y);
    if (width == size.x && height == size.y)
        return;
    const Point old = size;
    size = Point(width, height);
    OnResized(this);
    OnLayout(this);
    WidgetSnapshot snapshot(children);
    for (int i = 0; i < snapshot.Count(); ++i)
        snapshot[i]->ApplyAnchors(old.x, old.y);
}

void Widget::ApplyAnchors(int oldWidth, int oldHeight)
{
    const Point parentSize = parent ? parent->size : Point(oldWidth, oldHeight);
    const int dx = parentSize.x - oldWidth;
    const int dy = parentSize.y - oldHeight;
    int left = position.x;
    int right = left + size.x;
    int top = position.y;
    int bottom = top + size.y;
    if (anchors & AnchorRight) {
        right += dx;
        if (!(anchors & AnchorLeft))
            left += dx;
    }
    if (anchors & AnchorBottom) {
        bottom += dy;
        if (!(anchors & AnchorTop))
            top += dy;
    }
    SetSize(right - left, bottom - top);
    SetPosition(left, top);
    OnParentResized(oldWidth, oldHeight);
}

void Widget::SetClipping(bool clip)
{
    clipping = clip;
}

void Widget::SetMinimumSize(int width, int height)
{
    minimumSize = Point(width, height);
    SetSize(size.x, size.y);
}

void Widget::SetMaximumSize(int width, int height)
{
    maximumSize = Point(width, height);
    SetSize(size.x, size.y);
}

void Widget::SetResizable(bool value)
{
    resizable = value;
}

void Widget::SetPosition(int x, int y)
{
    if (position == Point(x, y))
        return;
    position = Point(x, y);
    Invalidate();
    OnMoved(this);
    OnLayout(this);
    UpdateChildOrigins();
}

void Widget::SetVisible(bool value)
{
    if (value == visible)
        return;
    visible = value;
    if (visible)
        OnShow(this);
    else
        OnHide(this);
    OnLayout(this);
    Invalidate();
}

void Widget::SetParent(Widget* newParent)
{
    Managed<Widget> keep = HoldWidget(this);
    if (parent) {
        Widget* old = parent;
        old->children.Remove(this);
        parent = nullptr;
        old->OnChildRemoved(old, this);
    }
    if (newParent) {
        newParent->children.Add(this);
        parent = newParent;
        newParent->OnChildAdded(newParent, this);
        SetOrigin(newParent->origin + newParent->position);
    }
    parent = newParent;
    OnParentChanged(this);
}

void Widget::SetAnchors(int bits)
{
    anchors = bits;
}

void Widget::HandleMouse(const Point& point, const Input::MouseEvent& event)
{
    Managed<Widget> keep = HoldWidget(this);
    if (active && event.action == Input::MouseActionMove)
        PassDrag(point, event);
    DispatchMouse(point, event);
}

// The drag goes down the active path; the widget at its end (no active visible child) gets
// OnDrag, which its ancestors receive by forwarding. A drag therefore follows the pointer even
// when it leaves the widget being dragged.
void Widget::PassDrag(const Point& point, const Input::MouseEvent& event)
{
    const Point local = point - position;
    bool passed = false;
    WidgetSnapshot snapshot(children);
    for (int i = 0; i < snapshot.Count(); ++i) {
        Widget* child = snapshot[i];
        if (child->active && child->visible && child->parent == this) {
            child->PassDrag(local, event);
            passed = true;
        }
    }
    if (!passed)
        OnDrag(this, event);
}

void Widget::DispatchMouse(const Point& point, const Input::MouseEvent& event)
{
    const Point local = point - position;
    for (int i = children.Count() - 1; i >= 0; --i) {
        Widget* child = children[i];
        const Point inChild = local - child->position;
        if (child->visible && inChild.x >= 0 && inChild.x <= child->size.x && inChild.y >= 0 &&
            inChild.y <= child->size.y) {
            Managed<Widget> keep = HoldWidget(child);
            child->DispatchMouse(local, event);
            return;
        }
    }
    HandleUnhitMouse(event);
}

void Widget::HandleUnhitMouse(const Input::MouseEvent& event)
{
    switch (event.action) {
    case Input::MouseActionMove: {
        OnMouseMove(this, event);
        Managed<Widget> root = HoldWidget(GetRoot());
        WalkTree(root.Get(), [this](Widget* widget) {
            if (widget == this) {
                if (!widget->hovered) {
                    widget->hovered = true;
                    widget->OnMouseEnter(widget);
                }
            } else if (widget->hovered) {
                widget->hovered = false;
                widget->OnMouseLeave(widget);
            }
        });
        break;
    }
    case Input::MouseActionButtonDown:
        OnMouseDown(this, event);
        for (int b = 0; b < ButtonCount; ++b)
            if (event.buttons & WidgetButtonBits[b])
                buttonDown[b] = true;
        break;
    case Input::MouseActionButtonUp:
        OnMouseUp(this, event);
        ReleaseButtons(event);
        break;
    case Input::MouseActionDoubleClick:
        OnDoubleClick(this, event);
        break;
    case Input::MouseActionWheel:
        OnWheel(this, event);
        break;
    default:
        break;
    }
    OnMouseEvent(this, event);
}

// A click is a press and a release of the same button on this widget. The root is taken
// before the click handlers run, since one of them may close this widget and detach it.
void Widget::ReleaseButtons(const Input::MouseEvent& event)
{
    Managed<Widget> root = HoldWidget(GetRoot());
    for (int b = 0; b < ButtonCount; ++b) {
        if ((event.buttons & WidgetButtonBits[b]) && buttonDown[b]) {
            Activate();
            OnClick(this, event);
        }
    }
    for (int b = 0; b < ButtonCount; ++b) {
        if (!(event.buttons & WidgetButtonBits[b]))
            continue;
        buttonDown[b] = false;
        WalkTree(root.Get(), [this, b](Widget* widget) {
            widget->buttonDown[b] = false;
            widget->OnButtonReleased(this, b);
        });
    }
}

void Widget::HandleKey(int key, int state)
{
    Managed<Widget> keep = HoldWidget(this);
    for (int i = 0; i < children.Count(); ++i) {
        Widget* child = children[i];
        if (!child->active)
            continue;
        if (child->visible) {
            Managed<Widget> keepChild = HoldWidget(child);
            child->HandleKey(key, state);
        }
        return;
    }
    OnKey(this, key, state);
}

void Widget::Activate()
{
    Managed<Widget> keep = HoldWidget(this);
    for (Widget* w = this; w; w = w->parent)
        w->focusMark = true;
    Managed<Widget> root = HoldWidget(GetRoot());
    // Only widgets that were active hear of their deactivation.
    WalkTree(root.Get(), [](Widget* widget) {
        if (!widget->focusMark && widget->active) {
            widget->active = false;
            widget->OnDeactivated(widget);
        }
    });
    for (Widget* w = this; w; w = w->parent)
        w->focusMark = false;
    for (Widget* w = this; w; w = w->parent) {
        if (!w->active)
            w->OnActivated(w);
        w->active = true;
    }
    if (raiseOnActivate && parent)
        parent->BringToFront(this);
    OnActivated(this);
}

Typography::FontFace* Widget::GetFontFacePointer()
{
    if (!font.IsEmpty())
        return font.Get();
    if (parent)
        return parent->GetFontFacePointer();
    throw Exception("Widget::GetFontFacePointer(): No default font set");
}

Draw2D::Blitter* Widget::GetPainter()
{
    return painter;
}

int Widget::GetChildCount() const
{
    return children.Count();
}

Widget* Widget::GetChild(int index) const
{
    return children[index];
}

Widget* Widget::GetParent() const
{
    return parent;
}

bool Widget::IsWithin(const Widget* widget) const
{
    for (const Widget* w = this; w; w = w->parent)
        if (w == widget)
            return true;
    return false;
}

Point Widget::GetSize()
{
    return size;
}

Point Widget::GetPosition() const
{
    return position;
}

bool Widget::IsClipping() const
{
    return clipping;
}

ClipRect Widget::GetClipRect() const
{
    ClipRect rect = parent ? parent->GetClipRect() : ClipRect{0, 0, 32767, 32767};
    if (clipping) {
        const Point screen = origin + position;
        rect.x0 = std::max(rect.x0, screen.x);
        rect.y0 = std::max(rect.y0, screen.y);
        rect.x1 = std::min(rect.x1, screen.x + size.x);
        rect.y1 = std::min(rect.y1, screen.y + size.y);
    }
    return rect;
}

Point Widget::GetOrigin() const
{
    return origin;
}

Point Widget::ScreenToLocal(const Point& point) const
{
    const Point local = point - position;
    return parent ? parent->ScreenToLocal(local) : local;
}

Point Widget::LocalToScreen(const Point& point) const
{
    const Point outer = point + position;
    return parent ? parent->LocalToScreen(outer) : outer;
}

int Widget::GetAnchors() const
{
    return anchors;
}

bool Widget::IsVisible() const
{
    return visible;
}

bool Widget::IsResizable() const
{
    return resizable;
}

void Widget::Show()
{
    SetVisible(true);
    Activate();
}

void Widget::Hide()
{
    SetVisible(false);
}

bool Widget::IsActive() const
{
    return active;
}

bool Widget::IsHovered() const
{
    return hovered;
}

bool Widget::IsButtonDown(int button) const
{
    return button >= 0 && button < ButtonCount && buttonDown[button];
}

void Widget::Invalidate()
{
    if (parent)
        parent->Invalidate();
}

void Widget::Frame()
{
    if (!visible)
        return;
    Draw(this);
    WidgetSnapshot snapshot(children);
    for (int i = 0; i < snapshot.Count(); ++i)
        snapshot[i]->Frame();
}

// A second Close does nothing: the creator's reference went with the first.
void Widget::Close()
{
    if (closed || !CanClose(this))
        return;
    Managed<Widget> keep = HoldWidget(this);
    closed = true;
    SetVisible(false);
    {
        WidgetSnapshot snapshot(listeners);
        const Array<int> ids(listenerIds);
        for (int i = 0; i < snapshot.Count(); ++i)
            snapshot[i]->OnNotify(this, ids[i], this);
    }
    if (parent)
        parent->RemoveChild(this);
    Release();
}

void Widget::AddListener(Widget* listener, int id)
{
    listeners.Add(listener);
    listenerIds.Add(id);
}

Widget* Widget::GetRoot()
{
    Widget* w = this;
    while (w->parent)
        w = w->parent;
    return w;
}

void Widget::Draw(Widget*) {}
void Widget::OnParentResized(int, int) {}
void Widget::OnResized(Widget*) {}
void Widget::OnMoved(Widget*) {}
void Widget::OnOriginChanged(Widget*) {}
void Widget::OnLayout(Widget*) {}

void Widget::OnMouseEvent(Widget* sender, const Input::MouseEvent& event)
{
    if (parent)
        parent->OnMouseEvent(sender, event);
}

void Widget::OnMouseDown(Widget* sender, const Input::MouseEvent& event)
{
    if (parent)
        parent->OnMouseDown(sender, event);
}

void Widget::OnMouseUp(Widget* sender, const Input::MouseEvent& event)
{
    if (parent)
        parent->OnMouseUp(sender, event);
}

void Widget::OnMouseEnter(Widget* sender)
{
    if (parent)
        parent->OnMouseEnter(sender);
}

void Widget::OnMouseLeave(Widget* sender)
{
    if (parent)
        parent->OnMouseLeave(sender);
}

void Widget::OnClick(Widget* sender, const Input::MouseEvent& event)
{
    if (parent)
        parent->OnClick(sender, event);
}

void Widget::OnDoubleClick(Widget* sender, const Input::MouseEvent& event)
{
    if (parent)
        parent->OnDoubleClick(sender, event);
}

void Widget::OnMouseMove(Widget* sender, const Input::MouseEvent& event)
{
    if (parent)
        parent->OnMouseMove(sender, event);
}

void Widget::OnWheel(Widget* sender, const Input::MouseEvent& event)
{
    if (parent)
        parent->OnWheel(sender, event);
}

void Widget::OnKey(Widget* sender, int key, int state)
{
    if (parent)
        parent->OnKey(sender, key, state);
}

void Widget::OnActivated(Widget* sender)
{
    if (parent)
        parent->OnActivated(sender);
}

void Widget::OnDeactivated(Widget* sender)
{
    if (parent)
        parent->OnDeactivated(sender);
}

void Widget::OnParentChanged(Widget*) {}

void Widget::OnChildAdded(Widget* sender, Widget* child)
{
    if (parent)
        parent->OnChildAdded(sender, child);
}

void Widget::OnChildRemoved(Widget* sender, Widget* child)
{
    if (parent)
        parent->OnChildRemoved(sender, child);
}

void Widget::OnNotify(Widget*, int, Widget*) {}

bool Widget::OnShow(Widget*)
{
    return true;
}

bool Widget::OnHide(Widget*)
{
    return true;
}

bool Widget::CanClose(Widget* widget)
{
    return parent ? parent->CanClose(widget) : true;
}

void Widget::OnButtonReleased(Widget* sender, int button)
{
    if (parent)
        parent->OnButtonReleased(sender, button);
}

void Widget::OnDrag(Widget* sender, const Input::MouseEvent& event)
{
    if (parent)
        parent->OnDrag(sender, event);
}

}  // namespace Nimbrel::Utils::GUI
