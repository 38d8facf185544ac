#pragma once
// CGCrossCompiler: SPIR-V from the Cg compile to GLSL 1.20 with SPIRV-Cross, renamed so that
// the program can link the stages and reach the uniforms by their Cg names:
// - vertex inputs are named after the generic attribute their semantic reads ("nbl_attr3");
// - varyings are named after their semantic ("nbl_TEXCOORD0", "nbl_COLOR0"), float ones
//   widened to vec4 so that stages that disagree on the width still link, as under Cg;
// - a POSITION (or HPOS) vertex output is the clip position; a POSITION or WPOS pixel input
//   the window position; FACE the facing sign;
// - pixel outputs COLORn go to colour buffer n;
// - all global uniforms of a stage live in one struct instance named per stage
//   ("nbl_vs"/"nbl_ps"), members "u_" + Cg name; samplers and loose uniforms are "u_" + name,
//   the same in both stages.
//
// What GLSL 1.20 cannot express, or a source the renaming cannot follow, throws
// std::runtime_error (SPIRV-Cross itself throws that type too). Runs in the compiler process.

#include "graphics/gl/CGTranslator.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Nimbrel::Graphics {

class CGCrossCompiler {
public:
    // Fills the result's GLSL, offsets, output defaults, attributes, varyings and uniforms
    // (with their initial values from `defaults`), and sets it succeeded.
    static void Translate(std::vector<uint32_t> spirv, CGTranslator::Stage stage,
                          const std::map<std::string, std::vector<float>>& defaults, CGTranslator::Result& result);
};

}  // namespace Nimbrel::Graphics
