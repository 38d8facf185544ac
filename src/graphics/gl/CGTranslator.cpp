#include "graphics/gl/CGTranslator.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/Enumerations.h"
#include "graphics/gl/CGUniformDefaults.h"
#include "io/ByteReader.h"
#include "io/ByteWriter.h"
#include "platform/ChildProcess.h"

#ifndef ENABLE_HLSL
#define ENABLE_HLSL 1  // glslang's header hides its HLSL entry points without it
#endif
#include <glslang/MachineIndependent/localintermediate.h>
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross/spirv_glsl.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>

namespace Nimbrel::Graphics {

namespace CGTranslatorDetail {

// OpenGL texture targets.
enum : unsigned int {
    TargetTexture1D = 0x0DE0,
    TargetTexture2D = 0x0DE1,
    TargetTexture3D = 0x806F,
    TargetTextureCube = 0x8513,
    TargetTextureRectangle = 0x84F5,
};

// Words that are plain identifiers in Cg but reserved by glslang's HLSL front end. Each is
// renamed with this prefix before compiling and gets its name back in the reflection.
const char* const KeywordPrefix = "nbl_kw_";
const char* const CgIdentifiers[] = {
    "texture", "point", "line", "triangle", "lineadj", "triangleadj", "linear", "centroid",
    "nointerpolation", "noperspective", "precise", "snorm", "unorm", "groupshared",
    "globallycoherent",
};

std::string Swizzle(int components)
{
    static const char* const swizzles[] = {"", ".x", ".xy", ".xyz", ""};
    return swizzles[components];
}

std::string Prelude()
{
    std::string prelude;
    // Uniform matrices stored row by row reach GLSL as plain matrices, of any shape (GLSL 1.20
    // cannot express the other layout for non-square ones); parameters upload them transposed.
    prelude += "#pragma pack_matrix(row_major)\n";
    // Cg's fixed-point types: plain floats here, as on every profile of that era's GL.
    prelude += "#define fixed float\n";
    for (int n = 1; n <= 4; ++n) {
        prelude += "#define fixed" + std::to_string(n) + " float" + std::to_string(n) + "\n";
        for (int m = 1; m <= 4; ++m)
            prelude += "#define fixed" + std::to_string(n) + "x" + std::to_string(m) + " float" +
                       std::to_string(n) + "x" + std::to_string(m) + "\n";
    }
    for (const char* word : CgIdentifiers)
        prelude += std::string("#define ") + word + " " + KeywordPrefix + word + "\n";
    // Cg's lookups typed by result: f3tex2D (float3), h4texCUBE (half4), x1tex1D (fixed), ...
    static const char* const lookups[] = {"tex1D", "tex2D", "tex3D", "texCUBE"};
    for (const char* prefix : {"f", "h", "x"})
        for (int n = 1; n <= 4; ++n)
            for (const char* lookup : lookups)
                prelude += std::string("#define ") + prefix + std::to_string(n) + lookup + "(s, c) (" + lookup +
                           "(s, c)" + Swizzle(n) + ")\n";
    // Cg projects three-component coordinates too (HLSL only four).
    prelude += "float4 tex2Dproj(sampler2D s, float3 c) { return tex2D(s, c.xy / c.z); }\n";
    prelude += "float4 tex2Dproj(sampler2D s, float4 c) { return tex2D(s, c.xy / c.w); }\n";
    return prelude;
}

// Bool uniforms come out of glslang as unsigned integers, which GLSL 1.20 lacks. The second
// attempt at a source that fails on them reads bools as ints (truth tests, conversions and
// comparisons keep their meaning; the engine cannot set bool parameters anyway).
const char* const BoolsAsInts =
    "#define bool int\n#define bool1 int1\n#define bool2 int2\n#define bool3 int3\n#define bool4 int4\n";

std::string Upper(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// Splits a semantic into its name and trailing number ("TEXCOORD3" gives "TEXCOORD" and 3,
// "NORMAL" gives "NORMAL" and -1).
void SplitSemantic(const std::string& semantic, std::string& base, int& number)
{
    size_t end = semantic.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(semantic[end - 1])))
        --end;
    base = semantic.substr(0, end);
    size_t digits = semantic.size() - end;
    number = digits > 0 && digits <= 3 ? std::stoi(semantic.substr(end)) : -1;
    if (digits > 3)
        base = semantic;
}

std::string Demangle(const std::string& name)
{
    std::string result;
    size_t prefix = std::strlen(KeywordPrefix);
    for (size_t i = 0; i < name.size();) {
        if (name.compare(i, prefix, KeywordPrefix) == 0 && (i == 0 || !(std::isalnum(static_cast<unsigned char>(name[i - 1])) || name[i - 1] == '_'))) {
            i += prefix;
            continue;
        }
        result += name[i++];
    }
    return result;
}

// A GLSL identifier from a Cg name: letters, digits and single underscores.
std::string Identifier(const std::string& name)
{
    std::string result = "u_";
    for (char c : name) {
        char keep = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        if (keep == '_' && result.back() == '_')
            continue;
        result += keep;
    }
    return result;
}

int ParameterTypeOf(const spirv_cross::SPIRType& type, unsigned int& target)
{
    using Base = spirv_cross::SPIRType::BaseType;
    target = 0;
    if (type.basetype == Base::SampledImage) {
        switch (type.image.dim) {
        case spv::Dim2D:
            target = TargetTexture2D;
            return ParameterTypeSampler2D;
        case spv::DimCube:
            target = TargetTextureCube;
            return ParameterTypeSamplerCube;
        case spv::Dim3D:
            target = TargetTexture3D;
            return ParameterTypeSampler3D;
        case spv::Dim1D:
            target = TargetTexture1D;
            return 0;
        case spv::DimRect:
            target = TargetTextureRectangle;
            return 0;
        default:
            return 0;
        }
    }
    int size = int(type.vecsize);
    if (size < 1 || size > 4)
        return 0;
    if (type.columns > 1) {
        if (type.basetype != Base::Float || type.columns != type.vecsize || size < 2)
            return 0;
        return ParameterTypeFloat2x2 + size - 2;
    }
    int first = 0;
    switch (type.basetype) {
    case Base::Float:
        first = ParameterTypeFloat2;
        if (size == 1)
            return ParameterTypeFloat;
        break;
    case Base::Int:
        first = ParameterTypeInt2;
        if (size == 1)
            return ParameterTypeInt;
        break;
    case Base::Boolean:
        first = ParameterTypeBool2;
        if (size == 1)
            return ParameterTypeBool;
        break;
    default:
        return 0;
    }
    return first + size - 2;
}

// What becomes of one renamed interface variable in the GLSL text.
struct Rewrite {
    std::string replacement;  // the #define that stands for the variable
    int varying = -1;         // the varying this declaration introduces, -1 for none
};

class Translation {
public:
    explicit Translation(const CGTranslator::Request& request) : request(request) {}

