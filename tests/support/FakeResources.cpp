#include "support/FakeResources.h"

#include "core/Exception.h"

#include <sstream>

namespace Nimbrel::Testing {

void FakeTexture2D::SetData(int level, const void*, bool generateMipmaps)
{
    levelsSet.push_back(level);
    if (generateMipmaps)
        ++mipmapGenerations;
}

Graphics::Surface* FakeTexture2D::GetSurface(int level)
{
    if (level < 0 || level > 15)
        throw Exception("FakeTexture2D::GetSurface(): level out of range");
    if (!surfaces[level])
        surfaces[level].Set(new FakeSurface(std::max(1, width >> level), std::max(1, height >> level), format));
    return surfaces[level].Get();
}

Graphics::Surface* FakeTextureCube::GetSurface(Graphics::TextureFace face, int level)
{
    if (face < 0 || face > 5 || level < 0 || level > 15)
        throw Exception("FakeTextureCube::GetSurface(): face or level out of range");
    Managed<FakeSurface>& surface = surfaces[face * 16 + level];
    if (!surface)
        surface.Set(new FakeSurface(std::max(1, size >> level), std::max(1, size >> level), format));
    return surface.Get();
}

int FakeInputLayout::GetElements(int maxCount, Graphics::InputElement* out)
{
    const int n = std::min(maxCount, static_cast<int>(elements.size()));
    std::copy(elements.begin(), elements.begin() + n, out);
    return n;
}

std::vector<FakeUniform> FakeShader::ParseUniforms(const char* source)
{
    static const std::map<std::string, Graphics::ParameterType> types = {
        {"float", Graphics::ParameterTypeFloat},       {"float2", Graphics::ParameterTypeFloat2},
        {"float3", Graphics::ParameterTypeFloat3},     {"float4", Graphics::ParameterTypeFloat4},
        {"float2x2", Graphics::ParameterTypeFloat2x2}, {"float3x3", Graphics::ParameterTypeFloat3x3},
        {"float4x4", Graphics::ParameterTypeFloat4x4}, {"int", Graphics::ParameterTypeInt},
        {"int2", Graphics::ParameterTypeInt2},         {"int3", Graphics::ParameterTypeInt3},
        {"int4", Graphics::ParameterTypeInt4},         {"bool", Graphics::ParameterTypeBool},
        {"bool2", Graphics::ParameterTypeBool2},       {"bool3", Graphics::ParameterTypeBool3},
        {"bool4", Graphics::ParameterTypeBool4},       {"sampler2D", Graphics::ParameterTypeSampler2D},
        {"samplerCube", Graphics::ParameterTypeSamplerCube}, {"sampler3D", Graphics::ParameterTypeSampler3D},
    };
    std::vector<FakeUniform> uniforms;
    std::stringstream declarations(source ? source : "");
    std::string declaration;
    while (std::getline(declarations, declaration, ';')) {
        std::stringstream words(declaration);
        std::string type, name, rest;
        words >> type;
        if (type.empty())
            continue;
        if (type == "uniform")
            words >> type;
        words >> name;
        if (name.empty() || (words >> rest) || !types.count(type))
            throw Exception(("FakeShader: bad declaration \"" + declaration + "\"").c_str());
        int arraySize = 1;
        if (const size_t bracket = name.find('['); bracket != std::string::npos) {
            // "name[N]" with up to four digits; anything else is a bad declaration, not an
            // exception of another kind.
            const size_t close = name.find(']', bracket);
            const std::string digits = close == std::string::npos ? std::string() : name.substr(bracket + 1, close - bracket - 1);
            if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string::npos ||
                close + 1 != name.size())
                throw Exception(("FakeShader: bad declaration \"" + declaration + "\"").c_str());
            arraySize = std::stoi(digits);
            name.erase(bracket);
        }
        uniforms.push_back({name, types.at(type), arraySize});
    }
    return uniforms;
}

Graphics::ParameterType FakeParameter::GetParameterType()
{
    if (!valid)
        throw Exception("GetParameterType(): Parameter is not valid");
    return type;
}

void FakeParameter::SetSampler(int count, Graphics::Texture* const* textures, Graphics::SamplerState* const* states)
{
    if (Note("SetSampler") && count > 0) {
        texture = textures[0];
        sampler = states ? states[0] : nullptr;
    }
}

void FakeParameter::SetSampler(Graphics::Texture* newTexture, Graphics::SamplerState* state)
{
    if (Note("SetSampler")) {
        texture = newTexture;
        sampler = state;
    }
}

bool FakeParameter::Note(const char* setter)
{
    if (!valid) {
        ++ignoredSets;
        return false;
    }
    ++setCount;
    lastSetter = setter;
    if (*recording)
        log->push_back(name + "." + setter);
    return true;
}

FakeProgram::FakeProgram(const std::vector<FakeUniform>& uniforms, CallLog* log, const bool* recording)
    : log(log), recording(recording)
{
    for (const FakeUniform& uniform : uniforms)
        if (!parameters.count(uniform.name))
            parameters[uniform.name].Set(new FakeParameter(uniform, true, log, recording));
    for (auto& entry : parameters)
        table.push_back(entry.second.Get());
}

Graphics::Parameter* FakeProgram::GetParameter(int index)
{
    if (index < 0 || index >= static_cast<int>(table.size()))
        throw Exception("FakeProgram::GetParameter(): index out of range");
    return table[static_cast<size_t>(index)];
}

FakeParameter* FakeProgram::Find(const std::string& name)
{
    if (auto found = parameters.find(name); found != parameters.end())
        return found->second.Get();
    Managed<FakeParameter>& unused = invalid[name];
    if (!unused)
        unused.Set(new FakeParameter({name, Graphics::ParameterTypeFloat, 0}, false, log, recording));
    return unused.Get();
}

}  // namespace Nimbrel::Testing
