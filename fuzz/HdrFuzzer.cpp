// Radiance HDR files: the Bitmap2D request of the default proxy (see BitmapRequest.h).
#include "BitmapRequest.h"

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("image.hdr", data, size);
    Fuzzing::Attempt([&] { Fuzzing::RequestBitmap(proxy, "image.hdr"); });
    return 0;
}
