#pragma once
// GUI::Rectangle: a solid rectangle of its colour (an Image of the blitter's white pixel), as
// the Studio draws grid lines, cursors and cell backgrounds.

#include "utils/gui/Image.h"

namespace Nimbrel::Utils::GUI {

class Rectangle : public Image {
public:
    explicit Rectangle(Draw2D::Blitter* painter) : Image(painter) { SetBitmapIndex(0); }
};

}  // namespace Nimbrel::Utils::GUI
