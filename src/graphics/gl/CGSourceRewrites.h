#pragma once
// CGSourceRewrites: Cg that glslang's HLSL front end reads otherwise, or not at all, made into
// the HLSL that means the same. Each rewrite keeps every line where it was, so the compiler's
// messages still name the lines of the source as written. Runs in the compiler process.
//
// - LenientDirectives: words after the name of an #ifdef or #ifndef, and after #else or
//   #endif, are dropped (Cg's preprocessor ignores them; glslang's refuses them).
// - HoistEntrySamplers: sampler parameters of the entry point, and struct parameters that
//   hold samplers, become global uniforms (samplers are uniform in Cg whether marked or not;
//   glslang dies on a sampler inside a struct parameter). A struct parameter that mixes
//   varyings with samplers cannot be split and is refused.
// - PrivateCopiesOfWrittenGlobals: a global that is neither uniform, static nor const is a
//   parameter, yet a function may assign it, and the write acts on a private copy. Each
//   such global that some function assigns is declared under a mangled name (still the
//   parameter of its own name) and a static copy of it takes the name the code uses.
// - CLikeInitialisers: brace-elided arrays of vectors ("float3 k[2] = {1,0,0, 0,1,0};") get
//   their braces, and array constructors ("float[](a, b)", "float[2](a, b)") become brace
//   lists.
// - GlStateMatrices: the OpenGL state matrices Cg code for OpenGL reads (glstate.matrix.mvp,
//   .modelview[0], .projection, each also under .inverse, .transpose and .invtrans) become the
//   engine's automatic parameters of the same meaning (WorldViewProjection, WorldView,
//   Projection and their Inverse forms), declared in the text it hands back unless the source
//   declares them itself. Other glstate members are refused.
// - UnreachableFunctionsRemoved: the source without the functions that the entry point does
//   not reach, for a second attempt after a failed compile (Cg checks only what it compiles).
//
// A construct a rewrite cannot express throws std::runtime_error with its line and what it is.

#include <string>

namespace Nimbrel::Graphics {

class CGSourceRewrites {
public:
    static std::string LenientDirectives(const std::string& source);
    static std::string HoistEntrySamplers(const std::string& source, const std::string& entryPoint);
    static std::string PrivateCopiesOfWrittenGlobals(const std::string& source);
    static std::string CLikeInitialisers(const std::string& source);
    static std::string GlStateMatrices(const std::string& source, std::string& declarations);
    static std::string UnreachableFunctionsRemoved(const std::string& source, const std::string& entryPoint);
};

}  // namespace Nimbrel::Graphics
