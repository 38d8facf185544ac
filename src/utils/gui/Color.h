#pragma once
// GUI::Color: an RGBA quadruple of unsigned bytes, as widgets keep their colours.

#include "utils/draw2d/Quad.h"

#include <cstdint>

namespace Nimbrel::Utils::GUI {

struct Color {
    uint8_t red = 255;
    uint8_t green = 255;
    uint8_t blue = 255;
    uint8_t alpha = 255;

    constexpr Color() = default;
    constexpr Color(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
        : red(red), green(green), blue(blue), alpha(alpha)
    {
    }
    // The colour as Draw2D::Quad::color holds it.
    constexpr uint32_t Packed() const { return Draw2D::PackColor(red, green, blue, alpha); }
    constexpr bool operator==(const Color&) const = default;
};

}  // namespace Nimbrel::Utils::GUI
