// The FreeType font service over DejaVu Sans (Debian's fonts-dejavu-core) in a memory file
// system, and the conversion of FreeType's glyph bitmaps.

#include "utils/loaders/TrueTypeFontLoader.h"

#include "support/Expect.h"
#include "support/MemoryFileSystem.h"
#include "utils/Bitmap2D.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/loaders/FreeTypeGlyph.h"
#include "utils/typography/FontFace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Typography::FontFace;

namespace true_type_font_loader_test {

const char* const DejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::vector<uint8_t> ReadFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class TrueTypeFontLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        font = ReadFile(DejaVuSans);
        ASSERT_GT(font.size(), 100000u) << DejaVuSans << " (fonts-dejavu-core) is missing";
        (*files)["DejaVuSans.ttf"] = font;
        proxy->SetFileSystem(files.Get());
    }
    Managed<FontFace> Load(const char* descriptor)
    {
        return Managed<FontFace>(static_cast<FontFace*>(proxy->Get(ResourceType::FontFace, descriptor)));
    }
    // The single line of the service in the proxy's report.
    std::string Failure(const char* descriptor)
    {
        try {
            Load(descriptor);
        } catch (const Exception& error) {
            const std::string report = error.GetMessage().CStr();
            const std::string prefix = "TrueTypeFontLoader: ";
            const size_t at = report.find(prefix);
            if (at == std::string::npos)
                return report;
            return report.substr(at + prefix.size(), report.find('\n', at) - at - prefix.size());
        }
        return "loaded";
    }

    std::vector<uint8_t> font;
    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
};

TEST_F(TrueTypeFontLoaderTest, ScalesTheDesignMetricsToThePixelSize)
{
    // DejaVu Sans: 2048 units per em, ascender 1901, descender -483, line gap 0.
    const struct {
        const char* descriptor;
        int lineHeight, ascender, descender;
    } sizes[] = {
        {"DejaVuSans.ttf:16", 18, 14, 4},
        {"DejaVuSans.ttf:12", 13, 11, 3},
        {"DejaVuSans.ttf:12:ignored", 13, 11, 3},
        {"DejaVuSans.ttf: 40", 46, 37, 10},
    };
    for (const auto& s : sizes) {
        Managed<FontFace> face = Load(s.descriptor);
        EXPECT_EQ(face->GetLineHeight(), s.lineHeight) << s.descriptor;
        EXPECT_EQ(face->GetAscender(), s.ascender) << s.descriptor;
        EXPECT_EQ(face->GetDescender(), s.descender) << s.descriptor;
    }
}

TEST_F(TrueTypeFontLoaderTest, RendersEachCodeAsItsLatin1Character)
{
    Managed<FontFace> face = Load("DejaVuSans.ttf:20");
    Bitmap2D* e = face->GetGlyph('e');
    Bitmap2D* acute = face->GetGlyph(0xE9);  // é
    ASSERT_NE(e, nullptr);
    ASSERT_NE(acute, nullptr);
    EXPECT_EQ(e->GetPixelFormat(), Graphics::PixelFormatLuminance8);
    // The same letter with an accent on top: as wide, taller, reaching higher above the baseline.
    EXPECT_EQ(acute->GetWidth(), e->GetWidth());
    EXPECT_GT(acute->GetHeight(), e->GetHeight());
    EXPECT_LT(face->GetOffset(0xE9).y, face->GetOffset('e').y);
    EXPECT_EQ(face->GetAdvance(0xE9), face->GetAdvance('e'));

    // Rows are stored bottom first: the top row of "T" (its bar) is the last stored row.
    Bitmap2D* t = face->GetGlyph('T');
    ASSERT_NE(t, nullptr);
    auto rowCoverage = [t](int row) {
        int sum = 0;
        for (int x = 0; x < t->GetWidth(); ++x)
            sum += t->GetData()[row * t->GetWidth() + x];
        return sum;
    };
    EXPECT_GT(rowCoverage(t->GetHeight() - 1), 3 * rowCoverage(0));

    // A space advances and has no pixels.
    EXPECT_EQ(face->GetGlyph(' '), nullptr);
    EXPECT_GT(face->GetAdvance(' '), 0);
}