    CGTranslator::Result Run()
    {
        CGTranslator::Result result = RunOnce(false);
        if (!result.succeeded && result.listing.find("Unsigned integers are not supported") != std::string::npos) {
            CGTranslator::Result retry = RunOnce(true);
            if (retry.succeeded)
                return retry;
        }
        return result;
    }

private:
    CGTranslator::Result RunOnce(bool boolsAsInts)
    {
        CGTranslator::Result result;
        defaults.clear();
        std::vector<uint32_t> spirv;
        if (!Compile(boolsAsInts, spirv, result.listing))
            return result;
        try {
            CrossCompile(spirv, result);
        } catch (const std::exception& error) {
            result.succeeded = false;
            result.listing += std::string("error: the shader uses what GLSL 1.20 cannot express: ") + error.what() + "\n";
        }
        return result;
    }

    bool Compile(bool boolsAsInts, std::vector<uint32_t>& spirv, std::string& listing)
    {
        std::string preamble = Prelude();
        if (boolsAsInts)
            preamble += BoolsAsInts;
        for (const std::string& definition : request.definitions) {
            size_t equals = definition.find('=');
            if (equals == std::string::npos)
                preamble += "#define " + definition + " 1\n";
            else
                preamble += "#define " + definition.substr(0, equals) + " " + definition.substr(equals + 1) + "\n";
        }

        EShLanguage language = request.stage == CGTranslator::StageVertex ? EShLangVertex : EShLangFragment;
        const char* strings[] = {request.source.c_str()};
        const int lengths[] = {int(std::min<size_t>(request.source.size(), INT32_MAX))};
        auto messages = EShMessages(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible);
        {
            // The text through the preprocessor alone, for the uniforms' initial values. Done
            // first and on its own: glslang's objects share per-thread state while they work.
            glslang::TShader preprocessor(language);
            preprocessor.setStringsWithLengths(strings, lengths, 1);
            preprocessor.setPreamble(preamble.c_str());
            preprocessor.setEntryPoint(request.entryPoint.c_str());
            preprocessor.setEnvInput(glslang::EShSourceHlsl, language, glslang::EShClientVulkan, 100);
            glslang::TShader::ForbidIncluder includer;
            std::string preprocessed;
            if (preprocessor.preprocess(GetDefaultResources(), 100, ENoProfile, false, false, messages, &preprocessed,
                                        includer))
                for (auto& [name, values] : CGUniformDefaults::Find(preprocessed))
                    defaults[Demangle(name)] = values;
        }

        glslang::TShader shader(language);
        shader.setStringsWithLengths(strings, lengths, 1);
        shader.setPreamble(preamble.c_str());
        shader.setEntryPoint(request.entryPoint.c_str());
        shader.setEnvInput(glslang::EShSourceHlsl, language, glslang::EShClientVulkan, 100);
        shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
        shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
        shader.setEnvTargetHlslFunctionality1();
        shader.setAutoMapLocations(true);
        shader.setAutoMapBindings(true);

        bool parsed = shader.parse(GetDefaultResources(), 100, false, messages);
        listing += shader.getInfoLog();
        if (!parsed)
            return false;
        if (shader.getIntermediate()->getNumEntryPoints() == 0) {
            listing += "ERROR: entry point \"" + request.entryPoint + "\" not found\n";
            return false;
        }
        glslang::TProgram program;
        program.addShader(&shader);
        bool linked = program.link(messages);
        listing += program.getInfoLog();
        if (!linked)
            return false;

        spv::SpvBuildLogger logger;
        glslang::SpvOptions options;
        options.disableOptimizer = false;  // HLSL needs legalising (samplers passed to functions, ...)
        glslang::GlslangToSpv(*program.getIntermediate(language), spirv, &logger, &options);
        std::string messagesOut = logger.getAllMessages();
        listing += messagesOut;
        if (spirv.empty()) {
            listing += "ERROR: no code generated\n";
            return false;
        }
        return true;
    }

