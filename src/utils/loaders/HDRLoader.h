#pragma once
// Utils::Loaders::HDRLoader: the service that reads Radiance RGBE files into bitmaps.
//
// The bitmap holds the file's bytes unconverted: each PixelFormatR8G8B8A8 pixel is the red,
// green and blue mantissas and the shared exponent (in A). Unlike the other image services
// it stores the file's first scanline, the top of the image, as row 0.
//
// The file starts "#?RADIANCE" and a line feed; header lines follow up to an empty line
// ("#" comments; a FORMAT line must name 32-bit_rle_rgbe), then the resolution line
// "-Y <height> +X <width>". Lines end in a bare line feed. Each scanline is read in whichever
// form it has: run-length coded per channel (it starts 2, 2 and the width in 15 bits; only
// widths from 8 to 32767 can be coded so), or flat pixels of four bytes in which a pixel
// 1, 1, 1, n repeats the previous one n times (shifted 8 bits further for each such pixel
// in a row). A run past the end of its scanline, a scanline that cannot start with a repeat,
// or a resolution line of another shape reads "RADIANCE file corrupt"; a file that ends
// inside the pixels "Unable to read data from stream".

#include "utils/ResourceProxy.h"

#include <cstddef>
#include <cstdint>

namespace Nimbrel::Utils::Loaders {

class HDRLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Bitmap2D); }
    String GetName() override { return "HDRLoader"; }

    // Bytes that every file this service reads starts with.
    static constexpr size_t SignatureSize = 11;
    // Whether `bytes` start like a file of this service's (whose bitmap then has its top row
    // first).
    static bool HasSignature(const uint8_t* bytes, size_t count);
};

}  // namespace Nimbrel::Utils::Loaders