TEST_F(TrueTypeFontLoaderTest, RefusesWhatItCannotRender)
{
    const std::string notes(2000, 'x');
    (*files)["notes.txt"].assign(notes.begin(), notes.end());
    (*files)["half.ttf"].assign(font.begin(), font.begin() + 64);
    // The head table's unitsPerEm (offset 18 into the table) made 0.
    std::vector<uint8_t> noUnits = font;
    const uint32_t head = 614156;
    ASSERT_EQ(noUnits[head + 18] << 8 | noUnits[head + 19], 2048);
    noUnits[head + 18] = noUnits[head + 19] = 0;
    (*files)["no-units.ttf"] = noUnits;

    const struct {
        const char* descriptor;
        const char* failure;
    } cases[] = {
        {"DejaVuSans.ttf", "You must specify both filename and fontsize (ex. \"verdana.ttf:12\")"},
        {"DejaVuSans.ttf:0", "Error setting font pixel size"},
        {"DejaVuSans.ttf:-12", "Error setting font pixel size"},
        {"DejaVuSans.ttf:100000", "Error setting font pixel size"},
        {"DejaVuSans.ttf:twelve", "Error setting font pixel size"},
        {"notes.txt:12", "Unknown file format"},
        {"half.ttf:12", "Error loading font"},
        {"no-units.ttf:12", "Error loading font"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Failure(c.descriptor), c.failure) << c.descriptor;
    EXPECT_NE(Failure("missing.ttf:12").find("missing.ttf"), std::string::npos);
}

// FreeType's bitmap layouts: "#" marks full coverage, rows from the top as FreeType counts.
TEST(FreeTypeGlyph, ReadsMonochromeAndGreyRowsInEitherFlow)
{
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    // A 10 by 3 glyph: the top row full, the middle row the first and last pixel, the bottom
    // row empty.
    const std::vector<std::string> expected = {"##########", "#........#", ".........."};
    auto make = [](unsigned char mode, int pitch, std::vector<unsigned char>& bytes) {
        FT_Bitmap bitmap{};
        bitmap.width = 10;
        bitmap.rows = 3;
        bitmap.pitch = pitch;
        bitmap.pixel_mode = mode;
        bitmap.num_grays = mode == FT_PIXEL_MODE_GRAY ? 256 : (mode == FT_PIXEL_MODE_GRAY4 ? 16 : 2);
        bitmap.buffer = bytes.data();
        return bitmap;
    };
    // Monochrome: 2 bytes of bits a row, padded to a pitch of 4; the top row first.
    std::vector<unsigned char> mono = {0xFF, 0xC0, 0, 0, 0x80, 0x40, 0, 0, 0, 0, 0, 0};
    // The same rows bottom first in memory, as a negative pitch says.
    std::vector<unsigned char> monoUp = {0, 0, 0, 0, 0x80, 0x40, 0, 0, 0xFF, 0xC0, 0, 0};
    // Grey: one byte a pixel, pitch 12.
    std::vector<unsigned char> grey(36, 0);
    for (int x = 0; x < 10; ++x)
        grey[x] = 255;
    grey[12] = grey[21] = 255;
    // 4-bit grey: two pixels a byte, levels 0 to 15, pitch 5.
    std::vector<unsigned char> grey4 = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0, 0, 0, 0x0F, 0, 0, 0, 0, 0};
    const struct {
        const char* layout;
        FT_Bitmap bitmap;
    } layouts[] = {
        {"mono", make(FT_PIXEL_MODE_MONO, 4, mono)},
        {"mono, rows upwards", make(FT_PIXEL_MODE_MONO, -4, monoUp)},
        {"grey", make(FT_PIXEL_MODE_GRAY, 12, grey)},
        {"4-bit grey", make(FT_PIXEL_MODE_GRAY4, 5, grey4)},
    };
    for (const auto& l : layouts) {
        Managed<Bitmap2D> bitmap(Loaders::GlyphCoverage(library, l.bitmap));
        ASSERT_NE(bitmap.Get(), nullptr) << l.layout;
        ASSERT_EQ(bitmap->GetWidth(), 10);
        ASSERT_EQ(bitmap->GetHeight(), 3);
        std::vector<std::string> rows;
        for (int row = 2; row >= 0; --row) {  // stored bottom first
            std::string text;
            for (int x = 0; x < 10; ++x) {
                const uint8_t value = bitmap->GetData()[row * 10 + x];
                EXPECT_TRUE(value == 0 || value == 255) << l.layout << " " << int(value);
                text += value == 255 ? '#' : '.';
            }
            rows.push_back(text);
        }
        EXPECT_EQ(rows, expected) << l.layout;
    }

    FT_Bitmap empty{};
    EXPECT_EQ(Loaders::GlyphCoverage(library, empty), nullptr);
    FT_Bitmap huge = make(FT_PIXEL_MODE_GRAY, 12, grey);
    huge.rows = Loaders::MaxGlyphSide + 1;
    EXPECT_EQ(Loaders::GlyphCoverage(library, huge), nullptr);
    FT_Done_FreeType(library);
}

}  // namespace true_type_font_loader_test
