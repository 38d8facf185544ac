// PNG files into RGBA bitmaps through libpng: every colour type, palettes with transparency,
// 16-bit and sub-byte samples, interlacing, and damaged files.
#include "utils/loaders/PNGLoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/Bitmap2D.h"

#include "support/Expect.h"
#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace png_loader_test {

using Testing::ImageBytes;
using Testing::PixelsFromTop;
using Testing::PngImage;

class PNGLoaderTest : public testing::Test {
protected:
    Managed<Bitmap2D> Load(const ImageBytes& bytes) { return files.LoadWith(*loader, bytes); }

    Testing::ImageFiles files;
    Managed<Loaders::PNGLoader> loader{new Loaders::PNGLoader()};
};

PngImage Image(int colourType, int bitDepth, int width, int height, ImageBytes rows)
{
    PngImage image;
    image.colourType = colourType;
    image.bitDepth = bitDepth;
    image.width = width;
    image.height = height;
    image.rows = std::move(rows);
    return image;
}

TEST_F(PNGLoaderTest, EveryColourTypeBecomesRgbaBottomRowFirst)
{
    struct Case {
        const char* name;
        PngImage image;
        std::vector<uint32_t> fromTop;
    };
    PngImage palette = Image(PNG_COLOR_TYPE_PALETTE, 8, 3, 1, {2, 0, 1});
    palette.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    palette.transparency = {0x80, 0x00};  // entry 2 has none: opaque
    PngImage packedPalette = Image(PNG_COLOR_TYPE_PALETTE, 2, 3, 1, {0b00011000});
    packedPalette.palette = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    for (const Case& c : {
             Case{"RGB", Image(PNG_COLOR_TYPE_RGB, 8, 2, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
                  {0x010203FF, 0x040506FF, 0x070809FF, 0x0A0B0CFF}},
             Case{"RGBA", Image(PNG_COLOR_TYPE_RGB_ALPHA, 8, 1, 2, {1, 2, 3, 4, 5, 6, 7, 0}), {0x01020304, 0x05060700}},
             // 16-bit samples keep their high byte.
             Case{"RGB 16", Image(PNG_COLOR_TYPE_RGB, 16, 1, 1, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xFF}), {0x12569AFF}},
             Case{"RGBA 16", Image(PNG_COLOR_TYPE_RGB_ALPHA, 16, 1, 1, {1, 0xFF, 2, 0xFF, 3, 0xFF, 0x80, 0xFF}),
                  {0x01020380}},
             Case{"palette with transparency", palette, {0x0000FFFF, 0xFF000080, 0x00FF0000}},
             Case{"2-bit palette", packedPalette, {0x010203FF, 0x040506FF, 0x070809FF}},
             Case{"grey", Image(PNG_COLOR_TYPE_GRAY, 8, 2, 1, {0x00, 0x9A}), {0x000000FF, 0x9A9A9AFF}},
             Case{"1-bit grey", Image(PNG_COLOR_TYPE_GRAY, 1, 3, 1, {0b10100000}), {0xFFFFFFFF, 0x000000FF, 0xFFFFFFFF}},
             Case{"4-bit grey", Image(PNG_COLOR_TYPE_GRAY, 4, 2, 1, {0xF1}), {0xFFFFFFFF, 0x111111FF}},
             Case{"grey 16", Image(PNG_COLOR_TYPE_GRAY, 16, 1, 1, {0xAB, 0xCD}), {0xABABABFF}},
             Case{"grey and alpha", Image(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2, 1, {0x40, 0x80, 0xFF, 0x00}),
                  {0x40404080, 0xFFFFFF00}},
         }) {
        Managed<Bitmap2D> bitmap = Load(EncodePng(c.image));
        ASSERT_EQ(bitmap->GetSize(), Math::Vector2t<int>(c.image.width, c.image.height)) << c.name;
        EXPECT_EQ(bitmap->GetPixelFormat(), Graphics::PixelFormatR8G8B8A8) << c.name;
        EXPECT_EQ(PixelsFromTop(*bitmap), c.fromTop) << c.name;
    }
}

TEST_F(PNGLoaderTest, InterlacedFilesDecodeToTheSamePixels)
{
    // 11 by 9 reaches every pass of the interlacing.
    ImageBytes rgb;
    std::vector<uint32_t> fromTop;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 11; ++x) {
            const uint8_t r = uint8_t(x * 20), g = uint8_t(y * 25), b = uint8_t(x ^ y);
            rgb.insert(rgb.end(), {r, g, b});
            fromTop.push_back(uint32_t(r) << 24 | uint32_t(g) << 16 | uint32_t(b) << 8 | 0xFF);
        }
    PngImage image = Image(PNG_COLOR_TYPE_RGB, 8, 11, 9, rgb);
    image.interlaced = true;
    Managed<Bitmap2D> interlaced = Load(EncodePng(image));
    EXPECT_EQ(PixelsFromTop(*interlaced), fromTop);
    image.interlaced = false;
    EXPECT_EQ(PixelsFromTop(*Load(EncodePng(image))), fromTop);
}

TEST_F(PNGLoaderTest, DamagedFilesAreRefusedWithLibpngsReason)
{
    const ImageBytes good = EncodePng(Image(PNG_COLOR_TYPE_RGB, 8, 2, 2, ImageBytes(12, 7)));
    ImageBytes notPng = good;
    notPng[1] = 'Q';
    EXPECT_THROW_MESSAGE(Load(notPng), "Not a PNG file");
    EXPECT_THROW_MESSAGE(Load(ImageBytes(good.begin(), good.begin() + 5)), "Not a PNG file");

    struct Case {
        const char* name;
        ImageBytes bytes;
    };
    ImageBytes badChecksum = good;
    badChecksum[29] ^= 0x01;  // the IHDR chunk's checksum
    ImageBytes noEnd(good.begin(), good.end() - 12);
    for (const Case& c : {Case{"signature alone", ImageBytes(good.begin(), good.begin() + 8)},
                          Case{"cut in the header", ImageBytes(good.begin(), good.begin() + 20)},
                          Case{"cut in the image data", ImageBytes(good.begin(), good.begin() + long(good.size()) - 20)},
                          Case{"without its end chunk", noEnd}, Case{"checksum", badChecksum}}) {
        try {
            Load(c.bytes);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const Exception& error) {
            EXPECT_TRUE(error.GetMessage().StartsWith("Not a PNG file: ")) << c.name << ": " << error.GetMessage().CStr();
        }
    }
}

}  // namespace png_loader_test
