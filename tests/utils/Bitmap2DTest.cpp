// Bitmaps: sizes, premultiplied alpha, rotations and the clipped, turned copies that atlases
// are built with.
#include "utils/Bitmap2D.h"

#include "core/Exception.h"
#include "core/Managed.h"

#include "support/AllocationWatch.h"
#include "support/Expect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace bitmap2d_test {

using Graphics::PixelFormat;
using Testing::AllocationWatch;

// A bitmap whose pixel at storage position (x, y) holds the bytes x, y, 0x40 + x + 8 * y, 0xFF.
Managed<Bitmap2D> Numbered(int width, int height)
{
    Managed<Bitmap2D> bitmap(new Bitmap2D(width, height, Graphics::PixelFormatR8G8B8A8));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bitmap->GetData() + (y * width + x) * 4;
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(0x40 + x + 8 * y);
            p[3] = 0xFF;
        }
    return bitmap;
}

Managed<Bitmap2D> Filled(int width, int height, uint32_t value, PixelFormat format = Graphics::PixelFormatR8G8B8A8)
{
    Managed<Bitmap2D> bitmap(new Bitmap2D(width, height, format));
    const int size = Bitmap2D::GetPixelSize(format);
    for (int i = 0; i < width * height; ++i)
        std::memcpy(bitmap->GetData() + i * size, &value, size_t(size));
    return bitmap;
}

