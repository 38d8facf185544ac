#pragma once
// Typography::Text: one line of text laid out as blitter quads, one per character.
//
// The pen starts at (x, y + ascender) and moves right by each character's advance; a glyph's
// quad sits at the pen plus the glyph's offset, as large as its bitmap (no area for a glyph
// without pixels). No kerning. The text's size is the pen's travel by ascender + descender,
// whatever the characters. The text holds its blitter, its font pins and its quads, and lets go
// of them when it is destroyed. Characters are unsigned bytes (codes 128 to 255 are Latin-1).

#include "core/Managed.h"
#include "core/Object.h"
#include "core/String.h"
#include "math/Vector2t.h"
#include "utils/draw2d/Blitter.h"

#include <cstdint>

namespace Nimbrel::Utils::Typography {

class FontFace;

class Text : public Object {
public:
    // Pins the face's glyphs in the blitter in pinMode (Blitter::PinAllGlyphs or
    // PinPrintableGlyphs) and creates the quads, each with the colour (packed as
    // Draw2D::Quad::color) and the clip rectangle. Throws "Text: No blitter" or "Text: No
    // font face" for null, and what the blitter throws (nothing is kept pinned then).
    Text(Draw2D::Blitter* blitter, FontFace* face, uint32_t color, const String& text, int x, int y,
         int clipLeft, int clipTop, int clipRight, int clipBottom, int pinMode);
    ~Text() override;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;

    // Lists the quads in the blitter's pass (between its Begin and End).
    void Draw();
    Math::Vector2t<int> GetPosition() const { return position; }
    Math::Vector2t<int> GetSize() const { return size; }
    Draw2D::Blitter::Quads* GetQuads() const { return quads.Get(); }

private:
    Managed<Draw2D::Blitter> blitter;
    const int* table = nullptr;
    Managed<Draw2D::Blitter::Quads> quads;
    Math::Vector2t<int> position;
    Math::Vector2t<int> size;
};

}  // namespace Nimbrel::Utils::Typography
