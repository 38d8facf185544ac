#pragma once
// CGSourceRewrites: Cg text that glslang's HLSL front end reads otherwise, or not at all, made
// into the HLSL that means the same. Each rewrite keeps every line where it was, so the
// compiler's messages still name the lines of the source as written. Runs in the compiler
// process. The rewrites that touch the parameters are CGUniformRewrites.
//
// - LenientDirectives: words after the name of an #ifdef or #ifndef, and after #else or
//   #endif, are dropped (Cg's preprocessor ignores them; glslang's refuses them).
// - CLikeInitialisers: brace-elided arrays of vectors ("float3 k[2] = {1,0,0, 0,1,0};") get
//   their braces, and array constructors ("float[](a, b)", "float[2](a, b)") become brace
//   lists.
// - UnreachableFunctionsRemoved: the source without the functions that the entry point does
//   not reach, for a second attempt after a failed compile (Cg checks only what it compiles).

#include <string>

namespace Nimbrel::Graphics {

class CGSourceRewrites {
public:
    static std::string LenientDirectives(const std::string& source);
    static std::string CLikeInitialisers(const std::string& source);
    static std::string UnreachableFunctionsRemoved(const std::string& source, const std::string& entryPoint);
};

}  // namespace Nimbrel::Graphics
