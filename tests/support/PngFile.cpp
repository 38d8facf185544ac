#include "support/PngFile.h"

#include <png.h>

#include <stdexcept>

namespace Nimbrel::Testing {

void WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb)
{
    if (width <= 0 || height <= 0 || rgb.size() != size_t(width) * size_t(height) * 3)
        throw std::invalid_argument("WritePng: the pixels do not match the size");
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr))
        throw std::runtime_error("WritePng: " + path + ": " + image.message);
}

}  // namespace Nimbrel::Testing