    void CrossCompile(std::vector<uint32_t>& spirv, CGTranslator::Result& result)
    {
        spirv_cross::CompilerGLSL compiler(std::move(spirv));
        spirv_cross::CompilerGLSL::Options options;
        options.version = 120;
        options.es = false;
        compiler.set_common_options(options);

        auto active = compiler.get_active_interface_variables();
        spirv_cross::ShaderResources resources = compiler.get_shader_resources(active);
        bool vertex = request.stage == CGTranslator::StageVertex;
        std::map<std::string, Rewrite> rewrites;
        int temporary = 0;

        if (vertex) {
            std::set<int> used;
            for (const spirv_cross::Resource& input : resources.stage_inputs) {
                std::string semantic = compiler.get_decoration_string(input.id, spv::DecorationUserSemantic);
                int index = CGTranslator::AttributeIndex(semantic);
                if (index < 0)
                    throw std::runtime_error("vertex input \"" + Demangle(input.name) + "\" has the semantic \"" +
                                             semantic + "\", which names no vertex attribute");
                std::string name = "nbl_attr" + std::to_string(index);
                if (!used.insert(index).second)
                    name += "_" + std::to_string(temporary++);
                compiler.set_name(input.id, name);
                result.attributes.push_back({name, index});
            }
        }

        // Varyings (vertex outputs, pixel inputs) get a temporary name here; their
        // declarations are replaced after the GLSL is generated.
        std::set<std::string> declared;
        const auto& varyings = vertex ? resources.stage_outputs : resources.stage_inputs;
        for (const spirv_cross::Resource& variable : varyings) {
            std::string semantic = Upper(compiler.get_decoration_string(variable.id, spv::DecorationUserSemantic));
            const spirv_cross::SPIRType& type = compiler.get_type(variable.type_id);
            bool floatVector = type.basetype == spirv_cross::SPIRType::Float && type.columns == 1 &&
                               type.array.empty() && type.vecsize >= 1 && type.vecsize <= 4;
            int components = int(type.vecsize);
            std::string name = "nbl_io" + std::to_string(temporary++);
            std::string written = Demangle(variable.name);
            compiler.set_name(variable.id, name);
            Rewrite& rewrite = rewrites[name];

            bool position = semantic == "POSITION" || semantic == "POSITION0" || semantic == "HPOS" ||
                            (!vertex && semantic == "WPOS");
            bool pointSize = vertex && (semantic == "PSIZE" || semantic == "PSIZ");
            bool face = !vertex && (semantic == "FACE" || semantic == "VFACE");
            if (position || pointSize || face) {
                if (!floatVector || (!position && components != 1))
                    throw std::runtime_error("the " + std::string(vertex ? "output" : "input") + " \"" + written +
                                             "\" with the semantic " + semantic + " has a type that semantic cannot carry");
                std::string builtin;
                if (position && vertex) {
                    builtin = "gl_Position" + Swizzle(components);
                    if (components < 4)
                        result.outputDefaults += "    gl_Position = vec4(0.0, 0.0, 0.0, 1.0);\n";
                } else if (position) {
                    builtin = "gl_FragCoord" + Swizzle(components);
                } else if (pointSize) {
                    builtin = "gl_PointSize";
                } else {
                    builtin = "(gl_FrontFacing ? 1.0 : -1.0)";
                }
                rewrite.replacement = "#define " + name + " " + builtin;
                continue;
            }
            if (semantic.empty())
                throw std::runtime_error(std::string(vertex ? "vertex output" : "pixel input") + " \"" + written +
                                         "\" has no semantic");
            CGTranslator::Varying varying;
            varying.semantic = CGTranslator::VaryingSemantic(semantic);
            varying.variable = "nbl_" + varying.semantic;
            varying.widened = floatVector;
            rewrite.replacement = "#define " + name + " " + varying.variable + (floatVector ? Swizzle(components) : "");
            if (floatVector && vertex && components < 4)
                result.outputDefaults += "    " + varying.variable + " = vec4(0.0, 0.0, 0.0, 1.0);\n";
            if (declared.insert(varying.semantic).second) {
                rewrite.varying = int(result.varyings.size());
                result.varyings.push_back(varying);
            }
        }

        // Pixel outputs: COLORn (COLOR, SV_Target n) is colour buffer n, whatever location
        // glslang's automatic mapping gave it.
        if (!vertex) {
            for (const spirv_cross::Resource& output : resources.stage_outputs) {
                std::string semantic = Upper(compiler.get_decoration_string(output.id, spv::DecorationUserSemantic));
                std::string base;
                int number;
                SplitSemantic(semantic, base, number);
                if (base == "COLOR" || base == "SV_TARGET" || base == "COL")
                    compiler.set_decoration(output.id, spv::DecorationLocation, uint32_t(std::max(number, 0)));
            }
        }

        // Uniforms: the stage's global block, samplers, and loose uniforms.
        std::string block = vertex ? "nbl_vs" : "nbl_ps";
        int blocks = 0;
        for (const spirv_cross::Resource& buffer : resources.uniform_buffers) {
            std::string instance = block + (blocks ? std::to_string(blocks) : std::string());
            ++blocks;
            compiler.set_name(buffer.id, instance);
            compiler.set_name(buffer.base_type_id, instance + "_Globals");
            const spirv_cross::SPIRType& blockType = compiler.get_type(buffer.base_type_id);
            std::set<unsigned> used;
            for (const spirv_cross::BufferRange& range : compiler.get_active_buffer_ranges(buffer.id))
                used.insert(range.index);
            for (unsigned member = 0; member < blockType.member_types.size(); ++member) {
                std::string name = Demangle(compiler.get_member_name(buffer.base_type_id, member));
                std::string variable = Identifier(name);
                compiler.set_member_name(buffer.base_type_id, member, variable);
                if (!used.count(member))
                    continue;
                const spirv_cross::SPIRType& memberType = compiler.get_type(blockType.member_types[member]);
                CGTranslator::Uniform uniform;
                uniform.name = name;
                uniform.variable = instance + "." + variable;
                uniform.type = ParameterTypeOf(memberType, uniform.samplerTarget);
                uniform.arraySize = ArraySize(memberType);
                result.uniforms.push_back(uniform);
            }
        }
        std::vector<spirv_cross::VariableID> ordered(active.begin(), active.end());
        std::sort(ordered.begin(), ordered.end());
        for (spirv_cross::VariableID id : ordered) {
            spv::StorageClass storage = compiler.get_storage_class(id);
            if (storage != spv::StorageClassUniformConstant)
                continue;
            const spirv_cross::SPIRType& type = compiler.get_type_from_variable(id);
            CGTranslator::Uniform uniform;
            uniform.name = Demangle(compiler.get_name(id));
            uniform.variable = Identifier(uniform.name);
            compiler.set_name(id, uniform.variable);
            uniform.type = ParameterTypeOf(type, uniform.samplerTarget);
            uniform.sampler = type.basetype == spirv_cross::SPIRType::SampledImage;
            uniform.arraySize = ArraySize(type);
            result.uniforms.push_back(uniform);
        }

        for (CGTranslator::Uniform& uniform : result.uniforms) {
            auto found = defaults.find(uniform.name);
            if (found != defaults.end())
                uniform.defaults = found->second;
        }
        std::string glsl = compiler.compile();
        ReplaceDeclarations(glsl, rewrites, result);
        size_t main = glsl.find("\nvoid main()\n{\n");
        if (main == std::string::npos)
            throw std::runtime_error("the GLSL has no main function");
        result.mainOffset = main + 1;
        result.bodyOffset = main + std::strlen("\nvoid main()\n{\n");
        result.glsl = std::move(glsl);
        result.succeeded = true;
    }

