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
    // The name as the source wrote it, without the prefix of a renamed keyword.
    static std::string Demangle(const std::string& name);
    // The swizzle that narrows a four-component value to `components` ("" for 4).
    static std::string Swizzle(int components);
};

}  // namespace Nimbrel::Graphics
