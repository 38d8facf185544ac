#pragma once
// The check that a bitmap fits the mipmap level of a texture it is to fill.
//
// Level i of a texture whose level 0 is W by H is max(1, W >> i) by max(1, H >> i) texels in
// the format of level 0, and SetData reads exactly that many from the bitmap. A bitmap of
// another size or format would be read past its end or misread, so it is refused with a
// message that names the bitmap's descriptor.

#include "core/String.h"
#include "graphics/Enumerations.h"
#include "utils/Bitmap2D.h"

namespace Nimbrel::Utils::Loaders {

// Throws "Invalid resolutions in bitmap: <descriptor> (...)" for a bitmap whose size is not
// that of the level ("(All bitmaps must have equal resolutions)" at level 0, "(Level i must
// be w by h)" below it), and "Invalid pixel format in bitmap: <descriptor> (All bitmaps must
// have the pixel format of the first)" for one of another format.
void CheckTextureLevel(const Bitmap2D& bitmap, const String& descriptor, int level, int width, int height,
                       Graphics::PixelFormat format);

}  // namespace Nimbrel::Utils::Loaders
