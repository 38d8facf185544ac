// Packing bitmaps into an atlas: the sizes and turns the packer chooses, the corners it
// records, the borders it repeats and the gaps it leaves empty.
#include "utils/Collage2DBuilder.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/Bitmap2D.h"
#include "utils/Collage2D.h"

#include "support/Expect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace collage2d_builder_test {

using Point = Collage2D::Point;

// Pixel (x, y) from the top of image `seed` holds seed, x, y, 255.
Managed<Bitmap2D> Image(int width, int height, int seed)
{
    Managed<Bitmap2D> bitmap(new Bitmap2D(width, height, Graphics::PixelFormatR8G8B8A8));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bitmap->GetData() + ((height - 1 - y) * width + x) * 4;
            p[0] = uint8_t(seed);
            p[1] = uint8_t(x);
            p[2] = uint8_t(y);
            p[3] = 255;
        }
    return bitmap;
}

const uint8_t* AtlasPixel(const Bitmap2D& atlas, Point uv)
{
    const int x = int(std::floor(uv.x * float(atlas.GetWidth())));
    const int y = int(std::floor((1.0f - uv.y) * float(atlas.GetHeight())));
    EXPECT_TRUE(x >= 0 && x < atlas.GetWidth() && y >= 0 && y < atlas.GetHeight()) << x << ", " << y;
    return atlas.GetData() + ((atlas.GetHeight() - 1 - std::clamp(y, 0, atlas.GetHeight() - 1)) * atlas.GetWidth() +
                              std::clamp(x, 0, atlas.GetWidth() - 1)) * 4;
}

void ExpectPoint(Point actual, float u, float v, const char* what)
{
    EXPECT_FLOAT_EQ(actual.x, u) << what;
    EXPECT_FLOAT_EQ(actual.y, v) << what;
}

// The image's corners map to the tile's: top-left 3, top-right 2, bottom-left 0, bottom-right 1.
void ExpectCornersMapped(const Collage2D& collage, int tile, int width, int height)
{
    const Point in[4] = {Point(0, 0), Point(float(width), 0), Point(0, float(height)), Point(float(width), float(height))};
    Point out[4];
    collage.MapPoints(tile, 4, in, out);
    const Point corners[4] = {collage.GetCorner3(tile), collage.GetCorner2(tile), collage.GetCorner0(tile),
                              collage.GetCorner1(tile)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(out[i].x, corners[i].x, 1e-6) << "tile " << tile << " corner " << i;
        EXPECT_NEAR(out[i].y, corners[i].y, 1e-6) << "tile " << tile << " corner " << i;
    }
}

TEST(Collage2DBuilder, ATallImageIsTurnedIntoAWideAtlas)
{
    Managed<Collage2DBuilder> builder(new Collage2DBuilder());
    Managed<Bitmap2D> image = Image(10, 20, 1);
    EXPECT_EQ(builder->Add(image.Get(), Bitmap2D::ComponentsRGBA, false), 0);
    Managed<Bitmap2DCollage> collage(builder->BuildBitmapCollage(Graphics::PixelFormatR8G8B8A8, 2));
    ASSERT_EQ(collage->GetBitmap()->GetSize(), Math::Vector2t<int>(24, 14));
    ASSERT_EQ(collage->GetTileCount(), 1);
    EXPECT_TRUE(collage->IsRotated(0));
    // The image fills 20 by 10 pixels from (2, 2); its bottom-left corner is at the top-left.
    ExpectPoint(collage->GetCorner0(0), 2 / 24.0f, 1 - 2 / 14.0f, "corner 0");
    ExpectPoint(collage->GetCorner1(0), 2 / 24.0f, 1 - 12 / 14.0f, "corner 1");
    ExpectPoint(collage->GetCorner2(0), 22 / 24.0f, 1 - 12 / 14.0f, "corner 2");
    ExpectPoint(collage->GetCorner3(0), 22 / 24.0f, 1 - 2 / 14.0f, "corner 3");
    ExpectCornersMapped(*collage, 0, 10, 20);
}

TEST(Collage2DBuilder, TwoSquaresStackAndTurnSideBySide)
{
    Managed<Collage2DBuilder> builder(new Collage2DBuilder());
    Managed<Bitmap2D> first = Image(8, 8, 1);
    Managed<Bitmap2D> second = Image(8, 8, 2);
    builder->Add(first.Get(), Bitmap2D::ComponentsRGBA, false);
    EXPECT_EQ(builder->Add(second.Get(), Bitmap2D::ComponentsRGBA, false), 1);
    Managed<Bitmap2DCollage> collage(builder->BuildBitmapCollage(Graphics::PixelFormatR8G8B8A8, 0));
    ASSERT_EQ(collage->GetBitmap()->GetSize(), Math::Vector2t<int>(16, 8));
    // The later of two equals sorts last, is taken first and so placed first, at the left;
    // both turned with the pair.
    EXPECT_TRUE(collage->IsRotated(0));
    EXPECT_TRUE(collage->IsRotated(1));
    ExpectPoint(collage->GetCorner3(1), 0.5f, 1.0f, "tile 1 top-left");
    ExpectPoint(collage->GetCorner3(0), 1.0f, 1.0f, "tile 0 top-left");
    ExpectCornersMapped(*collage, 0, 8, 8);
    ExpectCornersMapped(*collage, 1, 8, 8);
}

