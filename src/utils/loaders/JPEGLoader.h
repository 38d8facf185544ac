#pragma once
// Utils::Loaders::JPEGLoader: the service that reads JPEG files into bitmaps, through
// libjpeg.
//
// Colour (YCbCr or RGB) and greyscale images become PixelFormatR8G8B8A8 with the bottom row
// first and alpha 255; four-component (CMYK) images are refused with "Unsupported JPEG pixel
// format". A file that does not start with the start-of-image marker is refused at once with
// "Not a JPG file"; an error libjpeg reports afterwards reads "Not a JPG file: " and
// libjpeg's message. A file that ends inside its image data still loads: the source supplies
// an end-of-image marker whenever libjpeg wants more than the file holds, and the missing
// part of the image is what libjpeg makes of no data. Before the decompression starts the
// size is checked against the image limits and against the file's length ("JPEG file
// truncated" when the file could not hold one bit for each 8 by 8 block); libjpeg's own
// memory is capped, and a file of more than 500 scans is refused.
//
// Each decode has its own error manager and jump buffer, and libjpeg's messages are never
// printed.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class JPEGLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Bitmap2D); }
    String GetName() override { return "JPEGLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