    static int ArraySize(const spirv_cross::SPIRType& type)
    {
        if (type.array.empty())
            return 0;
        if (type.array.size() > 1 || !type.array_size_literal[0])
            return 0;
        return int(type.array[0]);
    }

    // Replaces the declaration of every renamed varying ("varying vec2 nbl_io3;",
    // "centroid varying mat3 nbl_io4[2];") with the declaration of the varying it stands for,
    // when it introduces one, and its #define.
    static void ReplaceDeclarations(std::string& glsl, std::map<std::string, Rewrite>& rewrites,
                                    CGTranslator::Result& result)
    {
        std::string output;
        output.reserve(glsl.size() + 64 * rewrites.size());
        size_t found = 0;
        for (size_t start = 0; start < glsl.size();) {
            size_t end = glsl.find('\n', start);
            end = end == std::string::npos ? glsl.size() : end + 1;
            std::string line = glsl.substr(start, end - start);
            start = end;
            size_t semicolon = line.rfind(';');
            size_t space = semicolon == std::string::npos ? std::string::npos : line.rfind(' ', semicolon);
            bool declaration = !line.empty() && line[0] != ' ' && (line.compare(0, 8, "varying ") == 0 ||
                                                                   line.find(" varying ") != std::string::npos);
            if (!declaration || space == std::string::npos || line.find('(') != std::string::npos) {
                output += line;
                continue;
            }
            std::string name = line.substr(space + 1, semicolon - space - 1);
            std::string suffix;
            size_t bracket = name.find('[');
            if (bracket != std::string::npos) {
                suffix = name.substr(bracket);
                name.resize(bracket);
            }
            auto rewrite = rewrites.find(name);
            if (rewrite == rewrites.end()) {
                output += line;
                continue;
            }
            ++found;
            std::string head = line.substr(0, space);
            size_t typeAt = head.rfind(' ');
            std::string type = typeAt == std::string::npos ? head : head.substr(typeAt + 1);
            std::string qualifiers = typeAt == std::string::npos ? std::string() : head.substr(0, typeAt);
            if (rewrite->second.varying >= 0) {
                CGTranslator::Varying& varying = result.varyings[size_t(rewrite->second.varying)];
                varying.type = varying.widened ? "vec4" : type + suffix;
                output += qualifiers + " " + (varying.widened ? "vec4" : type) + " " + varying.variable +
                          (varying.widened ? std::string() : suffix) + ";\n";
            }
            output += rewrite->second.replacement + "\n";
        }
        if (found != rewrites.size())
            throw std::runtime_error("the GLSL does not declare every varying where expected");
        glsl = std::move(output);
    }

