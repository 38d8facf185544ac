#pragma once
// Utils::Loaders::PNGLoader: the service that reads PNG files into bitmaps, through libpng.
//
// Every colour type and depth becomes PixelFormatR8G8B8A8 with the bottom row first:
// palettes and greyscale are expanded to RGB, a transparency chunk becomes alpha (255
// elsewhere), 16-bit channels keep their high byte, samples below 8 bits are widened, and
// interlaced files are put together. No gamma is applied.
//
// A file without the PNG signature is refused at once with "Not a PNG file"; any error
// libpng reports afterwards (a damaged chunk, a checksum, a file that ends early) reads "Not
// a PNG file: " and libpng's message. Before libpng or the loader allocates anything by
// the image's size, the size is checked against the image limits and against the file's
// length: "PNG file truncated" when not even deflate's best ratio could fit the rows in it.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class PNGLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Bitmap2D); }
    String GetName() override { return "PNGLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
