#pragma once
// CGUniformRewrites: Cg whose parameters glslang's HLSL front end would take for something
// else, or die on, made into HLSL with the same parameters. Like CGSourceRewrites, each keeps
// every line where it was, and runs in the compiler process.
//
// - HoistEntrySamplers: sampler parameters of the entry point, and struct parameters that
//   hold samplers, become global uniforms (samplers are uniform in Cg whether marked or not;
//   glslang dies on a sampler inside a struct parameter). A struct parameter that mixes
//   varyings with samplers cannot be split and is refused. Sampler types are seen under their
//   own names and under a typedef or #define that names one; a sampler inside a longer macro
//   is not (glslang may then die on the source, which ends as a failed compile).
// - PrivateCopiesOfWrittenGlobals: a global that is neither uniform, static nor const is a
//   parameter, yet a function may assign it, and the write acts on a private copy. Each
//   such global that some function assigns is declared under a mangled name (still the
//   parameter of its own name) and a static copy of it takes the name the code uses.
// - StateMatrices: the OpenGL state matrices Cg code for OpenGL reads, in code
//   (glstate.matrix.mvp, .modelview[0], .projection, each also as .inverse.mvp, .transpose...,
//   .invtrans...) and as the semantic of a uniform ("uniform float4x4 mvp : state.matrix.mvp",
//   also state.matrix.modelview, state.matrix.projection.inverse, ...), become the engine's
//   automatic parameters of the same meaning (WorldViewProjection, WorldView, Projection and
//   their Inverse forms), declared in the text it hands back unless the source declares them
//   itself. A uniform so bound, as a parameter of the entry point or as a global, becomes a
//   copy of the automatic parameter under its own name. Other state is refused.
//
// A construct a rewrite cannot express throws std::runtime_error with its line and what it is.

#include <string>

namespace Nimbrel::Graphics {

class CGUniformRewrites {
public:
    static std::string HoistEntrySamplers(const std::string& source, const std::string& entryPoint);
    static std::string PrivateCopiesOfWrittenGlobals(const std::string& source);
    static std::string StateMatrices(const std::string& source, const std::string& entryPoint,
                                     std::string& declarations);
};

}  // namespace Nimbrel::Graphics