    const CGTranslator::Request& request;
    std::map<std::string, std::vector<float>> defaults;
};

// The compiler process's messages: integers as 64 bits, floats as 32, text as a 64-bit
// length and its bytes, all little-endian. A reader that runs out of bytes or meets a value
// out of range throws, and the message is refused whole.
const char* const WirePrefix = "CGTranslator: ";

void WriteText(IO::ByteWriter& writer, const std::string& text)
{
    writer.I64(int64_t(text.size()));
    writer.Bytes(text.data(), text.size());
}

std::string ReadText(IO::ByteReader& reader)
{
    int64_t size = reader.I64();
    if (size < 0 || uint64_t(size) > reader.Remaining())
        throw Exception(reader.GetPrefix() + String::Format("Invalid text length %lld at byte %zu", (long long)size,
                                                            reader.Position() - 8));
    return std::string(reinterpret_cast<const char*>(reader.Bytes(size_t(size))), size_t(size));
}

int ReadInt(IO::ByteReader& reader)
{
    int64_t value = reader.I64();
    if (value < INT32_MIN || value > INT32_MAX)
        throw Exception(reader.GetPrefix() + String::Format("Integer %lld out of range at byte %zu", (long long)value,
                                                            reader.Position() - 8));
    return int(value);
}

// A size or count no larger than limit.
size_t ReadSize(IO::ByteReader& reader, size_t limit)
{
    int64_t value = reader.I64();
    if (value < 0 || uint64_t(value) > limit)
        throw Exception(reader.GetPrefix() + String::Format("Invalid size %lld at byte %zu", (long long)value,
                                                            reader.Position() - 8));
    return size_t(value);
}

std::string Bytes(const IO::ByteWriter& writer)
{
    return std::string(reinterpret_cast<const char*>(writer.Data()), writer.Size());
}

std::string SerializeRequest(const CGTranslator::Request& request)
{
    IO::ByteWriter writer;
    WriteText(writer, request.source);
    WriteText(writer, request.entryPoint);
    writer.I64(request.stage);
    writer.I64(int64_t(request.definitions.size()));
    for (const std::string& definition : request.definitions)
        WriteText(writer, definition);
    return Bytes(writer);
}

bool DeserializeRequest(const std::string& bytes, CGTranslator::Request& request)
{
    try {
        IO::ByteReader reader(bytes.data(), bytes.size(), WirePrefix);
        request.source = ReadText(reader);
        request.entryPoint = ReadText(reader);
        int stage = ReadInt(reader);
        request.stage = stage == CGTranslator::StagePixel ? CGTranslator::StagePixel : CGTranslator::StageVertex;
        // Each definition takes at least its 8-byte length.
        request.definitions.resize(ReadSize(reader, reader.Remaining() / 8));
        for (std::string& definition : request.definitions)
            definition = ReadText(reader);
        return reader.AtEnd();
    } catch (const Exception&) {
        return false;
    }
}

// Runs in the compiler process, never in the engine's.
std::string ServeTranslation(const std::string& bytes)
{
    CGTranslator::Request request;
    CGTranslator::Result result;
    if (DeserializeRequest(bytes, request)) {
        glslang::InitializeProcess();
        result = Translation(request).Run();
    } else {
        result.listing = "ERROR: the request could not be read\n";
    }
    return CGTranslator::Serialize(result);
}

// The compiler process: glslang and SPIRV-Cross run only there, never in the engine's own
// process. It keeps glslang's built-in symbol tables from one compile to the next.
ChildProcess& CompilerProcess()
{
    static Managed<ChildProcess> process(ChildProcess::Create(&ServeTranslation, "compiler"));
    return *process;
}

}  // namespace CGTranslatorDetail

