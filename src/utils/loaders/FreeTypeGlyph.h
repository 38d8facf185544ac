#pragma once
// The coverage of a glyph that FreeType rendered, as the engine's Luminance8 bitmap.

#include <ft2build.h>
#include FT_FREETYPE_H

namespace Nimbrel::Utils {
class Bitmap2D;
}

namespace Nimbrel::Utils::Loaders {

// Glyphs larger than this on a side are taken for damage, not drawn.
constexpr unsigned MaxGlyphSide = 4096;

// A new bitmap, owned by the caller, of the rendered glyph's size with its top row stored last
// (bitmaps are bottom row first): 8-bit grey as it is, monochrome as 0 or 255, other depths
// through FreeType's conversion scaled to 0 … 255. Either flow of rows (the sign of the pitch)
// and padded rows are read as FreeType lays them out. Null for a glyph without pixels, one
// larger than MaxGlyphSide, or a form that has no coverage to show.
Bitmap2D* GlyphCoverage(FT_Library library, const FT_Bitmap& rendered);

}  // namespace Nimbrel::Utils::Loaders
