// Text layout over the recording blitter, with a face made by hand.

#include "utils/typography/Text.h"

#include "support/Expect.h"
#include "support/RecordingBlitter.h"
#include "utils/Bitmap2D.h"
#include "utils/typography/FontFace.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Typography::FontFace;
using Typography::Text;

namespace text_test {

// Glyphs of `width` by 7 pixels, each offset (1, -6) from the pen, advancing by width + 2;
// ascender 8, descender 3.
Managed<FontFace> Face(std::initializer_list<std::pair<int, int>> glyphs)
{
    Managed<FontFace> face(new FontFace());
    face->SetAscender(8);
    face->SetDescender(3);
    face->SetLineHeight(12);
    for (auto [code, width] : glyphs) {
        Managed<Bitmap2D> glyph(new Bitmap2D(width, 7, Graphics::PixelFormatLuminance8));
        face->SetGlyph(code, glyph.Get());
        face->SetOffset(code, 1, -6);
        face->SetAdvance(code, width + 2);
    }
    face->SetAdvance(' ', 4);  // a space has an advance and no glyph
    return face;
}

TEST(Text, PlacesEachGlyphAtThePenPlusItsOffsetWithPlainAdvances)
{
    Managed<Testing::RecordingBlitter> blitter(new Testing::RecordingBlitter());
    Managed<FontFace> face = Face({{'A', 5}, {'V', 6}, {0xE9, 4}});
    const uint32_t colour = Draw2D::PackColor(10, 20, 30, 40);
    Managed<Text> text(new Text(blitter.Get(), face.Get(), colour, "AV \xE9", 100, 50, 1, 2, 300, 400,
                                Draw2D::Blitter::PinAllGlyphs));
    ASSERT_EQ(blitter->Groups().size(), 1u);
    const std::vector<Draw2D::Quad>& quads = blitter->Groups()[0]->quads;
    ASSERT_EQ(quads.size(), 4u);
    // The pen starts on the baseline, y + ascender = 58; no kerning between A and V.
    const struct {
        int x, y, width, height;
    } expected[] = {{101, 52, 5, 7}, {108, 52, 6, 7}, {115, 58, 0, 0}, {120, 52, 4, 7}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(quads[i].x, expected[i].x) << i;
        EXPECT_EQ(quads[i].y, expected[i].y) << i;
        EXPECT_EQ(quads[i].width, expected[i].width) << i;
        EXPECT_EQ(quads[i].height, expected[i].height) << i;
        EXPECT_EQ(quads[i].color, colour);
        EXPECT_EQ((std::vector<int>{quads[i].clipLeft, quads[i].clipTop, quads[i].clipRight, quads[i].clipBottom}),
                  (std::vector<int>{1, 2, 300, 400}));
    }
    // "é" is byte 0xE9, an unsigned code with its own glyph.
    EXPECT_EQ(blitter->GlyphCode(quads[3].bitmap), 0xE9);
    EXPECT_EQ(text->GetPosition(), Math::Vector2t<int>(100, 50));
    EXPECT_EQ(text->GetSize(), Math::Vector2t<int>(7 + 8 + 4 + 6, 11));

    blitter->Begin();
    text->Draw();
    blitter->End();
    EXPECT_EQ(blitter->DrawnText(), "AV\xE9");
}

TEST(Text, HeightIsTheFacesWhateverTheCharactersAndEmptyTextHasNoWidth)
{
    Managed<Testing::RecordingBlitter> blitter(new Testing::RecordingBlitter());
    Managed<FontFace> face = Face({{'a', 3}});
    for (const char* string : {"", " ", "a", "aaa"}) {
        Text text(blitter.Get(), face.Get(), 0xffffffff, string, 0, 0, 0, 0, 100, 100, 0);
        EXPECT_EQ(text.GetSize().y, 11) << string;
        EXPECT_EQ(text.GetQuads()->GetCount(), int(std::strlen(string))) << string;
        if (!*string) {
            EXPECT_EQ(text.GetSize().x, 0);
        }
    }
}

TEST(Text, HoldsItsPinsForAsLongAsItLives)
{
    Managed<Testing::RecordingBlitter> blitter(new Testing::RecordingBlitter());
    Managed<FontFace> face = Face({{'a', 3}});
    int glyph = 0;
    {
        Text text(blitter.Get(), face.Get(), 0xffffffff, "a", 0, 0, 0, 0, 100, 100, 0);
        glyph = static_cast<Testing::RecordingBlitter::Group*>(text.GetQuads())->quads[0].bitmap;
        EXPECT_EQ(blitter->Pins(glyph), 1);
        EXPECT_EQ(blitter->Groups().size(), 1u);
    }
    EXPECT_EQ(blitter->Pins(glyph), 0);
    EXPECT_TRUE(blitter->Groups().empty());
    EXPECT_THROW_MESSAGE(Text(nullptr, face.Get(), 0, "a", 0, 0, 0, 0, 1, 1, 0), "Text: No blitter");
    EXPECT_THROW_MESSAGE(Text(blitter.Get(), nullptr, 0, "a", 0, 0, 0, 0, 1, 1, 0), "Text: No font face");
}

TEST(FontFace, CodesAreTakenModulo256AndGlyphsAreCounted)
{
    Managed<FontFace> face(new FontFace());
    Managed<Bitmap2D> glyph(new Bitmap2D(2, 2, Graphics::PixelFormatLuminance8));
    face->SetGlyph(0xE9, glyph.Get());
    face->SetAdvance(256 + 'x', 9);
    face->SetOffset(-1, 3, -4);
    EXPECT_EQ(face->GetGlyph(-23), glyph.Get());  // the signed char of 0xE9
    EXPECT_EQ(glyph->GetRefCount(), 2);
    EXPECT_EQ(face->GetAdvance('x'), 9);
    EXPECT_EQ(face->GetOffset(255), Math::Vector2t<int>(3, -4));
    EXPECT_EQ(face->Measure("x\xE9x", 3), 18);
    face->SetGlyph(0xE9, nullptr);
    EXPECT_EQ(glyph->GetRefCount(), 1);
}

}  // namespace text_test
