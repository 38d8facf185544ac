#include "utils/gui/DefaultScrollBar.h"

#include "utils/gui/Panel.h"
#include "utils/gui/Skin.h"

#include <algorithm>
#include <cmath>

namespace Nimbrel::Utils::GUI {

DefaultScrollBar::DefaultScrollBar(Skin* skin) : ScrollBar(skin->GetPainter())
{
    track = skin->CreatePanel();
    track->SetColor(Color(220, 220, 220, 220));
    AddChild(track);
    knob = skin->CreatePanel();
    knob->SetColor(Color(51, 102, 166, 255));
    AddChild(knob);
}

DefaultScrollBar::~DefaultScrollBar() = default;

void DefaultScrollBar::SetRange(int value)
{
    value = std::max(value, 1);
    if (value == range)
        return;
    range = value;
    dirty = true;
}

void DefaultScrollBar::SetScrollPosition(int position)
{
    position = std::min(std::max(position, 0), range - 1);
    fraction = (double(position) + 1.0) / double(range);
    knobOffset = static_cast<int>(Travel() * fraction);
    dirty = true;
}

int DefaultScrollBar::GetScrollPosition()
{
    const double position = std::floor((double(range) - 1.0) * fraction);
    if (!(position >= 0.0)) {
        fraction = 0.0;
        return 0;
    }
    return static_cast<int>(position);
}

void DefaultScrollBar::SetPageSize(int value)
{
    pageSize = value;
    dirty = true;
}

void DefaultScrollBar::SetHorizontal()
{
    horizontal = true;
    dirty = true;
}

void DefaultScrollBar::SetVertical()
{
    horizontal = false;
    dirty = true;
}

// The knob offset follows the fraction here too, so a position set before the first layout or
// a change of size, range or page puts the knob where the position is.
void DefaultScrollBar::Layout()
{
    const Point size = GetSize();
    trackLength = (horizontal ? size.x : size.y) - 4;
    const double page = double(pageSize);
    const double knob = std::max(page / (page + double(range) - 1.0) * double(trackLength), 8.0);
    knobLength = static_cast<int>(knob);
    if (!dragging)
        knobOffset = Travel() > 0 ? static_cast<int>(Travel() * fraction) : 0;
    if (horizontal) {
        this->knob->SetPosition(knobOffset + 2, 2);
        this->knob->SetSize(knobLength, size.y - 4);
    } else {
        this->knob->SetPosition(2, knobOffset + 2);
        this->knob->SetSize(size.x - 4, knobLength);
    }
    track->SetPosition(0, 0);
    track->SetSize(size);
    dirty = false;
}

void DefaultScrollBar::Draw(Widget* widget)
{
    if (widget == this && dirty)
        Layout();
}

void DefaultScrollBar::OnLayout(Widget*)
{
    dirty = true;
}

void DefaultScrollBar::OnMouseDown(Widget* sender, const Input::MouseEvent& event)
{
    if (sender == knob) {
        Activate();
        const Point screen = GetScreenPosition();
        const int pos = horizontal ? event.x : event.y;
        const int base = horizontal ? screen.x : screen.y;
        grab = pos - base - knobOffset;
        dragging = true;
    }
    ScrollBar::OnMouseDown(sender, event);
}

void DefaultScrollBar::DragTo(const Input::MouseEvent& event)
{
    if (!dragging)
        return;
    const Point screen = GetScreenPosition();
    const int pos = horizontal ? event.x : event.y;
    const int base = horizontal ? screen.x : screen.y;
    knobOffset = std::min(std::max(pos - base - grab, 0), std::max(Travel(), 0));
    fraction = Travel() > 0 ? double(knobOffset) / double(Travel()) : 0.0;
    dirty = true;
}

void DefaultScrollBar::OnMouseMove(Widget* sender, const Input::MouseEvent& event)
{
    DragTo(event);
    ScrollBar::OnMouseMove(sender, event);
}

void DefaultScrollBar::OnDrag(Widget* sender, const Input::MouseEvent& event)
{
    DragTo(event);
    ScrollBar::OnDrag(sender, event);
}

void DefaultScrollBar::OnButtonReleased(Widget* sender, int button)
{
    dragging = false;
    ScrollBar::OnButtonReleased(sender, button);
}

}  // namespace Nimbrel::Utils::GUI
