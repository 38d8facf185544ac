#pragma once
// CGSpirvCompiler: a Cg entry point to SPIR-V through glslang's HLSL front end, with Vulkan
// rules and HLSL functionality 1 (every interface variable keeps its semantic), DX9
// compatibility for sampler2D and tex2D, and legalisation. Besides the code it finds the
// initial values of the global uniforms in the preprocessed source.
//
// glslang may die on valid input; this runs only in the compiler process.

#include "graphics/gl/CGTranslator.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Nimbrel::Graphics {

class CGSpirvCompiler {
public:
    struct Output {
        std::vector<uint32_t> spirv;
        // Initial values by the uniform's name as written in the source.
        std::map<std::string, std::vector<float>> defaults;
    };

    // Sets glslang up once for the process.
    static void Initialize();
    // Compiles the request's source after the prelude. False on failure; the listing gets
    // glslang's messages either way.
    static bool Compile(const CGTranslator::Request& request, const std::string& prelude, Output& output,
                        std::string& listing);
};

}  // namespace Nimbrel::Graphics
