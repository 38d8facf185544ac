#include "support/ImageFixtures.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>

namespace Nimbrel::Testing {

namespace image_fixtures_detail {

struct PngSink {
    ImageBytes* out;
};

void WritePngData(png_structp png, png_bytep data, size_t length)
{
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    sink->out->insert(sink->out->end(), data, data + length);
}

void FlushPng(png_structp) {}

// Plain so that libpng's longjmp skips nothing with a destructor; false on a libpng error.
bool WritePng(png_structp png, png_infop info, const PngImage& image, png_bytepp rows, PngSink* sink)
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

void JpegFailed(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Plain for the same reason; `out` is malloc'ed by libjpeg's memory destination.
bool WriteJpeg(jpeg_compress_struct* compressor, JpegErrors* errors, const uint8_t* pixels, int width,
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

void Put16(ImageBytes& out, unsigned value)
{
    out.push_back(uint8_t(value & 0xFF));
    out.push_back(uint8_t(value >> 8));
}

}  // namespace image_fixtures_detail

ImageBytes EncodePng(const PngImage& image)
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

ImageBytes EncodePngRgb(int width, int height, const ImageBytes& rgb)
{
    PngImage image;
    image.width = width;
    image.height = height;
    image.rows = rgb;
    return EncodePng(image);
}

ImageBytes EncodeJpeg(int width, int height, int components, const ImageBytes& pixels, int quality,
                      bool progressive, bool optimize)
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

ImageBytes HdrFile(int width, int height, const ImageBytes& scanlines, const std::string& header)
{
    std::string text = header + "-Y " + std::to_string(height) + " +X " + std::to_string(width) + "\n";
    ImageBytes out(text.begin(), text.end());
    out.insert(out.end(), scanlines.begin(), scanlines.end());
    return out;
}

std::vector<uint32_t> PixelsFromTop(const Utils::Bitmap2D& bitmap)
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

ImageBytes TgaFile::Build() const
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

std::string ImageFiles::Add(const ImageBytes& bytes)
{
    std::string name = "image" + std::to_string(next++);
    (*files)[name] = bytes;
    return name;
}

Managed<Utils::Bitmap2D> ImageFiles::Load(const ImageBytes& bytes)
{
    const std::string name = Add(bytes);
    return Managed<Utils::Bitmap2D>(static_cast<Utils::Bitmap2D*>(proxy->Get(Utils::ResourceType::Bitmap2D, name.c_str())));
}

Managed<Utils::Bitmap2D> ImageFiles::LoadWith(Utils::ResourceProxy::Service& service, const ImageBytes& bytes)
{
    const std::string name = Add(bytes);
    return Managed<Utils::Bitmap2D>(
        static_cast<Utils::Bitmap2D*>(service.Load(Utils::ResourceType::Bitmap2D, name.c_str(), proxy.Get())));
}

}  // namespace Nimbrel::Testing
