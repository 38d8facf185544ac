#pragma once
// The request the image targets share: a Bitmap2D through the default proxy, whose image
// services are tried in their fixed order (HDR, TGA, PNG, JPEG), so each target fuzzes the
// refusals of the other three as well. Every byte of the bitmap is read, which shows a
// pixel block smaller than the size the bitmap claims.

#include "FuzzProxy.h"

#include "utils/Bitmap2D.h"

namespace Nimbrel::Fuzzing {

inline void RequestBitmap(FuzzProxy& proxy, const String& name)
{
    Managed<Utils::Bitmap2D> bitmap = proxy.Get<Utils::Bitmap2D>(Utils::ResourceType::Bitmap2D, name);
    if (bitmap->GetWidth() < 1 || bitmap->GetHeight() < 1 || bitmap->GetDataSize() < 1) {
        std::fprintf(stderr, "A bitmap of %d x %d pixels was made\n", bitmap->GetWidth(), bitmap->GetHeight());
        std::abort();
    }
    const uint8_t* data = bitmap->GetData();
    volatile uint8_t sum = 0;
    for (int i = 0; i < bitmap->GetDataSize(); ++i)
        sum = static_cast<uint8_t>(sum + data[i]);
}

}  // namespace Nimbrel::Fuzzing