int CGTranslator::AttributeIndex(const std::string& semantic)
{
    using namespace CGTranslatorDetail;
    std::string base;
    int number;
    SplitSemantic(Upper(semantic), base, number);
    if (base == "ATTR")
        return number >= 0 && number <= 15 ? number : -1;
    if (base == "TEXCOORD")
        return number <= 7 ? 8 + std::max(number, 0) : -1;
    if (base == "COLOR")
        return number <= 1 ? 3 + std::max(number, 0) : -1;
    static const std::map<std::string, int> conventional = {
        {"POSITION", 0}, {"SV_POSITION", 0}, {"BLENDWEIGHT", 1}, {"NORMAL", 2},  {"DIFFUSE", 3},
        {"SPECULAR", 4}, {"FOGCOORD", 5},    {"FOG", 5},         {"PSIZE", 6},   {"BLENDINDICES", 7},
        {"TANGENT", 14}, {"BINORMAL", 15},
    };
    auto found = conventional.find(base);
    if (found == conventional.end() || number > 0)
        return -1;
    return found->second;
}

std::string CGTranslator::VaryingSemantic(const std::string& semantic)
{
    using namespace CGTranslatorDetail;
    std::string base;
    int number;
    std::string upper = Upper(semantic);
    SplitSemantic(upper, base, number);
    if (base == "COLOR" || base == "COL")
        return "COLOR" + std::to_string(std::max(number, 0));
    if (base == "DIFFUSE" && number < 0)
        return "COLOR0";
    if (base == "SPECULAR" && number < 0)
        return "COLOR1";
    if (base == "TEXCOORD" || base == "TEX")
        return "TEXCOORD" + std::to_string(std::max(number, 0));
    if (upper == "FOGC" || upper == "FOGP")
        return "FOG";
    return upper;
}

