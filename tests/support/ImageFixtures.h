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

#include <cstdint>
#include <string>
#include <vector>

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


ImageBytes EncodePng(const PngImage& image);

// An 8-bit RGB image, rows top first.
ImageBytes EncodePngRgb(int width, int height, const ImageBytes& rgb);

// `pixels` rows top first with `components` bytes each: 1 greyscale, 3 RGB, 4 CMYK.
// `optimize` gives Huffman tables of only the codes used.
ImageBytes EncodeJpeg(int width, int height, int components, const ImageBytes& pixels, int quality = 95,
                      bool progressive = false, bool optimize = false);

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

    ImageBytes Build() const;
};

// A Radiance file with the usual header, the resolution line for width by height and the
// scanline bytes as given.
ImageBytes HdrFile(int width, int height, const ImageBytes& scanlines,
                   const std::string& header = "#?RADIANCE\n# made by a test\nFORMAT=32-bit_rle_rgbe\n\n");

// The pixels of an R8G8B8A8 bitmap as 0xRRGGBBAA words, the image's top row first.
std::vector<uint32_t> PixelsFromTop(const Utils::Bitmap2D& bitmap);

// A default proxy over a file system in memory. Each load writes the bytes to a file of its
// own, so nothing cached from an earlier load is met.
class ImageFiles {
public:
    ImageFiles() { proxy->SetFileSystem(files.Get()); }

    // A new file holding `bytes`; returns its name.
    std::string Add(const ImageBytes& bytes);
    // Through the whole chain of image services.
    Managed<Utils::Bitmap2D> Load(const ImageBytes& bytes);
    // Through one service alone.
    Managed<Utils::Bitmap2D> LoadWith(Utils::ResourceProxy::Service& service, const ImageBytes& bytes);

    Managed<MemoryFileSystem> files{new MemoryFileSystem()};
    Managed<Utils::ResourceProxy> proxy{new Utils::DefaultResourceProxy()};

private:
    int next = 0;
};

}  // namespace Nimbrel::Testing
