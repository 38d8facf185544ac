// Cg source text: the PixelShader request of the default proxy (the shader loader resolves
// the text's includes, which may name the file itself), then every rewrite the Cg layer makes
// of a source before its compiler sees it. The rewrites refuse what they cannot express with
// std::runtime_error, which the layer turns into a compile error.
#include "FuzzProxy.h"

#include "graphics/Shader.h"
#include "graphics/gl/CGPrelude.h"
#include "graphics/gl/CGSourceRewrites.h"
#include "graphics/gl/CGUniformRewrites.h"

#include <stdexcept>
#include <string>

using namespace Nimbrel;
using namespace Nimbrel::Graphics;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("fx.cg", data, size);
    Fuzzing::Attempt([&] { proxy.Get<Shader>(Utils::ResourceType::PixelShader, "fx.cg"); });

    const std::string source(reinterpret_cast<const char*>(data), size);
    try {
        std::string text = CGSourceRewrites::LenientDirectives(source);
        text = CGUniformRewrites::HoistEntrySamplers(text, "psMain");
        text = CGUniformRewrites::PrivateCopiesOfWrittenGlobals(text);
        std::string declarations;
        text = CGUniformRewrites::StateMatrices(text, "psMain", declarations);
        text = CGSourceRewrites::CLikeInitialisers(text);
        CGSourceRewrites::UnreachableFunctionsRemoved(text, "psMain");
        CGPrelude::GlslSpellings(text);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
