#pragma once
// GUI::Skin: the factory of the parts every Studio window is built from. Each Create operation
// returns a new widget with the creator's reference (see Widget); text widgets find their font
// up the tree, so nothing a skin creates receives the skin's font.

#include "core/Object.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::Draw2D {
class Blitter;
}

namespace Nimbrel::Utils::GUI {

class Button;
class Gauge;
class Image;
class Panel;
class ScrollBar;
class Slider;

class Skin : public Object {
public:
    ~Skin() override = default;

    virtual Draw2D::Blitter* GetPainter() = 0;
    virtual Panel* CreatePanel() = 0;
    virtual Panel* CreateShadowPanel() = 0;
    virtual Button* CreateButton() = 0;
    // A small image: the skin's 8 x 8 icon.
    virtual Image* CreateIcon() = 0;
    // The 8 x 9 arrow that marks a menu item with a sub-menu.
    virtual Image* CreateArrow() = 0;
    virtual Slider* CreateSlider() = 0;
    virtual Gauge* CreateGauge() = 0;
    virtual ScrollBar* CreateScrollBar() = 0;
    virtual void SetFont(const FontResource& font) = 0;
    virtual FontResource GetFont() = 0;
};

}  // namespace Nimbrel::Utils::GUI
