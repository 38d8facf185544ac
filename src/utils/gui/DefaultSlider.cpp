#include "utils/gui/DefaultSlider.h"

#include "utils/gui/Panel.h"
#include "utils/gui/Skin.h"

namespace Nimbrel::Utils::GUI {

DefaultSlider::DefaultSlider(Skin* skin) : Slider(skin->GetPainter())
{
    track = skin->CreatePanel();
    track->SetColor(Color(51, 51, 76, 255));
    AddChild(track);
    knob = skin->CreatePanel();
    knob->SetColor(Color(51, 102, 166, 255));
    AddChild(knob);
    SetSize(150, 20);
}

DefaultSlider::~DefaultSlider() = default;

void DefaultSlider::SetMinimum(float minimum)
{
    range.SetMinimum(minimum);
    dirty = true;
}

void DefaultSlider::SetMaximum(float maximum)
{
    range.SetMaximum(maximum);
    dirty = true;
}

void DefaultSlider::SetStep(float value)
{
    step = value;
}

void DefaultSlider::SetValue(float value)
{
    range.SetValue(value);
    dirty = true;
}

void DefaultSlider::Draw(Widget* widget)
{
    if (widget != this || !dirty)
        return;
    const Point size = GetSize();
    track->SetPosition(0, size.y / 2 - 2);
    track->SetSize(size.x, 4);
    knob->SetPosition(static_cast<int>((size.x - 2) * range.Fraction() + 1), 1);
    knob->SetSize(10, size.y - 2);
    dirty = false;
}

void DefaultSlider::OnLayout(Widget*)
{
    dirty = true;
}

void DefaultSlider::OnMouseDown(Widget* sender, const Input::MouseEvent& event)
{
    if (event.buttons == Input::MouseButtonLeft) {
        Activate();
        lastMouse = Point(event.x, event.y);
        dragging = true;
    }
    Slider::OnMouseDown(sender, event);
}

void DefaultSlider::DragTo(const Input::MouseEvent& event)
{
    if (!dragging)
        return;
    const int dx = event.x - lastMouse.x;
    lastMouse = Point(event.x, event.y);
    if (dx != 0)
        SetValue(GetValue() + dx * step);
}

void DefaultSlider::OnMouseMove(Widget* sender, const Input::MouseEvent& event)
{
    DragTo(event);
    Slider::OnMouseMove(sender, event);
}

void DefaultSlider::OnDrag(Widget* sender, const Input::MouseEvent& event)
{
    DragTo(event);
    Slider::OnDrag(sender, event);
}

void DefaultSlider::OnButtonReleased(Widget* sender, int button)
{
    dragging = false;
    Slider::OnButtonReleased(sender, button);
}

}  // namespace Nimbrel::Utils::GUI
