#include "utils/gui/Button.h"

namespace Nimbrel::Utils::GUI {

void Button::OnClick(Widget*, const Input::MouseEvent& event)
{
    clicked = true;
    if (GetParent())
        GetParent()->OnClick(this, event);
}

bool Button::WasClicked()
{
    const bool was = clicked;
    clicked = false;
    return was;
}

}  // namespace Nimbrel::Utils::GUI
