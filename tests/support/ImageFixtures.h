#pragma once
// Image files made by the tests themselves: PNG through libpng's writer, JPEG through
// libjpeg's compressor, TGA and Radiance HDR as raw bytes; a proxy over a file system in
// memory that loads them; and the pixels of a bitmap as a person reads them.

#include "core/Managed.h"
#include "utils/Bitmap2D.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"

#include "support/MemoryFileSystem.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace Nimbrel::Testing {

using ImageBytes = std::vector<uint8_t>;

// A PNG file to write: rows top first in the file's own sample layout (16-bit samples
// big-endian, samples below 8 bits packed), without filter bytes.
struct PngImage {
    int width = 1;
    int height = 1;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    ImageBytes rows;
    std::vector<png_color> palette;
    // Alpha per palette entry.
    ImageBytes transparency;
};

namespace image_fixtures_detail {

struct PngSink {
    ImageBytes* out;
};

inline void WritePngData(png_structp png, png_bytep data, size_t length)
{
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    sink->out->insert(sink->out->end(), data, data + length);
}

inline void FlushPng(png_structp) {}

// Plain so that libpng's longjmp skips nothing with a destructor; false on a libpng error.
inline bool WritePng(png_structp png, png_infop info, const PngImage& image, png_bytepp rows, PngSink* sink)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, sink, WritePngData, FlushPng);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), image.bitDepth, image.colourType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, image.palette.data(), int(image.palette.size()));
    if (!image.transparency.empty())
        png_set_tRNS(png, info, image.transparency.data(), int(image.transparency.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

inline void JpegFailed(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Plain for the same reason; `out` is malloc'ed by libjpeg's memory destination.
inline bool WriteJpeg(jpeg_compress_struct* compressor, JpegErrors* errors, const uint8_t* pixels, int width,
                      int height, int components, int quality, bool progressive, bool optimize,
                      unsigned char** out, unsigned long* size)
{
    compressor->err = jpeg_std_error(&errors->manager);
    errors->manager.error_exit = JpegFailed;
    if (setjmp(errors->jump))
        return false;
    jpeg_create_compress(compressor);
    jpeg_mem_dest(compressor, out, size);
    compressor->image_width = JDIMENSION(width);
    compressor->image_height = JDIMENSION(height);
    compressor->input_components = components;
    compressor->in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(compressor);
    jpeg_set_quality(compressor, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(compressor);
    compressor->optimize_coding = optimize ? TRUE : FALSE;
    jpeg_start_compress(compressor, TRUE);
    while (compressor->next_scanline < compressor->image_height) {
        JSAMPROW row = const_cast<uint8_t*>(pixels) + size_t(compressor->next_scanline) * size_t(width) * size_t(components);
        jpeg_write_scanlines(compressor, &row, 1);
    }
    jpeg_finish_compress(compressor);
    return true;
}

inline void Put16(ImageBytes& out, unsigned value)
{
    out.push_back(uint8_t(value & 0xFF));
    out.push_back(uint8_t(value >> 8));
}

}  // namespace image_fixtures_detail

inline ImageBytes EncodePng(const PngImage& image)
{
    using namespace image_fixtures_detail;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info)
        throw std::runtime_error("EncodePng: libpng could not start");
    const size_t rowBytes = image.rows.size() / size_t(image.height);
    std::vector<png_bytep> rows;
    for (int r = 0; r < image.height; ++r)
        rows.push_back(const_cast<png_bytep>(image.rows.data()) + size_t(r) * rowBytes);
    ImageBytes out;
    PngSink sink{&out};
    const bool written = WritePng(png, info, image, rows.data(), &sink);
    png_destroy_write_struct(&png, &info);
    if (!written)
        throw std::runtime_error("EncodePng: libpng failed");
    return out;
}

// An 8-bit RGB image, rows top first.
inline ImageBytes EncodePngRgb(int width, int height, const ImageBytes& rgb)
{
    PngImage image;
    image.width = width;
    image.height = height;
    image.rows = rgb;
    return EncodePng(image);
}

// `pixels` rows top first with `components` bytes each: 1 greyscale, 3 RGB, 4 CMYK.
// `optimize` gives Huffman tables of only the codes used.
inline ImageBytes EncodeJpeg(int width, int height, int components, const ImageBytes& pixels, int quality = 95,
                             bool progressive = false, bool optimize = false)
{
    using namespace image_fixtures_detail;
    if (pixels.size() != size_t(width) * size_t(height) * size_t(components))
        throw std::invalid_argument("EncodeJpeg: the pixels do not match the size");
    jpeg_compress_struct compressor{};
    JpegErrors errors{};
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const bool written = WriteJpeg(&compressor, &errors, pixels.data(), width, height, components, quality,
                                   progressive, optimize, &out, &size);
    jpeg_destroy_compress(&compressor);
    ImageBytes bytes;
    if (written && out)
        bytes.assign(out, out + size);
    std::free(out);
    if (!written)
        throw std::runtime_error("EncodeJpeg: libjpeg failed");
    return bytes;
}

// A TGA file: the 18-byte header, the identification field, the colour map and the pixel
// bytes exactly as given.
struct TgaFile {
    uint8_t mapType = 0;
    uint8_t imageType = 2;
    uint16_t mapFirst = 0;
    uint16_t mapLength = 0;
    uint8_t mapBits = 0;
    uint16_t width = 1;
    uint16_t height = 1;
    uint8_t depth = 24;
    uint8_t descriptor = 0;
    ImageBytes id;
    ImageBytes map;
    ImageBytes pixels;

    ImageBytes Build() const
    {
        using image_fixtures_detail::Put16;
        ImageBytes out{uint8_t(id.size()), mapType, imageType};
        Put16(out, mapFirst);
        Put16(out, mapLength);
        out.push_back(mapBits);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, width);
        Put16(out, height);
        out.push_back(depth);
        out.push_back(descriptor);
        out.insert(out.end(), id.begin(), id.end());
        out.insert(out.end(), map.begin(), map.end());
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

// A Radiance file with the usual header, the resolution line for width by height and the
// scanline bytes as given.
inline ImageBytes HdrFile(int width, int height, const ImageBytes& scanlines,
                          const std::string& header = "#?RADIANCE\n# made by a test\nFORMAT=32-bit_rle_rgbe\n\n")
{
    std::string text = header + "-Y " + std::to_string(height) + " +X " + std::to_string(width) + "\n";
    ImageBytes out(text.begin(), text.end());
    out.insert(out.end(), scanlines.begin(), scanlines.end());
    return out;
}

// The pixels of an R8G8B8A8 bitmap as 0xRRGGBBAA words, the image's top row first.
inline std::vector<uint32_t> PixelsFromTop(const Utils::Bitmap2D& bitmap)
{
    std::vector<uint32_t> pixels;
    const int width = bitmap.GetWidth();
    for (int row = bitmap.GetHeight() - 1; row >= 0; --row)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = bitmap.GetData() + (size_t(row) * size_t(width) + size_t(x)) * 4;
            pixels.push_back(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
        }
    return pixels;
}

// A default proxy over a file system in memory. Each load writes the bytes to a file of its
// own, so nothing cached from an earlier load is met.
class ImageFiles {
public:
    ImageFiles() { proxy->SetFileSystem(files.Get()); }

    // A new file holding `bytes`; returns its name.
    std::string Add(const ImageBytes& bytes)
    {
        std::string name = "image" + std::to_string(next++);
        (*files)[name] = bytes;
        return name;
    }
    // Through the whole chain of image services.
    Managed<Utils::Bitmap2D> Load(const ImageBytes& bytes)
    {
        const std::string name = Add(bytes);
        return Managed<Utils::Bitmap2D>(
            static_cast<Utils::Bitmap2D*>(proxy->Get(Utils::ResourceType::Bitmap2D, name.c_str())));
    }
    // Through one service alone.
    Managed<Utils::Bitmap2D> LoadWith(Utils::ResourceProxy::Service& service, const ImageBytes& bytes)
    {
        const std::string name = Add(bytes);
        return Managed<Utils::Bitmap2D>(
            static_cast<Utils::Bitmap2D*>(service.Load(Utils::ResourceType::Bitmap2D, name.c_str(), proxy.Get())));
    }

    Managed<MemoryFileSystem> files{new MemoryFileSystem()};
    Managed<Utils::ResourceProxy> proxy{new Utils::DefaultResourceProxy()};

private:
    int next = 0;
};

}  // namespace Nimbrel::Testing
