// TGA files: the Bitmap2D request of the default proxy (see BitmapRequest.h).
#include "BitmapRequest.h"

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("image.tga", data, size);
    Fuzzing::Attempt([&] { Fuzzing::RequestBitmap(proxy, "image.tga"); });
    return 0;
}
