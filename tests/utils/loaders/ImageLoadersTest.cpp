// The four image services together, as a Bitmap2D request meets them: HDR, TGA, PNG, JPEG in
// turn, each leaving the shared stream where it found it, and hostile files that end in an
// Exception without the allocation their headers ask for.
#include "utils/loaders/HDRLoader.h"
#include "utils/loaders/JPEGLoader.h"
#include "utils/loaders/PNGLoader.h"
#include "utils/loaders/TGALoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/Stream.h"
#include "utils/Bitmap2D.h"
#include "utils/Resource.h"

#include "support/AllocationWatch.h"
#include "support/Expect.h"
#include "support/FixtureFile.h"
#include "support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace image_loaders_test {

using Testing::EncodeJpeg;
using Testing::EncodePngRgb;
using Testing::HdrFile;
using Testing::ImageBytes;
using Testing::PixelsFromTop;
using Testing::TgaFile;

const ImageBytes& Png()
{
    static const ImageBytes bytes = EncodePngRgb(2, 1, {10, 20, 30, 40, 50, 60});
    return bytes;
}

ImageBytes Tga(uint8_t type, uint16_t width, uint16_t height, ImageBytes pixels)
{
    TgaFile file;
    file.imageType = type;
    file.width = width;
    file.height = height;
    file.pixels = std::move(pixels);
    return file.Build();
}

