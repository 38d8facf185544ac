#include "TextureImage.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace demogen {

namespace {

constexpr int kSize = 256;

void AppendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

uint8_t Channel(float value) { return uint8_t(std::clamp(value, 0.0f, 1.0f) * 255 + 0.5f); }

}  // namespace

std::vector<uint8_t> MakeTexturePng()
{
    std::vector<uint8_t> pixels(kSize * kSize * 3);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float u = (x + 0.5f) / kSize, v = (y + 0.5f) / kSize;  // v = 0 at the top
            // Sky to horizon to ground.
            const float sky = std::clamp(1 - v * 1.6f, 0.0f, 1.0f), ground = std::clamp((v - 0.62f) * 2.6f, 0.0f, 1.0f);
            float r = 0.95f - 0.6f * sky - 0.65f * ground, g = 0.7f - 0.25f * sky - 0.5f * ground,
                  b = 0.55f + 0.35f * sky - 0.35f * ground;
            // Four soft panels of light above the horizon, repeating across u so the map wraps.
            const float across = 0.5f + 0.5f * std::cos(2 * 3.14159265f * 4 * u);
            const float band = std::exp(-std::pow((v - 0.3f) / 0.12f, 2.0f));
            const float panel = std::pow(across, 12.0f) * band;
            r += 0.9f * panel, g += 0.9f * panel, b += 0.85f * panel;
            // A faint line on the horizon.
            const float horizon = std::exp(-std::pow((v - 0.62f) / 0.012f, 2.0f));
            r += 0.4f * horizon, g += 0.3f * horizon, b += 0.2f * horizon;
            uint8_t* pixel = &pixels[(y * kSize + x) * 3];
            pixel[0] = Channel(r), pixel[1] = Channel(g), pixel[2] = Channel(b);
        }

    std::vector<uint8_t> file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("libpng could not start a PNG file");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the texture");
    }
    png_set_write_fn(png, &file, AppendBytes, Flush);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, kSize, kSize, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kSize; ++y)
        png_write_row(png, &pixels[y * kSize * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return file;
}

}  // namespace demogen
