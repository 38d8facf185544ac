#pragma once
// Utils::Loaders::TGALoader: the service that reads Truevision TGA files into bitmaps.
//
// Decoded: true colour of 15, 16, 24 or 32 bits (16-bit pixels are 5-5-5 with the top bit
// ignored, each channel times 8), greyscale of 8 bits or 8 bits and alpha, and colour-mapped
// images with 8- or 16-bit indices into a map of 15-, 16-, 24- or 32-bit entries; each
// uncompressed (types 1, 2, 3) or run-length coded (types 9, 10, 11), whose packets may run
// on from one row into the next. Every bitmap is PixelFormatR8G8B8A8 with its bottom row
// first, whichever corner the file starts from; alpha is 255 unless the pixels carry one.
//
// TGA has no signature, so the header stands for one: a colour-map type of 0 or 1, an image
// type from the list above, a depth that fits the type, a map where the type needs one, no
// interleaving, and a size within the limits whose pixels the rest of the file can hold.
// Anything else is refused before a pixel is decoded: "Not a TGA file", "Unsupported pixel
// format" for a depth the type does not take, "TGA file truncated" for too few bytes;
// "TGA file corrupt" for a packet that runs past the last pixel or an index outside the map.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class TGALoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Bitmap2D); }
    String GetName() override { return "TGALoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
