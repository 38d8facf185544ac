#pragma once
// TextureComponent: which channel of a single-value material map (shininess, transparency,
// displacement, reflectivity) holds the value.

#include <cstdint>

namespace Nimbrel::Utils {

enum TextureComponent : int32_t {
    TextureComponentNone = 0,
    TextureComponentRed = 1,
    TextureComponentGreen = 2,
    TextureComponentBlue = 3,
    TextureComponentAlpha = 4,
};

}  // namespace Nimbrel::Utils