void CGTranslator::Prepare()
{
    CGTranslatorDetail::CompilerProcess().Prepare();
}

CGTranslator::Result CGTranslator::Translate(const Request& request)
{
    ChildProcess::Outcome outcome =
        CGTranslatorDetail::CompilerProcess().Call(CGTranslatorDetail::SerializeRequest(request), TimeoutSeconds);
    Result result;
    if (!outcome.completed) {
        result.listing = "ERROR: " + outcome.failure + " on this source\n";
        return result;
    }
    if (!Deserialize(outcome.output, result)) {
        result = Result();
        result.listing = "ERROR: the compiler's answer could not be read\n";
    }
    return result;
}

std::string CGTranslator::Serialize(const Result& result)
{
    using namespace CGTranslatorDetail;
    IO::ByteWriter writer;
    writer.I64(result.succeeded);
    WriteText(writer, result.listing);
    WriteText(writer, result.glsl);
    writer.I64(int64_t(result.mainOffset));
    writer.I64(int64_t(result.bodyOffset));
    WriteText(writer, result.outputDefaults);
    writer.I64(int64_t(result.attributes.size()));
    for (const Attribute& attribute : result.attributes) {
        WriteText(writer, attribute.variable);
        writer.I64(attribute.index);
    }
    writer.I64(int64_t(result.varyings.size()));
    for (const Varying& varying : result.varyings) {
        WriteText(writer, varying.semantic);
        WriteText(writer, varying.variable);
        WriteText(writer, varying.type);
        writer.I64(varying.widened);
    }
    writer.I64(int64_t(result.uniforms.size()));
    for (const Uniform& uniform : result.uniforms) {
        WriteText(writer, uniform.name);
        WriteText(writer, uniform.variable);
        writer.I64(uniform.type);
        writer.I64(uniform.arraySize);
        writer.I64(uniform.sampler);
        writer.I64(uniform.samplerTarget);
        writer.I64(int64_t(uniform.defaults.size()));
        for (float value : uniform.defaults)
            writer.F32(value);
    }
    return Bytes(writer);
}

bool CGTranslator::Deserialize(const std::string& bytes, Result& result)
{
    using namespace CGTranslatorDetail;
    try {
        IO::ByteReader reader(bytes.data(), bytes.size(), WirePrefix);
        result.succeeded = ReadInt(reader) != 0;
        result.listing = ReadText(reader);
        result.glsl = ReadText(reader);
        result.mainOffset = ReadSize(reader, result.glsl.size());
        result.bodyOffset = ReadSize(reader, result.glsl.size());
        result.outputDefaults = ReadText(reader);
        // Every entry takes at least 8 bytes, which bounds what a count may ask for.
        result.attributes.resize(ReadSize(reader, reader.Remaining() / 8));
        for (Attribute& attribute : result.attributes) {
            attribute.variable = ReadText(reader);
            attribute.index = ReadInt(reader);
        }
        result.varyings.resize(ReadSize(reader, reader.Remaining() / 8));
        for (Varying& varying : result.varyings) {
            varying.semantic = ReadText(reader);
            varying.variable = ReadText(reader);
            varying.type = ReadText(reader);
            varying.widened = ReadInt(reader) != 0;
        }
        result.uniforms.resize(ReadSize(reader, reader.Remaining() / 8));
        for (Uniform& uniform : result.uniforms) {
            uniform.name = ReadText(reader);
            uniform.variable = ReadText(reader);
            uniform.type = ReadInt(reader);
            uniform.arraySize = ReadInt(reader);
            uniform.sampler = ReadInt(reader) != 0;
            uniform.samplerTarget = (unsigned int)ReadInt(reader);
            uniform.defaults.resize(ReadSize(reader, reader.Remaining() / sizeof(float)));
            for (float& value : uniform.defaults)
                value = reader.F32();
        }
        return reader.AtEnd();
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace Nimbrel::Graphics