TEST(Collage2DBuilder, EveryImageIsFoundThroughItsTileFramedByItsEdgesAndGapsStayEmpty)
{
    struct Size {
        int width;
        int height;
    };
    const std::vector<Size> sizes = {{10, 20}, {8, 8}, {8, 8}, {3, 7}, {16, 2}, {1, 1}, {5, 5}, {2, 9}};
    for (int padding : {0, 1, 3}) {
        Managed<Collage2DBuilder> builder(new Collage2DBuilder());
        std::vector<Managed<Bitmap2D>> images;
        for (size_t i = 0; i < sizes.size(); ++i) {
            images.push_back(Image(sizes[i].width, sizes[i].height, int(i) + 1));
            builder->Add(images.back().Get(), Bitmap2D::ComponentsRGBA, false);
        }
        Managed<Bitmap2DCollage> collage(builder->BuildBitmapCollage(Graphics::PixelFormatR8G8B8A8, padding));
        const Bitmap2D& atlas = *collage->GetBitmap();
        ASSERT_EQ(collage->GetTileCount(), int(sizes.size()));

        std::vector<int> owners(size_t(atlas.GetWidth() * atlas.GetHeight()), -1);
        for (int tile = 0; tile < collage->GetTileCount(); ++tile) {
            const int w = sizes[size_t(tile)].width;
            const int h = sizes[size_t(tile)].height;
            ExpectCornersMapped(*collage, tile, w, h);
            // Inside, the image's own pixel; in the border, the nearest edge pixel.
            for (int y = -padding; y < h + padding; ++y)
                for (int x = -padding; x < w + padding; ++x) {
                    const Point in(float(x) + 0.5f, float(y) + 0.5f);
                    Point uv;
                    collage->MapPoints(tile, 1, &in, &uv);
                    const uint8_t* p = AtlasPixel(atlas, uv);
                    const uint8_t expected[4] = {uint8_t(tile + 1), uint8_t(std::clamp(x, 0, w - 1)),
                                                 uint8_t(std::clamp(y, 0, h - 1)), 255};
                    ASSERT_EQ(std::memcmp(p, expected, 4), 0) << "padding " << padding << " tile " << tile << " at "
                                                              << x << ", " << y;
                    int& owner = owners[size_t(p - atlas.GetData()) / 4];
                    ASSERT_EQ(owner, -1) << "two tiles share an atlas pixel";
                    owner = tile;
                }
        }
        for (size_t i = 0; i < owners.size(); ++i)
            if (owners[i] == -1) {
                ASSERT_EQ(std::memcmp(atlas.GetData() + i * 4, "\0\0\0\0", 4), 0) << "gap pixel " << i;
            }
    }
}

TEST(Collage2DBuilder, AGlyphBecomesWhiteCoverageAndCanBePremultiplied)
{
    Managed<Bitmap2D> glyph(new Bitmap2D(2, 1, Graphics::PixelFormatLuminance8));
    glyph->GetData()[0] = 128;
    glyph->GetData()[1] = 255;
    for (bool premultiply : {false, true}) {
        Managed<Collage2DBuilder> builder(new Collage2DBuilder());
        builder->Add(glyph.Get(), Bitmap2D::Components111R, premultiply);
        Managed<Bitmap2DCollage> collage(builder->BuildBitmapCollage(Graphics::PixelFormatR8G8B8A8, 0));
        ASSERT_EQ(collage->GetBitmap()->GetSize(), Math::Vector2t<int>(2, 1));
        const uint8_t* p = collage->GetBitmap()->GetData();
        const std::vector<uint8_t> expected = premultiply ? std::vector<uint8_t>{127, 127, 127, 128, 254, 254, 254, 255}
                                                          : std::vector<uint8_t>{255, 255, 255, 128, 255, 255, 255, 255};
        EXPECT_EQ(std::vector<uint8_t>(p, p + 8), expected) << premultiply;
    }
}

TEST(Collage2DBuilder, EdgeCasesAndRefusals)
{
    Managed<Collage2DBuilder> empty(new Collage2DBuilder());
    Managed<Bitmap2DCollage> nothing(empty->BuildBitmapCollage(Graphics::PixelFormatLuminance8, 4));
    EXPECT_EQ(nothing->GetTileCount(), 0);
    EXPECT_EQ(nothing->GetBitmap()->GetSize(), Math::Vector2t<int>(1, 1));
    EXPECT_EQ(nothing->GetBitmap()->GetPixelFormat(), Graphics::PixelFormatLuminance8);
    EXPECT_EQ(nothing->GetBitmap()->GetData()[0], 0);
    EXPECT_THROW_MESSAGE(nothing->IsRotated(0), "Collage2D: Invalid tile index");

    Managed<Collage2DBuilder> builder(new Collage2DBuilder());
    EXPECT_THROW_MESSAGE(builder->Add(nullptr, 0, false), "Collage2DBuilder: No bitmap");
    Managed<Bitmap2D> image = Image(2, 2, 1);
    builder->Add(image.Get(), Bitmap2D::ComponentsRGBA, false);
    EXPECT_THROW_MESSAGE(builder->BuildBitmapCollage(Graphics::PixelFormatR8G8B8A8, -1),
                         "Collage2DBuilder: Invalid padding");
    EXPECT_THROW_MESSAGE(builder->BuildBitmapCollage(Graphics::PixelFormatLuminance8, 0),
                         "ComponentsRGBA: Target BPP must be 4");
    EXPECT_THROW_MESSAGE(builder->BuildBitmapCollage(Graphics::PixelFormatR8G8B8A8, 1 << 30),
                         "Collage2DBuilder: Atlas too large");
    // The builder holds its own reference to each bitmap.
    EXPECT_EQ(image->GetRefCount(), 2);
}

}  // namespace collage2d_builder_test
