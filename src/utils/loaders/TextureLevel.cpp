#include "utils/loaders/TextureLevel.h"

#include "core/Exception.h"

#include <algorithm>

namespace Nimbrel::Utils::Loaders {

void CheckTextureLevel(const Bitmap2D& bitmap, const String& descriptor, int level, int width, int height,
                       Graphics::PixelFormat format)
{
    // Shifting an int by 31 or more is undefined; such a level is 1 by 1 anyway.
    const int shift = std::min(level, 30);
    const int levelWidth = std::max(1, width >> shift);
    const int levelHeight = std::max(1, height >> shift);
    if (bitmap.GetWidth() != levelWidth || bitmap.GetHeight() != levelHeight) {
        if (level == 0)
            throw Exception("Invalid resolutions in bitmap: " + descriptor + " (All bitmaps must have equal resolutions)");
        throw Exception(String::Format("Invalid resolutions in bitmap: %s (Level %d must be %d by %d)", descriptor.CStr(),
                                       level, levelWidth, levelHeight));
    }
    if (bitmap.GetPixelFormat() != format)
        throw Exception("Invalid pixel format in bitmap: " + descriptor +
                        " (All bitmaps must have the pixel format of the first)");
}

}  // namespace Nimbrel::Utils::Loaders
