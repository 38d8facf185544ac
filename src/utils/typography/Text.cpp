#include "utils/typography/Text.h"

#include "core/Exception.h"
#include "utils/Bitmap2D.h"
#include "utils/typography/FontFace.h"

#include <vector>

namespace Nimbrel::Utils::Typography {

Text::Text(Draw2D::Blitter* blitter, FontFace* face, uint32_t color, const String& text, int x, int y,
           int clipLeft, int clipTop, int clipRight, int clipBottom, int pinMode)
{
    if (!blitter)
        throw Exception("Text: No blitter");
    if (!face)
        throw Exception("Text: No font face");
    blitter->AddRef();
    this->blitter.Set(blitter);
    table = blitter->PinFont(face, pinMode);

    std::vector<Draw2D::Quad> records(static_cast<size_t>(text.Length()));
    int penX = x;
    const int penY = y + face->GetAscender();
    for (int i = 0; i < text.Length(); ++i) {
        const unsigned char code = static_cast<unsigned char>(text[i]);
        const Bitmap2D* glyph = face->GetGlyph(code);
        const Math::Vector2t<int> offset = face->GetOffset(code);
        Draw2D::Quad& quad = records[static_cast<size_t>(i)];
        quad.x = static_cast<int16_t>(penX + offset.x);
        quad.y = static_cast<int16_t>(penY + offset.y);
        quad.width = static_cast<int16_t>(glyph ? glyph->GetWidth() : 0);
        quad.height = static_cast<int16_t>(glyph ? glyph->GetHeight() : 0);
        quad.clipLeft = static_cast<int16_t>(clipLeft);
        quad.clipTop = static_cast<int16_t>(clipTop);
        quad.clipRight = static_cast<int16_t>(clipRight);
        quad.clipBottom = static_cast<int16_t>(clipBottom);
        quad.color = color;
        quad.bitmap = table[code];
        penX += face->GetAdvance(code);
    }
    position = Math::Vector2t<int>(x, y);
    size = Math::Vector2t<int>(penX - x, face->GetAscender() + face->GetDescender());
    try {
        quads.Set(blitter->CreateQuads(text.Length(), records.data()));
    } catch (...) {
        blitter->UnpinFont(table);
        throw;
    }
}

Text::~Text()
{
    quads.Set(nullptr);
    try {
        blitter->UnpinFont(table);
    } catch (const Exception&) {
        // The blitter forgot the table (its glyphs were released): nothing is pinned any more.
    }
}

void Text::Draw()
{
    blitter->DrawQuads(quads.Get());
}

}  // namespace Nimbrel::Utils::Typography
