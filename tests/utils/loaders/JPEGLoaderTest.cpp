// JPEG files into RGBA bitmaps through libjpeg: colour, greyscale and progressive files the
// right way up, and files that are cut short or of a kind the loader does not take.
#include "utils/loaders/JPEGLoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/Bitmap2D.h"

#include "support/Expect.h"
#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace jpeg_loader_test {

using Testing::EncodeJpeg;
using Testing::ImageBytes;

class JPEGLoaderTest : public testing::Test {
protected:
    Managed<Bitmap2D> Load(const ImageBytes& bytes) { return files.LoadWith(*loader, bytes); }

    Testing::ImageFiles files;
    Managed<Loaders::JPEGLoader> loader{new Loaders::JPEGLoader()};
};

// 32 by 32, rows from the top, in quarters of one colour each, so that every 16 by 16 block
// the encoder codes is flat: red, green / blue, white.
const uint8_t Quarters[4][3] = {{220, 30, 30}, {30, 200, 40}, {20, 40, 210}, {250, 250, 250}};

ImageBytes QuarterPixels()
{
    ImageBytes rgb;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint8_t* colour = Quarters[(y / 16) * 2 + x / 16];
            rgb.insert(rgb.end(), colour, colour + 3);
        }
    return rgb;
}

// The pixel at (x, y) from the top is within a few steps of `rgb` and opaque.
void ExpectNear(const Bitmap2D& bitmap, int x, int y, const uint8_t* rgb, const char* what)
{
    const uint8_t* p = bitmap.GetData() + ((bitmap.GetHeight() - 1 - y) * bitmap.GetWidth() + x) * 4;
    for (int c = 0; c < 3; ++c)
        EXPECT_LE(std::abs(int(p[c]) - int(rgb[c])), 4) << what << " at " << x << ", " << y << " channel " << c;
    EXPECT_EQ(p[3], 255) << what;
}

TEST_F(JPEGLoaderTest, ColourAndProgressiveFilesComeOutTheRightWayUp)
{
    for (bool progressive : {false, true}) {
        const char* what = progressive ? "progressive" : "baseline";
        Managed<Bitmap2D> bitmap = Load(EncodeJpeg(32, 32, 3, QuarterPixels(), 95, progressive));
        ASSERT_EQ(bitmap->GetSize(), Math::Vector2t<int>(32, 32)) << what;
        ASSERT_EQ(bitmap->GetPixelFormat(), Graphics::PixelFormatR8G8B8A8) << what;
        for (int quarter = 0; quarter < 4; ++quarter)
            for (int corner = 0; corner < 4; ++corner) {
                const int x = (quarter % 2) * 16 + 3 + (corner % 2) * 10;
                const int y = (quarter / 2) * 16 + 3 + (corner / 2) * 10;
                ExpectNear(*bitmap, x, y, Quarters[quarter], what);
            }
    }
}

TEST_F(JPEGLoaderTest, GreyscaleBecomesGreyRgba)
{
    ImageBytes grey(16 * 16);
    for (int y = 0; y < 16; ++y)
        std::fill(grey.begin() + y * 16, grey.begin() + y * 16 + 16, y < 8 ? 200 : 50);
    Managed<Bitmap2D> bitmap = Load(EncodeJpeg(16, 16, 1, grey));
    ASSERT_EQ(bitmap->GetSize(), Math::Vector2t<int>(16, 16));
    const uint8_t light[3] = {200, 200, 200};
    const uint8_t dark[3] = {50, 50, 50};
    ExpectNear(*bitmap, 4, 2, light, "top");
    ExpectNear(*bitmap, 12, 13, dark, "bottom");
    const uint8_t* p = bitmap->GetData();
    EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]);
}

TEST_F(JPEGLoaderTest, RefusalsAndFilesCutShort)
{
    const ImageBytes good = EncodeJpeg(32, 32, 3, QuarterPixels());
    EXPECT_THROW_MESSAGE(Load(ImageBytes{0xFF, 0xD8}), "Not a JPG file");
    EXPECT_THROW_MESSAGE(Load(ImageBytes{'G', 'I', 'F', '8', '9', 'a'}), "Not a JPG file");
    EXPECT_THROW_MESSAGE(Load(EncodeJpeg(16, 16, 4, ImageBytes(16 * 16 * 4, 90))), "Unsupported JPEG pixel format");

    struct Case {
        const char* name;
        ImageBytes bytes;
    };
    ImageBytes junk = {0xFF, 0xD8, 0xFF, 0x01, 0x02, 0x03, 0x04};
    for (const Case& c : {Case{"cut in the tables", ImageBytes(good.begin(), good.begin() + 120)},
                          Case{"start of image alone", ImageBytes(good.begin(), good.begin() + 3)},
                          Case{"junk after the start", junk}}) {
        try {
            Load(c.bytes);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const Exception& error) {
            EXPECT_TRUE(error.GetMessage().StartsWith("Not a JPG file: ")) << c.name << ": " << error.GetMessage().CStr();
        }
    }

    // A progressive file whose last scan comes again and again would cost a pass over the
    // image each time.
    const ImageBytes progressive = EncodeJpeg(32, 32, 3, QuarterPixels(), 95, true);
    size_t lastScan = 0;
    for (size_t i = 0; i + 1 < progressive.size(); ++i)
        if (progressive[i] == 0xFF && progressive[i + 1] == 0xDA)
            lastScan = i;
    ImageBytes endless(progressive.begin(), progressive.begin() + long(lastScan));
    for (int i = 0; i < 600; ++i)
        endless.insert(endless.end(), progressive.begin() + long(lastScan), progressive.end() - 2);
    endless.insert(endless.end(), {0xFF, 0xD9});
    EXPECT_THROW_MESSAGE(Load(endless), "Not a JPG file: more than 500 scans");

    // Cut inside the image data, the file ends there: the image keeps its size, and what
    // arrived is there.
    size_t scan = 0;
    for (size_t i = 0; i + 1 < good.size(); ++i)
        if (good[i] == 0xFF && good[i + 1] == 0xDA) {
            scan = i;
            break;
        }
    ASSERT_GT(scan, 0u);
    Managed<Bitmap2D> cut = Load(ImageBytes(good.begin(), good.begin() + long(scan + (good.size() - scan) / 2)));
    ASSERT_EQ(cut->GetSize(), Math::Vector2t<int>(32, 32));
    ExpectNear(*cut, 3, 3, Quarters[0], "first block of a cut file");
}

}  // namespace jpeg_loader_test
