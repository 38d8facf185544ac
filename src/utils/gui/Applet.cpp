#include "utils/gui/Applet.h"

#include "utils/gui/Button.h"
#include "utils/gui/Image.h"
#include "utils/gui/Label.h"
#include "utils/gui/Panel.h"
#include "utils/gui/PointText.h"
#include "utils/gui/Skin.h"
#include "utils/xml/RWElement.h"

#include <algorithm>

namespace Nimbrel::Utils::GUI {

namespace {

bool AppletAnyHovered(Widget* widget)
{
    if (widget->IsHovered())
        return true;
    for (int i = 0; i < widget->GetChildCount(); ++i)
        if (AppletAnyHovered(widget->GetChild(i)))
            return true;
    return false;
}

}  // namespace

// The parts are made before the first SetSize, which lays them out; they are added with the
// base AddChild, since the applet's own puts widgets into the client.
Applet::Applet(Skin* skin) : Widget(skin->GetPainter())
{
    client = new Widget(skin->GetPainter());
    client->SetClipping(true);
    background = skin->CreateShadowPanel();
    background->SetColor(Color(255, 255, 255, 32));
    Widget::AddChild(background);
    frame = skin->CreatePanel();
    Widget::AddChild(frame);
    titleBar = skin->CreatePanel();
    titleBar->SetColor(Color(25, 90, 204, 255));
    Widget::AddChild(titleBar);
    titleLabel = new Label(skin->GetPainter(), title);
    titleLabel->SetAlignment(0, 1);
    Widget::AddChild(titleLabel);
    titleLabel->SetPosition(20, 0);
    closeButton = skin->CreateButton();
    closeButton->SetText("X");
    Widget::AddChild(closeButton);
    collapseButton = skin->CreateButton();
    collapseButton->SetText(">");
    Widget::AddChild(collapseButton);
    icon = skin->CreateIcon();
    Widget::AddChild(icon);
    icon->SetPosition(6, 6);
    Widget::AddChild(client);
    SetSize(400, 300);
    SetClipping(false);
    SetRaiseOnActivate(true);
}

Applet::~Applet() = default;

void Applet::SetTitle(const String& value)
{
    title = value;
    titleLabel->SetText(value);
}

void Applet::AddChild(Widget* widget)
{
    client->AddChild(widget);
}

void Applet::RemoveChild(Widget* widget)
{
    client->RemoveChild(widget);
}

void Applet::OnLayout(Widget* widget)
{
    if (widget != this)
        return;
    const Point size = GetSize();
    background->SetPosition(-10, -10);
    background->SetSize(size.x + 20, size.y + 20);
    frame->SetSize(size);
    titleBar->SetSize(size.x, TitleHeight);
    titleLabel->SetSize(size.x - 20, TitleHeight);
    closeButton->SetSize(18, 18);
    closeButton->SetPosition(size.x - 19, 1);
    collapseButton->SetSize(18, 18);
    collapseButton->SetPosition(size.x - 38, 1);
    client->SetPosition(2, TitleHeight);
    client->SetSize(size.x - 4, size.y - TitleHeight - 2);
}

void Applet::Draw(Widget* widget)
{
    if (widget != this)
        return;
    // The corner highlight goes when the pointer is over nothing of the applet any more; the
    // leave events alone cannot tell a move between two of its parts from a move out of it.
    if (resizeHover && !AppletAnyHovered(this)) {
        resizeHover = false;
        dirty = true;
    }
    if (!dirty)
        return;
    frame->SetColor(resizeHover || resizing ? Color(127, 127, 127, 127) : Color(255, 255, 255, 255));
    titleBar->SetColor(IsActive() ? Color(51, 102, 166, 255) : Color(92, 108, 122, 255));
    dirty = false;
}

bool Applet::IsOverResizeCorner(const Input::MouseEvent& event)
{
    const Point screen = GetScreenPosition();
    const Point size = GetSize();
    const int fromRight = screen.x + size.x - event.x;
    const int fromBottom = screen.y + size.y - event.y;
    return !collapsed && fromRight >= 0 && fromRight < 6 && fromBottom >= 0 && fromBottom < 6;
}

// A press inside an applet that is already on the active path leaves that path alone, so a
// slider or scroll bar that activated itself for its own drag keeps it; an inactive applet
// is activated (and raised) by the press.
void Applet::OnMouseDown(Widget* sender, const Input::MouseEvent& event)
{
    if (!IsActive())
        Activate();
    else if (GetParent())
        GetParent()->BringToFront(this);
    if (event.buttons == Input::MouseButtonLeft) {
        if (sender == titleLabel) {
            moving = true;
            lastMouse = Point(event.x, event.y);
        } else if ((sender == frame || sender == client) && IsOverResizeCorner(event)) {
            resizing = true;
            lastMouse = Point(event.x, event.y);
            dirty = true;
        }
    }
    Widget::OnMouseDown(sender, event);
}

void Applet::OnMouseUp(Widget* sender, const Input::MouseEvent& event)
{
    dirty = dirty || resizing;
    moving = resizing = false;
    Widget::OnMouseUp(sender, event);
}

void Applet::OnButtonReleased(Widget* sender, int button)
{
    dirty = dirty || resizing;
    moving = resizing = false;
    Widget::OnButtonReleased(sender, button);
}

void Applet::OnMouseLeave(Widget* sender)
{
    dirty = dirty || resizeHover;
    Widget::OnMouseLeave(sender);
}

void Applet::OnMouseMove(Widget* sender, const Input::MouseEvent& event)
{
    const bool hover = IsOverResizeCorner(event);
    if (hover != resizeHover) {
        resizeHover = hover;
        dirty = true;
    }
    DragStep(event);
    Widget::OnMouseMove(sender, event);
}

void Applet::OnDrag(Widget* sender, const Input::MouseEvent& event)
{
    DragStep(event);
    Widget::OnDrag(sender, event);
}

// What an edge holds back is subtracted from the remembered pointer, so the grabbed spot stays
// under the pointer once it returns. The step runs for the move and again for the drag of the
// same event; the second finds nothing left to do.
void Applet::DragStep(const Input::MouseEvent& event)
{
    if (!moving && !resizing)
        return;
    const Point mouse(event.x, event.y);
    const Point delta = mouse - lastMouse;
    Widget* parent = GetParent();
    const Point parentSize = parent ? parent->GetSize() : Point(0, 0);
    if (moving) {
        const Point target = GetPosition() + delta;
        const Point size = GetSize();
        Point place = target;
        if (parent) {
            if (place.x + size.x > parentSize.x)
                place.x = parentSize.x - size.x;
            if (place.y + size.y > parentSize.y)
                place.y = parentSize.y - size.y;
        }
        place.x = std::max(place.x, 0);
        place.y = std::max(place.y, 0);
        SetPosition(place);
        lastMouse = mouse - (target - GetPosition());
    } else {
        const Point target = GetSize() + delta;
        const Point position = GetPosition();
        Point size = target;
        if (parent) {
            size.x = std::min(size.x, parentSize.x - position.x);
            size.y = std::min(size.y, parentSize.y - position.y);
        }
        size.x = std::max(size.x, MinimumWidth);
        size.y = std::max(size.y, MinimumHeight);
        SetSize(size);
        lastMouse = mouse - (target - GetSize());
    }
}

void Applet::OnClick(Widget* sender, const Input::MouseEvent& event)
{
    Widget::OnClick(sender, event);
    if (sender == closeButton)
        Close();
    else if (sender == collapseButton)
        ToggleCollapse();
}

// Collapsed, the window is its title bar: the client is hidden and the corner does not resize.
void Applet::ToggleCollapse()
{
    const Point position = GetPosition();
    const int right = position.x + GetSize().x;
    if (!collapsed) {
        expandedSize = GetSize();
        collapsed = true;
        client->SetVisible(false);
        collapseButton->SetText("<");
        SetSize(titleLabel->GetTextSize().x + 70, TitleHeight);
        SetPosition(right - GetSize().x, position.y);
    } else {
        SetPosition(GetExpandedPosition());
        SetSize(expandedSize);
        collapsed = false;
        collapseButton->SetText(">");
        client->SetVisible(true);
    }
    resizeHover = false;
    dirty = true;
}

Point Applet::GetExpandedPosition()
{
    if (!collapsed)
        return GetPosition();
    const Point position = GetPosition();
    return Point(std::max(position.x + GetSize().x - expandedSize.x, 0), position.y);
}

Point Applet::GetExpandedSize()
{
    return collapsed ? expandedSize : GetSize();
}

Xml::RWElement* Applet::CreateLayoutElement(const String& name)
{
    Managed<Xml::RWElement> element(Xml::CreateElement());
    element->SetName(name);
    element->SetAttribute("pos", FormatPoint(GetExpandedPosition()));
    element->SetAttribute("size", FormatPoint(GetExpandedSize()));
    return element.Detach();
}

void Applet::OnActivated(Widget* sender)
{
    dirty = true;
    Widget::OnActivated(sender);
}

void Applet::OnDeactivated(Widget* sender)
{
    dirty = true;
    Widget::OnDeactivated(sender);
}

bool Applet::CanClose(Widget*)
{
    return true;
}

}  // namespace Nimbrel::Utils::GUI
