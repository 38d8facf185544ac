#pragma once
// Draw2D::Quad: what a client asks the blitter to draw, one screen-aligned rectangle in pixels
// from the top-left corner of the viewport, cut to a clip rectangle.

#include <cstdint>

namespace Nimbrel::Utils::Draw2D {

struct Quad {
    int16_t x = 0;
    int16_t y = 0;
    int16_t width = 0;
    int16_t height = 0;
    // Pixels outside left … right and top … bottom are not drawn.
    int16_t clipLeft = 0;
    int16_t clipTop = 0;
    int16_t clipRight = 0;
    int16_t clipBottom = 0;
    // Red in the lowest byte, then green, blue and alpha.
    uint32_t color = 0xffffffff;
    // From PinBitmap; 0 is the white pixel every blitter pins first, for plain colour.
    int32_t bitmap = 0;
    int32_t reserved = 0;
};

// Packs a colour the way Quad::color holds it.
constexpr uint32_t PackColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255)
{
    return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16 | uint32_t(alpha) << 24;
}

}  // namespace Nimbrel::Utils::Draw2D
