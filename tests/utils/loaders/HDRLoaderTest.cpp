// Radiance files into bitmaps of their RGBE bytes: the scanline forms, the header, and files
// that lie about their runs.
#include "utils/loaders/HDRLoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/Bitmap2D.h"

#include "support/Expect.h"
#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace hdr_loader_test {

using Testing::HdrFile;
using Testing::ImageBytes;

class HDRLoaderTest : public testing::Test {
protected:
    Managed<Bitmap2D> Load(const ImageBytes& bytes) { return files.LoadWith(*loader, bytes); }
    // The bitmap's bytes, row 0 first.
    static ImageBytes Stored(const Bitmap2D& bitmap)
    {
        return ImageBytes(bitmap.GetData(), bitmap.GetData() + bitmap.GetDataSize());
    }

    Testing::ImageFiles files;
    Managed<Loaders::HDRLoader> loader{new Loaders::HDRLoader()};
};

ImageBytes Join(std::initializer_list<ImageBytes> pieces)
{
    ImageBytes out;
    for (const ImageBytes& piece : pieces)
        out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

TEST_F(HDRLoaderTest, RunLengthScanlinesKeepTheirBytesFirstScanlineFirst)
{
    // Width 8. Red: one run of 16; green: 8 literals; blue: 0x83 0x10 gives three 16s, then
    // five literals; exponent: a run of 128.
    const ImageBytes first = {2, 2, 0, 8, 0x88, 16, 8, 1, 2, 3, 4, 5, 6, 7, 8, 0x83, 16, 5, 9, 9, 9, 9, 9, 0x88, 128};
    const ImageBytes second = {2, 2, 0, 8, 0x88, 1, 0x88, 2, 0x88, 3, 0x84, 4, 0x84, 5};
    Managed<Bitmap2D> bitmap = Load(HdrFile(8, 2, Join({first, second})));
    ASSERT_EQ(bitmap->GetSize(), Math::Vector2t<int>(8, 2));
    EXPECT_EQ(bitmap->GetPixelFormat(), Graphics::PixelFormatR8G8B8A8);
    ImageBytes expected;
    for (int x = 0; x < 8; ++x)
        expected.insert(expected.end(), {16, uint8_t(x + 1), uint8_t(x < 3 ? 16 : 9), 128});
    for (int x = 0; x < 8; ++x)
        expected.insert(expected.end(), {1, 2, 3, uint8_t(x < 4 ? 4 : 5)});
    EXPECT_EQ(Stored(*bitmap), expected);
}

TEST_F(HDRLoaderTest, FlatAndOldRunLengthScanlinesDecode)
{
    struct Case {
        const char* name;
        int width;
        int height;
        ImageBytes scanlines;
        ImageBytes expected;
    };
    const ImageBytes p = {10, 20, 30, 130};
    const ImageBytes q = {40, 50, 60, 131};
    auto repeat = [](const ImageBytes& pixel, int count) {
        ImageBytes out;
        for (int i = 0; i < count; ++i)
            out.insert(out.end(), pixel.begin(), pixel.end());
        return out;
    };
    for (const Case& c : {
             // Narrower than 8: always flat.
             Case{"three wide", 3, 2, Join({p, q, p, q, q, p}), Join({p, q, p, q, q, p})},
             // Wide enough for runs, but the scanline does not start 2, 2.
             Case{"flat eight", 8, 1, repeat(Join({p, q}), 4), repeat(Join({p, q}), 4)},
             // 1, 1, 1, n repeats the previous pixel n times; a second one counts 256 times more.
             Case{"repeat", 10, 1, Join({q, p, {1, 1, 1, 8}}), Join({q, repeat(p, 9)})},
             Case{"shifted repeat", 300, 1, Join({p, {1, 1, 1, 43}, {1, 1, 1, 1}}), repeat(p, 300)},
             // A flat scanline next to a run-length one.
             Case{"mixed", 8, 2, Join({repeat(q, 8), {2, 2, 0, 8, 0x88, 10, 0x88, 20, 0x88, 30, 0x88, 130}}),
                  Join({repeat(q, 8), repeat(p, 8)})},
         }) {
        Managed<Bitmap2D> bitmap = Load(HdrFile(c.width, c.height, c.scanlines));
        ASSERT_EQ(bitmap->GetSize(), Math::Vector2t<int>(c.width, c.height)) << c.name;
        EXPECT_EQ(Stored(*bitmap), c.expected) << c.name;
    }
}

TEST_F(HDRLoaderTest, HeaderLinesAndTheirRefusals)
{
    const ImageBytes pixel = {1, 2, 3, 4};
    Managed<Bitmap2D> plain =
        Load(HdrFile(1, 1, pixel, "#?RADIANCE\nEXPOSURE=1.0\n#comment\nFORMAT=32-bit_rle_rgbe\nGAMMA=2.2\n\n"));
    EXPECT_EQ(Stored(*plain), pixel);
    Managed<Bitmap2D> bare = Load(HdrFile(1, 1, pixel, "#?RADIANCE\n\n"));
    EXPECT_EQ(Stored(*bare), pixel);

    auto text = [&](const std::string& header) {
        ImageBytes out(header.begin(), header.end());
        out.insert(out.end(), pixel.begin(), pixel.end());
        return out;
    };
    struct Case {
        ImageBytes bytes;
        const char* message;
    };
    for (const Case& c : {
             Case{text("#?RGBE\n\n-Y 1 +X 1\n"), "Not a valid #?RADIANCE HDR file"},
             Case{text("#?RADIANCE\r\n\n-Y 1 +X 1\n"), "Not a valid #?RADIANCE HDR file"},
             Case{text("#?RADIANCE"), "Not a valid #?RADIANCE HDR file"},
             Case{text("#?RADIANCE\nFORMAT=32-bit_rle_xyze\n\n-Y 1 +X 1\n"),
                  "RADIANCE format not supported (must be 32-bit_rle_rgbe)"},
             Case{text("#?RADIANCE\n\n+Y 1 +X 1\n"), "RADIANCE file corrupt"},
             Case{text("#?RADIANCE\n\n-Y 1 -X 1\n"), "RADIANCE file corrupt"},
             Case{text("#?RADIANCE\n\n-Y 1 +X\n"), "RADIANCE file corrupt"},
             Case{text("#?RADIANCE\n\n-Y 1 +X 1 5\n"), "RADIANCE file corrupt"},
             Case{text("#?RADIANCE\n\n-Y one +X 1\n"), "RADIANCE file corrupt"},
             Case{text("#?RADIANCE\n\n-Y 1 +X 1\r\n"), "RADIANCE file corrupt"},
             Case{text("#?RADIANCE\n\n-Y 0 +X 1\n"), "HDR image size invalid: 1 x 0"},
             Case{text("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n"), "RADIANCE file corrupt"},
         })
        EXPECT_THROW_MESSAGE(Load(c.bytes), c.message);
}

TEST_F(HDRLoaderTest, RunsAndPixelsMustStayInsideTheirScanline)
{
    struct Case {
        const char* name;
        int width;
        ImageBytes scanline;
        const char* message;
    };
    for (const Case& c : {
             Case{"run past the end", 8, {2, 2, 0, 8, 0x84, 1, 0x85, 1}, "RADIANCE file corrupt"},
             Case{"literals past the end", 8, {2, 2, 0, 8, 0x86, 1, 3, 1, 2, 3}, "RADIANCE file corrupt"},
             Case{"empty literal", 8, {2, 2, 0, 8, 0, 0x88, 1}, "RADIANCE file corrupt"},
             Case{"marker of another width", 8, {2, 2, 0, 9, 0x88, 1, 0x88, 1, 0x88, 1, 0x88, 1}, "RADIANCE file corrupt"},
             Case{"repeat first", 3, {1, 1, 1, 2, 5, 5, 5, 5}, "RADIANCE file corrupt"},
             Case{"repeat past the end", 3, {5, 5, 5, 5, 1, 1, 1, 3}, "RADIANCE file corrupt"},
             Case{"shifted past the end", 3, {5, 5, 5, 5, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0},
                  "RADIANCE file corrupt"},
             Case{"ends in a channel", 8, {2, 2, 0, 8, 0x88, 1, 0x88, 1, 0x84}, "Unable to read data from stream"},
             Case{"ends in a pixel", 3, {5, 5, 5, 5, 6, 6}, "Unable to read data from stream"},
         }) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW_MESSAGE(Load(HdrFile(c.width, 1, c.scanline)), c.message);
    }
}

}  // namespace hdr_loader_test
