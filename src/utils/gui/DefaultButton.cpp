#include "utils/gui/DefaultButton.h"

#include "utils/gui/Clock.h"
#include "utils/gui/Label.h"
#include "utils/gui/Panel.h"

#include <algorithm>
#include <cmath>

namespace Nimbrel::Utils::GUI {

DefaultButton::DefaultButton(Draw2D::Blitter* painter, Bitmap2D* const segments[9]) : Button(painter)
{
    panel = new Panel(painter);
    for (int i = 0; i < Panel::SegmentCount; ++i)
        panel->SetSegment(i, segments[i]);
    panel->SetColor(Color(255, 255, 255, 255));
    AddChild(panel);
    label = new Label(painter, "Button");
    label->SetAlignment(1, 1);
    label->SetTextColor(Color(0, 0, 0, 255));
    AddChild(label);
    SetSize(100, 25);
}

DefaultButton::~DefaultButton() = default;

void DefaultButton::SetText(const String& value)
{
    text = value;
    label->SetText(value);
}

void DefaultButton::Draw(Widget* widget)
{
    if (widget != this)
        return;
    const double now = Now();
    if (pressed) {
        refreshTime = now;
        pulse = 0.0;
        animating = true;
    } else if (pointerOver) {
        refreshTime = now;
        pulse = std::sin(4.0 * (now - hoverStart)) + 1.0;
        animating = true;
    }
    const double fade = std::max(1.0 - 4.0 * (now - refreshTime), 0.0);
    if (!animating)
        return;
    if (now - refreshTime > 0.25) {
        panel->SetColor(Color(255, 255, 255, 255));
        animating = false;
    } else {
        const double a = std::min(pulse * fade, 1.0);
        panel->SetColor(Color(255, 255, 255, static_cast<uint8_t>(255 - static_cast<int>(a * 50))));
    }
}

void DefaultButton::OnLayout(Widget* widget)
{
    if (widget != this)
        return;
    panel->SetSize(GetSize());
    label->SetSize(GetSize());
}

void DefaultButton::OnMouseDown(Widget* sender, const Input::MouseEvent& event)
{
    if (event.buttons == Input::MouseButtonLeft) {
        pressed = true;
        pressTime = Now();
    }
    Button::OnMouseDown(sender, event);
}

void DefaultButton::OnMouseUp(Widget* sender, const Input::MouseEvent& event)
{
    if (event.buttons == Input::MouseButtonLeft)
        pressed = false;
    Button::OnMouseUp(sender, event);
}

void DefaultButton::OnMouseEnter(Widget* sender)
{
    if (!pointerOver) {
        hoverStart = Now();
        pointerOver = true;
    }
    Button::OnMouseEnter(sender);
}

void DefaultButton::OnMouseLeave(Widget* sender)
{
    pointerOver = false;
    Button::OnMouseLeave(sender);
}

void DefaultButton::OnDoubleClick(Widget*, const Input::MouseEvent& event)
{
    if (GetParent())
        GetParent()->OnDoubleClick(this, event);
}

void DefaultButton::OnButtonReleased(Widget* sender, int button)
{
    pressed = false;
    Button::OnButtonReleased(sender, button);
}

}  // namespace Nimbrel::Utils::GUI