// A PNG whose header claims another size, with a checksum that fits the claim.
ImageBytes PngClaiming(uint32_t width, uint32_t height)
{
    ImageBytes bytes = Png();
    const uint8_t size[8] = {uint8_t(width >> 24),  uint8_t(width >> 16),  uint8_t(width >> 8),  uint8_t(width),
                             uint8_t(height >> 24), uint8_t(height >> 16), uint8_t(height >> 8), uint8_t(height)};
    std::copy(size, size + 8, bytes.begin() + 16);
    const uLong crc = crc32(0, bytes.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        bytes[29 + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
    return bytes;
}

// A JPEG whose frame header claims another size.
ImageBytes JpegClaiming(uint16_t width, uint16_t height)
{
    ImageBytes bytes = EncodeJpeg(16, 16, 3, ImageBytes(16 * 16 * 3, 128));
    for (size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = uint8_t(height >> 8);
            bytes[i + 6] = uint8_t(height);
            bytes[i + 7] = uint8_t(width >> 8);
            bytes[i + 8] = uint8_t(width);
            return bytes;
        }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

TEST(ImageLoaders, APngFailsInHdrAndTgaWhichLeaveTheStreamAndLoadsInPng)
{
    Testing::ImageFiles files;
    const std::string name = files.Add(Png());
    ResourceProxy* proxy = files.proxy.Get();
    // The proxy's cached stream, which someone else has read from.
    Resource<IO::Stream, ResourceType::InputStream> stream(proxy, name.c_str());
    stream->Seek(0, 5);

    Managed<Loaders::HDRLoader> hdr(new Loaders::HDRLoader());
    Managed<Loaders::TGALoader> tga(new Loaders::TGALoader());
    Managed<Loaders::JPEGLoader> jpeg(new Loaders::JPEGLoader());
    EXPECT_THROW_MESSAGE(hdr->Load(ResourceType::Bitmap2D, name.c_str(), proxy), "Not a valid #?RADIANCE HDR file");
    EXPECT_EQ(stream->GetPosition(), 5);
    EXPECT_THROW_MESSAGE(tga->Load(ResourceType::Bitmap2D, name.c_str(), proxy), "Not a TGA file");
    EXPECT_EQ(stream->GetPosition(), 5);
    EXPECT_THROW_MESSAGE(jpeg->Load(ResourceType::Bitmap2D, name.c_str(), proxy), "Not a JPG file");
    EXPECT_EQ(stream->GetPosition(), 5);

    Resource<Bitmap2D, ResourceType::Bitmap2D> bitmap(proxy, name.c_str());
    EXPECT_EQ(PixelsFromTop(*bitmap.Get()), (std::vector<uint32_t>{0x0A141EFF, 0x28323CFF}));
    // Loading again over the same stream, now read to its end, gives the same pixels.
    Managed<Bitmap2D> again(static_cast<Bitmap2D*>(proxy->Reload(nullptr, ResourceType::Bitmap2D, name.c_str())));
    EXPECT_NE(again.Get(), bitmap.Get());
    EXPECT_EQ(PixelsFromTop(*again), PixelsFromTop(*bitmap.Get()));
}

TEST(ImageLoaders, AServiceThatFailsLateStillPutsTheStreamBack)
{
    Testing::ImageFiles files;
    ResourceProxy* proxy = files.proxy.Get();
    Managed<Loaders::HDRLoader> hdr(new Loaders::HDRLoader());
    Managed<Loaders::TGALoader> tga(new Loaders::TGALoader());
    Managed<Loaders::PNGLoader> png(new Loaders::PNGLoader());
    Managed<Loaders::JPEGLoader> jpeg(new Loaders::JPEGLoader());
    const ImageBytes jpegFile = EncodeJpeg(8, 8, 1, ImageBytes(64, 100));
    struct Case {
        const char* name;
        ResourceProxy::Service* service;
        ImageBytes bytes;
    };
    for (const Case& c : {Case{"HDR run past the end", hdr.Get(), HdrFile(8, 1, {2, 2, 0, 8, 0x89, 1})},
                          Case{"TGA cut", tga.Get(), Tga(2, 2, 2, ImageBytes(9, 1))},
                          Case{"PNG cut", png.Get(), ImageBytes(Png().begin(), Png().end() - 20)},
                          Case{"JPEG cut", jpeg.Get(), ImageBytes(jpegFile.begin(), jpegFile.begin() + 60)}}) {
        const std::string name = files.Add(c.bytes);
        Resource<IO::Stream, ResourceType::InputStream> stream(proxy, name.c_str());
        stream->Seek(0, 3);
        EXPECT_THROW(c.service->Load(ResourceType::Bitmap2D, name.c_str(), proxy), Exception) << c.name;
        EXPECT_EQ(stream->GetPosition(), 3) << c.name;
    }
}

TEST(ImageLoaders, ARequestNoServiceAcceptsReportsEachInTurn)
{
    Testing::ImageFiles files;
    const std::string name = files.Add(ImageBytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'});
    EXPECT_THROW_MESSAGE(files.proxy->Get(ResourceType::Bitmap2D, name.c_str()),
                         ("Descriptor '" + name +
                          "' could not be converted to an object: \n"
                          "HDRLoader: Not a valid #?RADIANCE HDR file\n"
                          "TGALoader: Not a TGA file\n"
                          "PNGLoader: Not a PNG file\n"
                          "JPEGLoader: Not a JPG file\n")
                             .c_str());
}

TEST(ImageLoaders, SmallFilesWithoutALineFeedLoadThroughTheChain)
{
    Testing::ImageFiles files;
    const ImageBytes tga = Tga(2, 1, 1, {3, 2, 1});
    // Huffman tables of only the codes used keep a flat 8 by 8 file free of the byte 10.
    const ImageBytes jpeg = EncodeJpeg(8, 8, 1, ImageBytes(64, 128), 100, false, true);
    for (const ImageBytes* bytes : {&tga, &jpeg})
        ASSERT_EQ(std::count(bytes->begin(), bytes->end(), uint8_t('\n')), 0);
    EXPECT_EQ(PixelsFromTop(*files.Load(tga)), std::vector<uint32_t>{0x010203FF});
    Managed<Bitmap2D> grey = files.Load(jpeg);
    ASSERT_EQ(grey->GetSize(), Math::Vector2t<int>(8, 8));
    EXPECT_NEAR(grey->GetData()[0], 128, 2);
}

TEST(ImageLoaders, HostileFilesEndInAnExceptionWithoutTheAllocationTheyAskFor)
{
    struct Case {
        const char* name;
        ImageBytes bytes;
        std::string line;  // the line of the service that took the file for its own
    };
    const ImageBytes rle = {2, 2, 0, 8, 0x88, 1, 0x88, 2, 0x88, 3, 0x88, 4};
    const ImageBytes jpeg = EncodeJpeg(16, 16, 3, ImageBytes(16 * 16 * 3, 77));
    const std::vector<Case> cases = {
        {"HDR 60000 square", HdrFile(60000, 60000, rle), "HDRLoader: HDR image too large: 60000 x 60000 pixels"},
        {"HDR more pixels than allowed", HdrFile(16000, 16000, rle), "HDRLoader: HDR image too large: 16000 x 16000 pixels"},
        {"HDR height the bytes cannot hold", HdrFile(16, 16000, rle), "HDRLoader: Unable to read data from stream"},
        {"HDR cut in a scanline", HdrFile(8, 2, rle), "HDRLoader: Unable to read data from stream"},
        {"HDR run past its scanline", HdrFile(8, 1, {2, 2, 0, 8, 0x89, 1}), "HDRLoader: RADIANCE file corrupt"},
        {"TGA 60000 square", Tga(2, 60000, 60000, ImageBytes(64, 1)), "TGALoader: TGA image too large: 60000 x 60000 pixels"},
        {"TGA size the bytes cannot hold", Tga(2, 4000, 4000, ImageBytes(12, 1)), "TGALoader: TGA file truncated"},
        {"TGA run-length size the bytes cannot hold", Tga(10, 4000, 4000, {0xFF, 1, 2, 3}), "TGALoader: TGA file truncated"},
        {"TGA run past the last pixel", Tga(10, 2, 1, {0x85, 1, 2, 3}), "TGALoader: TGA file corrupt"},
        {"PNG 60000 square", PngClaiming(60000, 60000), "PNGLoader: PNG image too large: 60000 x 60000 pixels"},
        {"PNG cut in half", ImageBytes(Png().begin(), Png().begin() + long(Png().size() / 2)), "PNGLoader: Not a PNG file: "},
        {"PNG larger than its data", PngClaiming(4000, 4000), "PNGLoader: PNG file truncated"},
        // Found by the PNG fuzz target: 65 bytes whose text chunk claims 1 GiB, which libpng
        // allocated (its own length check only warns while reading).
        {"PNG chunk larger than the file", Testing::ReadFixture("fuzz/png/huge-text-chunk.png"), "PNGLoader: Not a PNG file: "},
        {"JPEG 60000 square", JpegClaiming(60000, 60000), "JPEGLoader: JPEG image too large: 60000 x 60000 pixels"},
        {"JPEG larger than its data", JpegClaiming(8000, 8000), "JPEGLoader: JPEG file truncated"},
        {"JPEG cut in its tables", ImageBytes(jpeg.begin(), jpeg.begin() + 100), "JPEGLoader: Not a JPG file: "},
    };
    Testing::ImageFiles files;
    Testing::AllocationWatch watch;
    for (const Case& c : cases) {
        try {
            files.Load(c.bytes);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const Exception& error) {
            const std::string report = error.GetMessage().CStr();
            EXPECT_NE(report.find("\n" + c.line), std::string::npos) << c.name << ":\n" << report;
        }
    }
    if (Testing::AllocationWatch::Available()) {
        EXPECT_LT(watch.LargestAllocation(), size_t(1) << 20);
    }
}

}  // namespace image_loaders_test
