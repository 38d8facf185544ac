// Benchmark: decoding a 2048 by 2048 PNG and JPEG through the engine's image services, beside
// the same library decoding the same bytes when called directly. The engine's case is a full
// Bitmap2D request without the cache: the HDR and TGA services look at the file and pass,
// the file is read from a stream in memory into one block, and the decoder writes RGBA rows
// bottom first into a new bitmap. The library's case decodes from the bytes in memory into a
// new RGBA block with the same transformations. The difference is what the engine adds.
#include "core/Managed.h"
#include "utils/Bitmap2D.h"
#include "utils/ResourceProxy.h"

#include "support/ImageFixtures.h"

#include <benchmark/benchmark.h>

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <jpeglib.h>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace image_bench {

constexpr int Size = 2048;

// Something like a photograph: smooth gradients with a little noise, so that neither format
// compresses it to nothing.
const Testing::ImageBytes& Pixels()
{
    static const Testing::ImageBytes rgb = [] {
        Testing::ImageBytes bytes(size_t(Size) * Size * 3);
        uint32_t noise = 12345;
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x) {
                noise = noise * 1664525u + 1013904223u;
                uint8_t* p = bytes.data() + (size_t(y) * Size + size_t(x)) * 3;
                p[0] = uint8_t((x + y) / 16 + (noise >> 28));
                p[1] = uint8_t((x * 3 / 8) ^ (y / 8));
                p[2] = uint8_t(y / 8 + ((noise >> 24) & 7));
            }
        return bytes;
    }();
    return rgb;
}

const Testing::ImageBytes& Png()
{
    static const Testing::ImageBytes bytes = Testing::EncodePngRgb(Size, Size, Pixels());
    return bytes;
}

const Testing::ImageBytes& Jpeg()
{
    static const Testing::ImageBytes bytes = Testing::EncodeJpeg(Size, Size, 3, Pixels(), 90);
    return bytes;
}

void EngineDecode(benchmark::State& state, const Testing::ImageBytes& bytes)
{
    Testing::ImageFiles files;
    const String name = files.Add(bytes).c_str();
    for (auto _ : state) {
        Managed<Object> bitmap(files.proxy->GetPrivate(ResourceType::Bitmap2D, name));
        benchmark::DoNotOptimize(static_cast<Bitmap2D*>(bitmap.Get())->GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * Size * Size * 4);
    state.counters["file_bytes"] = double(bytes.size());
}

struct PngSource {
    const uint8_t* data;
    size_t left;
};

void ReadPng(png_structp png, png_bytep out, size_t length)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->left)
        png_error(png, "short");
    std::memcpy(out, source->data, length);
    source->data += length;
    source->left -= length;
}

// libpng on its own, as a program would call it for 8-bit RGBA rows.
bool LibPng(const Testing::ImageBytes& bytes, uint8_t* pixels, png_bytep* rows)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngSource source{bytes.data(), bytes.size()};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, ReadPng);
    png_read_info(png, info);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    for (png_uint_32 r = 0; r < height; ++r)
        rows[r] = pixels + size_t(height - 1 - r) * Size * 4;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
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

// libjpeg on its own, from memory into 8-bit RGBA rows.
bool LibJpeg(const Testing::ImageBytes& bytes, uint8_t* pixels, jpeg_decompress_struct* decompressor, JpegErrors* errors)
{
    decompressor->err = jpeg_std_error(&errors->manager);
    errors->manager.error_exit = JpegFailed;
    if (setjmp(errors->jump)) {
        jpeg_destroy_decompress(decompressor);
        return false;
    }
    jpeg_create_decompress(decompressor);
    jpeg_mem_src(decompressor, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(decompressor, TRUE);
    decompressor->out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(decompressor);
    const JDIMENSION height = decompressor->output_height;
    while (decompressor->output_scanline < height) {
        JSAMPROW row = pixels + size_t(height - 1 - decompressor->output_scanline) * Size * 4;
        jpeg_read_scanlines(decompressor, &row, 1);
    }
    jpeg_finish_decompress(decompressor);
    jpeg_destroy_decompress(decompressor);
    return true;
}

void DecodePng(benchmark::State& state)
{
    EngineDecode(state, Png());
}
BENCHMARK(DecodePng)->Unit(benchmark::kMillisecond);

void LibDecodePng(benchmark::State& state)
{
    const Testing::ImageBytes& bytes = Png();
    std::unique_ptr<png_bytep[]> rows(new png_bytep[Size]);
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[size_t(Size) * Size * 4]);
        if (!LibPng(bytes, pixels.get(), rows.get()))
            state.SkipWithError("libpng failed");
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * Size * Size * 4);
}
BENCHMARK(LibDecodePng)->Unit(benchmark::kMillisecond);

void DecodeJpeg(benchmark::State& state)
{
    EngineDecode(state, Jpeg());
}
BENCHMARK(DecodeJpeg)->Unit(benchmark::kMillisecond);

void LibDecodeJpeg(benchmark::State& state)
{
    const Testing::ImageBytes& bytes = Jpeg();
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[size_t(Size) * Size * 4]);
        jpeg_decompress_struct decompressor{};
        JpegErrors errors{};
        if (!LibJpeg(bytes, pixels.get(), &decompressor, &errors))
            state.SkipWithError("libjpeg failed");
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * Size * Size * 4);
}
BENCHMARK(LibDecodeJpeg)->Unit(benchmark::kMillisecond);

}  // namespace image_bench
