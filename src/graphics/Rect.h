#pragma once
// Rect: a rectangle in pixels with a top-left origin, for viewports, scissor rectangles and
// surface copies. right and bottom are exclusive.

#include <cstdint>

namespace Nimbrel::Graphics {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t GetWidth() const { return right - left; }
    int32_t GetHeight() const { return bottom - top; }

    bool operator==(const Rect&) const = default;
};

}  // namespace Nimbrel::Graphics
