#include "utils/loaders/FreeTypeGlyph.h"

#include "core/Managed.h"
#include "utils/Bitmap2D.h"

#include FT_BITMAP_H

#include <algorithm>
#include <cstdint>

namespace Nimbrel::Utils::Loaders {

namespace {

// Copies the rows, top row last; `scale` maps the grey levels to 0 … 255.
void CopyCoverage(const FT_Bitmap& source, int scale, uint8_t* rowsBottomFirst)
{
    const int width = static_cast<int>(source.width);
    const int rows = static_cast<int>(source.rows);
    const int stride = source.pitch < 0 ? -source.pitch : source.pitch;
    for (int row = 0; row < rows; ++row) {
        // Row 0 is the glyph's top; with a negative pitch the rows go upwards in memory.
        const unsigned char* line = source.buffer + (source.pitch >= 0 ? row : rows - 1 - row) * stride;
        uint8_t* out = rowsBottomFirst + (rows - 1 - row) * width;
        if (source.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < width; ++x)
                out[x] = (line[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        } else {
            for (int x = 0; x < width; ++x)
                out[x] = static_cast<uint8_t>(std::min(255, line[x] * scale));
        }
    }
}

}  // namespace

Bitmap2D* GlyphCoverage(FT_Library library, const FT_Bitmap& rendered)
{
    if (rendered.width == 0 || rendered.rows == 0 || !rendered.buffer)
        return nullptr;
    if (rendered.width > MaxGlyphSide || rendered.rows > MaxGlyphSide)
        return nullptr;
    Managed<Bitmap2D> bitmap(new Bitmap2D(int(rendered.width), int(rendered.rows), Graphics::PixelFormatLuminance8));
    if (rendered.pixel_mode == FT_PIXEL_MODE_MONO ||
        (rendered.pixel_mode == FT_PIXEL_MODE_GRAY && rendered.num_grays == 256)) {
        CopyCoverage(rendered, 1, bitmap->GetData());
        return bitmap.Detach();
    }
    // Other depths (2- and 4-bit grey, colour) through FreeType's own conversion to 8 bits.
    FT_Bitmap converted;
    FT_Bitmap_Init(&converted);
    const FT_Error error = FT_Bitmap_Convert(library, &rendered, &converted, 1);
    const bool usable = !error && converted.pixel_mode == FT_PIXEL_MODE_GRAY && converted.num_grays > 1 &&
                        converted.width == rendered.width && converted.rows == rendered.rows;
    if (usable)
        CopyCoverage(converted, 255 / (converted.num_grays - 1), bitmap->GetData());
    FT_Bitmap_Done(library, &converted);
    return usable ? bitmap.Detach() : nullptr;
}

}  // namespace Nimbrel::Utils::Loaders