// The four bytes of the pixel at (x, y) counted from the top-left corner.
std::vector<uint8_t> At(const Bitmap2D& bitmap, int x, int y)
{
    const uint8_t* p = bitmap.GetData() + ((bitmap.GetHeight() - 1 - y) * bitmap.GetWidth() + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

std::vector<uint8_t> Bytes(const Bitmap2D& bitmap)
{
    return std::vector<uint8_t>(bitmap.GetData(), bitmap.GetData() + bitmap.GetDataSize());
}

TEST(Bitmap2D, RefusesSizesItCannotHoldBeforeAllocating)
{
    struct Case {
        int width;
        int height;
        PixelFormat format;
        const char* message;
    };
    AllocationWatch watch;
    for (const Case& c : {Case{-1, 4, Graphics::PixelFormatR8G8B8A8, "Bitmap2D: Invalid size -1 x 4"},
                          Case{4, -1, Graphics::PixelFormatLuminance8, "Bitmap2D: Invalid size 4 x -1"},
                          Case{60000, 60000, Graphics::PixelFormatR8G8B8A8, "Bitmap2D: Invalid size 60000 x 60000"},
                          // 2^31 bytes: one more than a signed 32-bit count holds.
                          Case{65536, 8192, Graphics::PixelFormatR8G8B8A8, "Bitmap2D: Invalid size 65536 x 8192"},
                          Case{8192, 16384, Graphics::PixelFormatFloatR32G32B32A32, "Bitmap2D: Invalid size 8192 x 16384"},
                          Case{4, 4, Graphics::PixelFormatDXT1, "Unknown pixel format"},
                          Case{4, 4, Graphics::PixelFormatDepth16, "Unknown pixel format"}})
        EXPECT_THROW_MESSAGE(Bitmap2D(c.width, c.height, c.format), c.message);
    if (AllocationWatch::Available()) {
        EXPECT_LT(watch.LargestAllocation(), 4096u);
    }

    EXPECT_EQ(Bitmap2D(3, 5, Graphics::PixelFormatFloatR32G32B32A32).GetDataSize(), 3 * 5 * 16);
    EXPECT_EQ(Bitmap2D(3, 5, Graphics::PixelFormatLuminance8).GetSize(), Math::Vector2t<int>(3, 5));
    EXPECT_EQ(Bitmap2D(0, 0, Graphics::PixelFormatR8G8B8A8).GetDataSize(), 0);
    EXPECT_THROW_MESSAGE(Bitmap2D(2, 2, Graphics::PixelFormatR8G8B8A8, nullptr), "Bitmap2D: No pixel data");
}

TEST(Bitmap2D, PremultiplyScalesColourByAlphaInEighthsOfABit)
{
    Managed<Bitmap2D> bitmap(new Bitmap2D(4, 1, Graphics::PixelFormatR8G8B8A8));
    const uint8_t pixels[16] = {255, 255, 255, 128, 255, 255, 255, 255, 10, 20, 30, 0, 200, 100, 50, 64};
    std::memcpy(bitmap->GetData(), pixels, 16);
    bitmap->PremultiplyAlpha();
    EXPECT_EQ(Bytes(*bitmap), (std::vector<uint8_t>{127, 127, 127, 128, 254, 254, 254, 255, 0, 0, 0, 0, 50, 25, 12, 64}));

    Managed<Bitmap2D> glyph(new Bitmap2D(1, 1, Graphics::PixelFormatLuminance8));
    EXPECT_THROW_MESSAGE(glyph->PremultiplyAlpha(), "Bitmap2D::PremultiplyAlpha(): Pixel format unsupported.");
}

TEST(Bitmap2D, RotationsFollowTheTableAndComeBackRound)
{
    Managed<Bitmap2D> original = Numbered(4, 2);

    // Code 1: (x, y) goes to (y, W - 1 - x); code 2: to (H - 1 - y, x); code 3: to (W - 1 - x, H - 1 - y).
    for (int code : {1, 2, 3}) {
        Managed<Bitmap2D> turned(original->Rotated(code));
        const bool swapped = code != 3;
        ASSERT_EQ(turned->GetWidth(), swapped ? 2 : 4) << code;
        ASSERT_EQ(turned->GetHeight(), swapped ? 4 : 2) << code;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const int toX = code == 1 ? y : code == 2 ? 1 - y : 3 - x;
                const int toY = code == 1 ? 3 - x : code == 2 ? x : 1 - y;
                const uint8_t* p = turned->GetData() + (toY * turned->GetWidth() + toX) * 4;
                EXPECT_EQ(p[0], x) << code;
                EXPECT_EQ(p[1], y) << code;
            }
    }

    Managed<Bitmap2D> bitmap = Numbered(4, 2);
    bitmap->Rotate(2);
    EXPECT_EQ(bitmap->GetSize(), Math::Vector2t<int>(2, 4));
    bitmap->Rotate(1);
    EXPECT_EQ(bitmap->GetSize(), Math::Vector2t<int>(4, 2));
    EXPECT_EQ(Bytes(*bitmap), Bytes(*original));

    // Other pixel sizes turn as well.
    Managed<Bitmap2D> glyph(new Bitmap2D(3, 1, Graphics::PixelFormatLuminance8));
    const uint8_t row[3] = {1, 2, 3};
    std::memcpy(glyph->GetData(), row, 3);
    glyph->Rotate(3);
    EXPECT_EQ(std::vector<uint8_t>(glyph->GetData(), glyph->GetData() + 3), (std::vector<uint8_t>{3, 2, 1}));

    for (int code : {0, 4, -1})
        EXPECT_THROW_MESSAGE(original->Rotated(code), "Invalid RotateAngle");
}

TEST(Bitmap2D, CopyCountsFromTheTopAndCopiesOnlyTheOverlap)
{
    struct Case {
        const char* name;
        int sourceX, sourceY, destX, destY, width, height;
    };
    Managed<Bitmap2D> source = Numbered(4, 3);
    for (const Case& c : {Case{"inside", 1, 1, 2, 0, 2, 2}, Case{"source left and top", -2, -1, 1, 1, 4, 3},
                          Case{"source right and bottom", 2, 1, 0, 0, 5, 5}, Case{"dest left and top", 0, 0, -1, -2, 4, 3},
                          Case{"dest right and bottom", 0, 0, 3, 2, 4, 3}, Case{"entirely outside", 4, 0, 0, 0, 2, 2},
                          Case{"negative size", 0, 0, 0, 0, -2, 2}}) {
        Managed<Bitmap2D> dest = Filled(5, 4, 0);
        dest->Copy(source.Get(), c.sourceX, c.sourceY, c.destX, c.destY, c.width, c.height);
        // Every destination pixel holds the source pixel that lands there, or zero.
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const int fromX = x - c.destX + c.sourceX;
                const int fromY = y - c.destY + c.sourceY;
                const bool copied = x >= c.destX && x < c.destX + c.width && y >= c.destY && y < c.destY + c.height &&
                                    fromX >= 0 && fromX < 4 && fromY >= 0 && fromY < 3;
                EXPECT_EQ(At(*dest, x, y), copied ? At(*source, fromX, fromY) : std::vector<uint8_t>(4, 0))
                    << c.name << " at " << x << ", " << y;
            }
    }

    Managed<Bitmap2D> glyph(new Bitmap2D(2, 2, Graphics::PixelFormatLuminance8));
    EXPECT_THROW_MESSAGE(Filled(2, 2, 0)->Copy(glyph.Get(), 0, 0, 0, 0, 2, 2),
                         "Bitmap2D::Copy(): Source and Target has different pixel formats");
}

