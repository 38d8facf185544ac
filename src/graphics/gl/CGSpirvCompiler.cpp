#include "graphics/gl/CGSpirvCompiler.h"

#include "graphics/gl/CGPrelude.h"
#include "graphics/gl/CGUniformDefaults.h"

#ifndef ENABLE_HLSL
#define ENABLE_HLSL 1  // glslang's header hides its HLSL entry points without it
#endif
#include <glslang/MachineIndependent/localintermediate.h>
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>

#include <algorithm>
#include <climits>

namespace Nimbrel::Graphics {

namespace CGSpirvCompilerDetail {

const auto Messages = EShMessages(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible);

// The text through the preprocessor alone, for the uniforms' initial values. Done before the
// compile and on its own: glslang's objects share per-thread state while they work.
void FindDefaults(const CGTranslator::Request& request, const std::string& prelude, EShLanguage language,
                  std::map<std::string, std::vector<float>>& defaults)
{
    const char* strings[] = {request.source.c_str()};
    const int lengths[] = {int(std::min<size_t>(request.source.size(), INT32_MAX))};
    glslang::TShader preprocessor(language);
    preprocessor.setStringsWithLengths(strings, lengths, 1);
    preprocessor.setPreamble(prelude.c_str());
    preprocessor.setEntryPoint(request.entryPoint.c_str());
    preprocessor.setEnvInput(glslang::EShSourceHlsl, language, glslang::EShClientVulkan, 100);
    glslang::TShader::ForbidIncluder includer;
    std::string preprocessed;
    if (preprocessor.preprocess(GetDefaultResources(), 100, ENoProfile, false, false, Messages, &preprocessed,
                                includer))
        for (auto& [name, values] : CGUniformDefaults::Find(preprocessed))
            defaults[CGPrelude::Demangle(name)] = values;
}

}  // namespace CGSpirvCompilerDetail

void CGSpirvCompiler::Initialize()
{
    glslang::InitializeProcess();
}

bool CGSpirvCompiler::Compile(const CGTranslator::Request& request, const std::string& prelude, Output& output,
                              std::string& listing)
{
    using namespace CGSpirvCompilerDetail;
    EShLanguage language = request.stage == CGTranslator::StageVertex ? EShLangVertex : EShLangFragment;
    FindDefaults(request, prelude, language, output.defaults);

    const char* strings[] = {request.source.c_str()};
    const int lengths[] = {int(std::min<size_t>(request.source.size(), INT32_MAX))};
    glslang::TShader shader(language);
    shader.setStringsWithLengths(strings, lengths, 1);
    shader.setPreamble(prelude.c_str());
    shader.setEntryPoint(request.entryPoint.c_str());
    shader.setEnvInput(glslang::EShSourceHlsl, language, glslang::EShClientVulkan, 100);
    shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    shader.setEnvTargetHlslFunctionality1();
    shader.setAutoMapLocations(true);
    shader.setAutoMapBindings(true);

    bool parsed = shader.parse(GetDefaultResources(), 100, false, Messages);
    listing += shader.getInfoLog();
    if (!parsed)
        return false;
    if (shader.getIntermediate()->getNumEntryPoints() == 0) {
        listing += "ERROR: entry point \"" + request.entryPoint + "\" not found\n";
        return false;
    }
    glslang::TProgram program;
    program.addShader(&shader);
    bool linked = program.link(Messages);
    listing += program.getInfoLog();
    if (!linked)
        return false;

    spv::SpvBuildLogger logger;
    glslang::SpvOptions options;
    options.disableOptimizer = false;  // HLSL needs legalising (samplers passed to functions, ...)
    glslang::GlslangToSpv(*program.getIntermediate(language), output.spirv, &logger, &options);
    listing += logger.getAllMessages();
    if (output.spirv.empty()) {
        listing += "ERROR: no code generated\n";
        return false;
    }
    return true;
}

}  // namespace Nimbrel::Graphics
