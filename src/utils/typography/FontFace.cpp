#include "utils/typography/FontFace.h"

#include "utils/Bitmap2D.h"

namespace Nimbrel::Utils::Typography {

FontFace::FontFace()
{
    for (Math::Vector2t<int>& offset : offsets)
        offset = Math::Vector2t<int>(0, 0);
}

FontFace::~FontFace()
{
    for (Bitmap2D* glyph : glyphs)
        if (glyph)
            glyph->Release();
}

void FontFace::SetGlyph(int code, Bitmap2D* bitmap)
{
    if (bitmap)
        bitmap->AddRef();
    Bitmap2D*& glyph = glyphs[Code(code)];
    if (glyph)
        glyph->Release();
    glyph = bitmap;
}

int FontFace::Measure(const char* text, int length) const
{
    int width = 0;
    for (int i = 0; i < length; ++i)
        width += advances[static_cast<unsigned char>(text[i])];
    return width;
}

}  // namespace Nimbrel::Utils::Typography
