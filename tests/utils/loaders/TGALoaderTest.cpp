// TGA files into RGBA bitmaps: every image type and depth, the four origins, and the header
// checks that stand in for a signature.
#include "utils/loaders/TGALoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/Bitmap2D.h"

#include "support/Expect.h"
#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace tga_loader_test {

using Testing::ImageBytes;
using Testing::PixelsFromTop;
using Testing::TgaFile;

class TGALoaderTest : public testing::Test {
protected:
    Managed<Bitmap2D> Load(const TgaFile& file) { return files.LoadWith(*loader, file.Build()); }

    Testing::ImageFiles files;
    Managed<Loaders::TGALoader> loader{new Loaders::TGALoader()};
};

TgaFile File(uint8_t type, uint8_t depth, uint16_t width, uint16_t height, ImageBytes pixels)
{
    TgaFile file;
    file.imageType = type;
    file.depth = depth;
    file.width = width;
    file.height = height;
    file.pixels = std::move(pixels);
    return file;
}

TgaFile Mapped(uint8_t type, uint8_t depth, uint8_t mapBits, uint16_t mapFirst, ImageBytes map, ImageBytes pixels)
{
    TgaFile file = File(type, depth, 2, 1, std::move(pixels));
    file.mapType = 1;
    file.mapBits = mapBits;
    file.mapFirst = mapFirst;
    file.mapLength = uint16_t(map.size() / ((mapBits + 7) / 8));
    file.map = std::move(map);
    return file;
}

TEST_F(TGALoaderTest, EveryTypeAndDepthBecomesRgba)
{
    struct Case {
        const char* name;
        TgaFile file;
        std::vector<uint32_t> fromTop;
    };
    // Two pixels in a row; rows bottom first in the file.
    for (const Case& c : {
             Case{"24-bit", File(2, 24, 2, 1, {0x30, 0x20, 0x10, 0x03, 0x02, 0x01}), {0x102030FF, 0x010203FF}},
             Case{"32-bit keeps alpha", File(2, 32, 2, 1, {0x30, 0x20, 0x10, 0x80, 3, 2, 1, 0}), {0x10203080, 0x01020300}},
             Case{"16-bit", File(2, 16, 2, 1, {0xFF, 0x7F, 0x1F, 0x80}), {0xF8F8F8FF, 0x0000F8FF}},
             Case{"15-bit", File(2, 15, 2, 1, {0x00, 0x7C, 0xE0, 0x03}), {0xF80000FF, 0x00F800FF}},
             Case{"grey", File(3, 8, 2, 1, {0x00, 0x9A}), {0x000000FF, 0x9A9A9AFF}},
             Case{"grey and alpha", File(3, 16, 2, 1, {0x9A, 0x40, 0x10, 0xFF}), {0x9A9A9A40, 0x101010FF}},
             Case{"mapped 24-bit entries", Mapped(1, 8, 24, 0, {0, 0, 0xFF, 0xFF, 0, 0}, {1, 0}), {0x0000FFFF, 0xFF0000FF}},
             // 16-bit indices counted from the map's first entry (5); 16-bit entries.
             Case{"mapped from an offset", Mapped(1, 16, 16, 5, {0x00, 0x7C, 0x1F, 0x00}, {6, 0, 5, 0}),
                  {0x0000F8FF, 0xF80000FF}},
             Case{"mapped 32-bit entries", Mapped(1, 8, 32, 0, {1, 2, 3, 4}, {0, 0}), {0x03020104, 0x03020104}},
             // 0x81 repeats the next pixel twice; 0x01 brings two literals.
             Case{"run-length true colour", File(10, 24, 2, 2, {0x81, 3, 2, 1, 0x01, 6, 5, 4, 9, 8, 7}),
                  {0x040506FF, 0x070809FF, 0x010203FF, 0x010203FF}},
             // A run that goes on from the first row into the second.
             Case{"run across rows", File(10, 32, 2, 2, {0x82, 3, 2, 1, 0xFF, 0x00, 6, 5, 4, 0x80}),
                  {0x010203FF, 0x04050680, 0x010203FF, 0x010203FF}},
             Case{"run-length grey", File(11, 8, 2, 1, {0x81, 0x33}), {0x333333FF, 0x333333FF}},
             Case{"run-length mapped", Mapped(9, 8, 24, 0, {0, 0, 0xFF, 0xFF, 0, 0}, {0x00, 1, 0x80, 0}),
                  {0x0000FFFF, 0xFF0000FF}},
         }) {
        Managed<Bitmap2D> bitmap = Load(c.file);
        ASSERT_EQ(bitmap->GetPixelFormat(), Graphics::PixelFormatR8G8B8A8) << c.name;
        EXPECT_EQ(PixelsFromTop(*bitmap), c.fromTop) << c.name;
    }
}