TEST(Bitmap2D, CopyRotatedTurnsTheRectangleAndClipsAtBothEnds)
{
    Managed<Bitmap2D> source = Numbered(4, 3);
    // The 3 by 2 rectangle at (1, 0) turned clockwise is 2 by 3: its top-left pixel ends up
    // at the top-right, its bottom-left at the top-left.
    Managed<Bitmap2D> dest = Filled(4, 4, 0);
    dest->CopyRotated(source.Get(), 1, 0, 1, 1, 3, 2, Bitmap2D::ComponentsRGBA, 1, false);
    EXPECT_EQ(At(*dest, 2, 1), At(*source, 1, 0));
    EXPECT_EQ(At(*dest, 1, 1), At(*source, 1, 1));
    EXPECT_EQ(At(*dest, 1, 3), At(*source, 3, 1));
    EXPECT_EQ(At(*dest, 2, 3), At(*source, 3, 0));
    EXPECT_EQ(At(*dest, 0, 0), std::vector<uint8_t>(4, 0));
    EXPECT_EQ(At(*dest, 3, 1), std::vector<uint8_t>(4, 0));

    // Whatever the turn and wherever the rectangle lies, each pixel lands where the full
    // rectangle would put it, and only if both ends of its way are inside.
    for (int code = 0; code < 4; ++code)
        for (int sourceX : {-2, 0, 1, 3})
            for (int destX : {-3, 0, 2, 4})
                for (int destY : {-2, 1, 3}) {
                    const int w = 4;
                    const int h = 3;
                    Managed<Bitmap2D> target = Filled(5, 4, 0);
                    target->CopyRotated(source.Get(), sourceX, 1, destX, destY, w, h, Bitmap2D::ComponentsRGBA, code,
                                        false);
                    Managed<Bitmap2D> expected = Filled(5, 4, 0);
                    for (int ty = 0; ty < h; ++ty)
                        for (int tx = 0; tx < w; ++tx) {
                            const int fromX = sourceX + tx;
                            const int fromY = 1 + ty;
                            const int turnedX = code == 0 ? tx : code == 1 ? h - 1 - ty : code == 2 ? ty : w - 1 - tx;
                            const int turnedY = code == 0 ? ty : code == 1 ? tx : code == 2 ? w - 1 - tx : h - 1 - ty;
                            const int toX = destX + turnedX;
                            const int toY = destY + turnedY;
                            if (fromX < 0 || fromX >= 4 || fromY < 0 || fromY >= 3 || toX < 0 || toX >= 5 || toY < 0 ||
                                toY >= 4)
                                continue;
                            std::memcpy(expected->GetData() + ((3 - toY) * 5 + toX) * 4,
                                        source->GetData() + ((2 - fromY) * 4 + fromX) * 4, 4);
                        }
                    ASSERT_EQ(Bytes(*target), Bytes(*expected))
                        << "code " << code << " source x " << sourceX << " dest " << destX << ", " << destY;
                }
}

TEST(Bitmap2D, LuminanceBecomesWhiteWithCoverageAlpha)
{
    Managed<Bitmap2D> glyph(new Bitmap2D(3, 1, Graphics::PixelFormatLuminance8));
    const uint8_t coverage[3] = {0, 128, 255};
    std::memcpy(glyph->GetData(), coverage, 3);

    Managed<Bitmap2D> plain = Filled(3, 1, 0x11223344);
    plain->CopyRotated(glyph.Get(), 0, 0, 0, 0, 3, 1, Bitmap2D::Components111R, 0, false);
    EXPECT_EQ(Bytes(*plain), (std::vector<uint8_t>{255, 255, 255, 0, 255, 255, 255, 128, 255, 255, 255, 255}));

    Managed<Bitmap2D> premultiplied = Filled(3, 1, 0x11223344);
    premultiplied->CopyRotated(glyph.Get(), 0, 0, 0, 0, 3, 1, Bitmap2D::Components111R, 0, true);
    EXPECT_EQ(Bytes(*premultiplied), (std::vector<uint8_t>{0, 0, 0, 0, 127, 127, 127, 128, 254, 254, 254, 255}));
}

TEST(Bitmap2D, CopyRotatedChecksModesAndPixelSizes)
{
    Managed<Bitmap2D> colour = Filled(2, 2, 0);
    Managed<Bitmap2D> glyph = Filled(2, 2, 0, Graphics::PixelFormatLuminance8);
    struct Case {
        Bitmap2D* dest;
        Bitmap2D* source;
        int components;
        int rotation;
        const char* message;
    };
    for (const Case& c : {Case{glyph.Get(), colour.Get(), 0, 0, "ComponentsRGBA: Target BPP must be 4"},
                          Case{colour.Get(), glyph.Get(), 0, 0, "ComponentsRGBA: Source BPP must be 4"},
                          Case{glyph.Get(), glyph.Get(), 1, 0, "Components111R: Target BPP must be 4"},
                          Case{colour.Get(), colour.Get(), 2, 0, "Invalid Components"},
                          Case{colour.Get(), colour.Get(), 0, 4, "Invalid RotateAngle"}})
        EXPECT_THROW_MESSAGE(c.dest->CopyRotated(c.source, 0, 0, 0, 0, 2, 2, c.components, c.rotation, false), c.message);
}

}  // namespace bitmap2d_test
