#pragma once
// GUI::Button: a widget that reports clicks anywhere on it (its label included) to its parent
// as clicks on the button itself, and remembers that it was clicked.

#include "core/String.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::GUI {

class Button : public Widget {
public:
    explicit Button(Draw2D::Blitter* painter) : Widget(painter) {}

    void OnClick(Widget* sender, const Input::MouseEvent& event) override;
    // Whether the button was clicked since the last call.
    virtual bool WasClicked();
    virtual void SetText(const String& text) = 0;
    virtual String GetText() const = 0;

private:
    bool clicked = false;
};

}  // namespace Nimbrel::Utils::GUI
