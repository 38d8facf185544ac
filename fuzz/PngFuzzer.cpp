// PNG files: the Bitmap2D request of the default proxy (see BitmapRequest.h), with a
// mutator that keeps the chunk checksums right.
#include "BitmapRequest.h"
#include "PngChunkChecksums.h"

using namespace Nimbrel;

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

// A mutation as libFuzzer makes it, with the chunks' checksums made right again afterwards.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    Fuzzing::SetPngChunkChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("image.png", data, size);
    Fuzzing::Attempt([&] { Fuzzing::RequestBitmap(proxy, "image.png"); });
    return 0;
}
