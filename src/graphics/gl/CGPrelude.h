#pragma once
// CGPrelude: the text put before every Cg source so that glslang's HLSL front end reads it:
// Cg's fixed types as floats, words Cg leaves free but HLSL reserves renamed with a prefix,
// lookups typed by result (f3tex2D, h4texCUBE, ...), tex2Dproj with three components, and
// the compile definitions as #define lines. Names that come back from the compiled code pass
// through Demangle to lose the keyword prefix again.

#include <string>
#include <vector>

namespace Nimbrel::Graphics {

class CGPrelude {
public:
    // The prelude for one compile. With boolsAsInts, bool types read as int types (the
    // fallback for sources whose bool uniforms would need unsigned integers).
    static std::string Text(const std::vector<std::string>& definitions, bool boolsAsInts);
    // GLSL's spellings that Cg sources use and HLSL lacks: vec2 to vec4 as types, fract, mix
    // and mod (x - y * floor(x / y)) as overloaded functions. A function the source defines
    // itself under one of these names is left to the source.
    static std::string GlslSpellings(const std::string& source);
    // A name the source does not use that Demangle turns back into name.
    static std::string Mangle(const std::string& name);
    // The name as the source wrote it, without the prefix of a renamed keyword.
    static std::string Demangle(const std::string& name);
    // The swizzle that narrows a four-component value to `components` ("" for 4).
    static std::string Swizzle(int components);
};

}  // namespace Nimbrel::Graphics