TEST_F(TGALoaderTest, EveryOriginComesOutTheRightWayRound)
{
    // A 3 by 2 image, read from the top: A B C / D E F. Each file lists its rows and pixels
    // in the order its origin bits say.
    const uint32_t A = 0x0A0000FF, B = 0x0B0000FF, C = 0x0C0000FF, D = 0x0D0000FF, E = 0x0E0000FF, F = 0x0F0000FF;
    auto bytes = [](std::initializer_list<uint32_t> pixels) {
        ImageBytes out;
        for (uint32_t p : pixels)
            out.insert(out.end(), {uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(p >> 24)});
        return out;
    };
    struct Case {
        const char* name;
        uint8_t descriptor;
        ImageBytes pixels;
    };
    for (const Case& c : {Case{"bottom-left", 0x00, bytes({D, E, F, A, B, C})},
                          Case{"bottom-right", 0x10, bytes({F, E, D, C, B, A})},
                          Case{"top-left", 0x20, bytes({A, B, C, D, E, F})},
                          Case{"top-right", 0x30, bytes({C, B, A, F, E, D})}}) {
        for (uint8_t type : {uint8_t(2), uint8_t(10)}) {
            TgaFile file = File(type, 24, 3, 2, c.pixels);
            file.descriptor = c.descriptor;
            if (type == 10) {  // the same pixels as one literal packet of six
                file.pixels.insert(file.pixels.begin(), 0x05);
            }
            Managed<Bitmap2D> bitmap = Load(file);
            EXPECT_EQ(PixelsFromTop(*bitmap), (std::vector<uint32_t>{A, B, C, D, E, F})) << c.name << " type " << int(type);
        }
    }
}

TEST_F(TGALoaderTest, TheHeaderIsCheckedBeforeAnyPixel)
{
    struct Case {
        const char* name;
        TgaFile file;
        const char* message;
    };
    auto with = [](TgaFile file, auto change) {
        change(file);
        return file;
    };
    const TgaFile good = File(2, 24, 2, 1, {1, 2, 3, 4, 5, 6});
    for (const Case& c : {
             Case{"colour-map type 2", with(good, [](TgaFile& f) { f.mapType = 2; }), "Not a TGA file"},
             Case{"image type 0", with(good, [](TgaFile& f) { f.imageType = 0; }), "Not a TGA file"},
             Case{"image type 32", with(good, [](TgaFile& f) { f.imageType = 32; }), "Not a TGA file"},
             Case{"image type 17", with(good, [](TgaFile& f) { f.imageType = 17; }), "Not a TGA file"},
             Case{"interleaved", with(good, [](TgaFile& f) { f.descriptor = 0x40; }), "Not a TGA file"},
             Case{"mapped without a map", File(1, 8, 2, 1, {0, 0}), "Not a TGA file"},
             Case{"map of 8-bit entries", Mapped(1, 8, 8, 0, {1, 2}, {0, 1}), "Not a TGA file"},
             Case{"true colour of 8 bits", File(2, 8, 2, 1, {1, 2}), "Unsupported pixel format"},
             Case{"grey of 24 bits", File(3, 24, 2, 1, {1, 2, 3, 4, 5, 6}), "Unsupported pixel format"},
             Case{"run-length of 12 bits", File(10, 12, 2, 1, {0x81, 1, 2}), "Unsupported pixel format"},
             Case{"no width", File(2, 24, 0, 1, {}), "TGA image size invalid: 0 x 1"},
             Case{"too few pixels", File(2, 24, 2, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9}), "TGA file truncated"},
             Case{"identification field where the pixels should be", with(good, [](TgaFile& f) {
                      f.id = {1, 2, 3, 4};
                      f.pixels = {5, 6};
                  }),
                  "TGA file truncated"},
             Case{"run-length packet cut", File(10, 24, 2, 1, {0x01, 1, 2, 3, 4}), "TGA file truncated"},
             Case{"run past the last pixel", File(10, 24, 2, 1, {0x82, 1, 2, 3}), "TGA file corrupt"},
             Case{"literals past the last pixel", File(10, 24, 2, 1, {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9}),
                  "TGA file corrupt"},
             Case{"index past the map", Mapped(1, 8, 24, 0, {1, 2, 3}, {0, 1}), "TGA file corrupt"},
             Case{"index before the map", Mapped(1, 8, 24, 4, {1, 2, 3}, {4, 3}), "TGA file corrupt"},
             Case{"header alone", with(good, [](TgaFile& f) { f.pixels.clear(); }), "TGA file truncated"},
         }) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW_MESSAGE(Load(c.file), c.message);
    }

    ImageBytes shortHeader = good.Build();
    shortHeader.resize(17);
    EXPECT_THROW_MESSAGE(files.LoadWith(*loader, shortHeader), "Not a TGA file");
}

}  // namespace tga_loader_test
