#pragma once
// Utils::Loaders::ShaderIncludes: the `#include "name"` lines of shader source text resolved
// through the resource proxy, so that shared headers load like any other text and a change to
// one reloads every shader that includes it (the proxy notes each nested request).
//
// A name is taken relative to the folder of the including file ("shaders/fx.cg" including
// "common/light.cg" reads "shaders/common/light.cg"), an included file's own includes relative
// to its folder. The included text takes the place of the line, framed by #line directives so
// that the compiler still numbers every line as its own file does. Limits: 32 levels of
// nesting; a file that includes itself, directly or through others, is refused. Lines that
// merely mention #include inside a comment or an inactive conditional are expanded too.

#include "core/String.h"
#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class ShaderIncludes {
public:
    // The text with its includes expanded; descriptor names the file the text came from.
    // Throws "<descriptor>(<line>): ..." when an include is malformed, missing, circular or
    // nested too deeply.
    static String Expand(const String& text, const String& descriptor, ResourceProxy* proxy);
};

}  // namespace Nimbrel::Utils::Loaders
