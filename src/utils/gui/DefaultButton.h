#pragma once
// GUI::DefaultButton: the skin's button, a nine-segment panel under a centred black label.
//
// While the pointer is over it the panel's alpha pulses between 205 and 255
// (255 - 50 x min(sin(4 t) + 1, 1), t the seconds since the pointer came); while the left
// button holds it the panel is opaque; when the pointer leaves, the pulse fades out within a
// quarter of a second. Times come from GUI::Now().

#include "core/String.h"
#include "utils/gui/Button.h"

namespace Nimbrel::Utils {
class Bitmap2D;
}

namespace Nimbrel::Utils::GUI {

class Label;
class Panel;

class DefaultButton : public Button {
public:
    // The nine bitmaps of the panel's segments, indexed as Panel's.
    DefaultButton(Draw2D::Blitter* painter, Bitmap2D* const segments[9]);
    ~DefaultButton() override;

    void SetText(const String& text) override;
    String GetText() const override { return text; }
    Panel* GetPanel() const { return panel; }
    Label* GetLabel() const { return label; }

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnMouseDown(Widget* sender, const Input::MouseEvent& event) override;
    void OnMouseUp(Widget* sender, const Input::MouseEvent& event) override;
    void OnMouseEnter(Widget* sender) override;
    void OnMouseLeave(Widget* sender) override;
    void OnDoubleClick(Widget* sender, const Input::MouseEvent& event) override;
    void OnButtonReleased(Widget* sender, int button) override;

private:
    String text;
    Panel* panel;  // children: the tree holds them
    Label* label;
    bool pressed = false;
    bool pointerOver = false;
    bool animating = false;
    double pressTime = 0.0;
    double hoverStart = 0.0;
    double refreshTime = 0.0;
    double pulse = 0.0;
};

}  // namespace Nimbrel::Utils::GUI
