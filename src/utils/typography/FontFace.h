#pragma once
// Typography::FontFace: the glyphs of one font at one pixel size, for the 256 codes of an
// 8-bit character set (codes 128 to 255 are Latin-1), with the face's vertical metrics.
//
// Per code: a Luminance8 glyph bitmap (counted; null when the code has none), the offset of
// its top-left corner from the pen on the baseline (x right, y down) and the pen's advance.
// Codes are unsigned bytes; any int is taken modulo 256.

#include "core/Managed.h"
#include "core/Object.h"
#include "math/Vector2t.h"

namespace Nimbrel::Utils {
class Bitmap2D;
}

namespace Nimbrel::Utils::Typography {

class FontFace : public Object {
public:
    static constexpr int CodeCount = 256;

    FontFace();
    ~FontFace() override;
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Pixels from the top of a line to the baseline.
    void SetAscender(int pixels) { ascender = pixels; }
    int GetAscender() const { return ascender; }
    // Pixels from the baseline to the bottom of a line, positive.
    void SetDescender(int pixels) { descender = pixels; }
    int GetDescender() const { return descender; }
    void SetLineHeight(int pixels) { lineHeight = pixels; }
    int GetLineHeight() const { return lineHeight; }

    void SetAdvance(int code, int pixels) { advances[Code(code)] = pixels; }
    int GetAdvance(int code) const { return advances[Code(code)]; }
    void SetOffset(int code, int x, int y) { offsets[Code(code)] = Math::Vector2t<int>(x, y); }
    Math::Vector2t<int> GetOffset(int code) const { return offsets[Code(code)]; }
    // Takes a reference to the bitmap (which may be null) and releases the previous glyph.
    void SetGlyph(int code, Bitmap2D* bitmap);
    Bitmap2D* GetGlyph(int code) const { return glyphs[Code(code)]; }

    // The pen's advance over the text, the sum of the characters' advances.
    int Measure(const char* text, int length) const;

private:
    static int Code(int code) { return code & (CodeCount - 1); }

    int ascender = 0;
    int descender = 0;
    int lineHeight = 0;
    int advances[CodeCount] = {};
    Math::Vector2t<int> offsets[CodeCount];
    Bitmap2D* glyphs[CodeCount] = {};  // a reference each
};

}  // namespace Nimbrel::Utils::Typography
