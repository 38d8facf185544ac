// Font files: the FontFace request of the default proxy, rendered by FreeType at 12 pixels.
// Every byte of every glyph is read, which shows a glyph bitmap smaller than its size says.
#include "FuzzProxy.h"

#include "utils/Bitmap2D.h"
#include "utils/typography/FontFace.h"

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("font.ttf", data, size);
    Fuzzing::Attempt([&] {
        Managed<Utils::Typography::FontFace> face =
            proxy.Get<Utils::Typography::FontFace>(Utils::ResourceType::FontFace, "font.ttf:12");
        volatile uint8_t sum = 0;
        for (int code = 0; code < Utils::Typography::FontFace::CodeCount; ++code) {
            const Utils::Bitmap2D* glyph = face->GetGlyph(code);
            for (int i = 0; glyph && i < glyph->GetDataSize(); ++i)
                sum = static_cast<uint8_t>(sum + glyph->GetData()[i]);
        }
    });
    return 0;
}
