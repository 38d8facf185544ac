#include "graphics/gl/CGCrossCompiler.h"

#include "graphics/Enumerations.h"
#include "graphics/gl/CGLegacyLibrary.h"
#include "graphics/gl/CGPrelude.h"
#include "graphics/gl/CGSemantics.h"

#include <spirv_cross/spirv_glsl.hpp>

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <stdexcept>
#include <unordered_set>

namespace Nimbrel::Graphics {

namespace CGCrossCompilerDetail {

using Base = spirv_cross::SPIRType::BaseType;

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

// The engine's parameter type for a uniform (0 for types it cannot name) and, for a sampler,
// the texture target it reads.
int ParameterTypeOf(const spirv_cross::SPIRType& type, unsigned int& target)
{
    target = 0;
    if (type.basetype == Base::SampledImage) {
        switch (type.image.dim) {
        case spv::Dim2D:
            target = GL_TEXTURE_2D;
            return ParameterTypeSampler2D;
        case spv::DimCube:
            target = GL_TEXTURE_CUBE_MAP;
            return ParameterTypeSamplerCube;
        case spv::Dim3D:
            target = GL_TEXTURE_3D;
            return ParameterTypeSampler3D;
        case spv::Dim1D:
            target = GL_TEXTURE_1D;
            return 0;
        case spv::DimRect:
            target = GL_TEXTURE_RECTANGLE;
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

// The element count of a one-dimensional array of literal size; 0 for anything else.
int ArraySize(const spirv_cross::SPIRType& type)
{
    if (type.array.empty())
        return 0;
    if (type.array.size() > 1 || !type.array_size_literal[0])
        return 0;
    return int(type.array[0]);
}

// The Cg word for a type: "float3", "float3x4", "int2", "bool", "sampler2D", ...; empty for
// types Cg has no word for.
std::string TypeName(const spirv_cross::SPIRType& type)
{
    if (type.basetype == Base::SampledImage) {
        switch (type.image.dim) {
        case spv::Dim1D:
            return "sampler1D";
        case spv::Dim2D:
            return "sampler2D";
        case spv::Dim3D:
            return "sampler3D";
        case spv::DimCube:
            return "samplerCUBE";
        case spv::DimRect:
            return "samplerRECT";
        default:
            return std::string();
        }
    }
    std::string base;
    switch (type.basetype) {
    case Base::Float:
        base = "float";
        break;
    case Base::Int:
        base = "int";
        break;
    case Base::Boolean:
        base = "bool";
        break;
    default:
        return std::string();
    }
    // Rows of a Cg matrix are the GLSL columns (the matrices are packed row by row).
    if (type.columns > 1)
        return base + std::to_string(type.columns) + "x" + std::to_string(type.vecsize);
    return type.vecsize > 1 ? base + std::to_string(type.vecsize) : base;
}

// The most uniforms one struct or array of structs may expand into.
constexpr size_t MaxReflectedUniforms = 4096;

// What becomes of one renamed interface variable in the GLSL text.
struct Rewrite {
    std::string replacement;  // the #define that stands for the variable
    int varying = -1;         // the varying this declaration introduces, -1 for none
};

// Where the generated code starts its main function.
const char* const MainHeader = "\nvoid main()\n{\n";

class CrossCompilation {
public:
    CrossCompilation(std::vector<uint32_t> spirv, CGTranslator::Stage stage, CGTranslator::Result& result)
        : compiler(std::move(spirv)), vertex(stage == CGTranslator::StageVertex), result(result)
    {
        spirv_cross::CompilerGLSL::Options options;
        options.version = 120;
        options.es = false;
        compiler.set_common_options(options);
        active = compiler.get_active_interface_variables();
        resources = compiler.get_shader_resources(active);
    }

    void Run(const std::map<std::string, std::vector<float>>& defaults)
    {
        if (vertex)
            NameAttributes();
        NameVaryings();
        if (!vertex)
            PlacePixelOutputs();
        ReflectUniformBlocks();
        ReflectLooseUniforms();
        for (CGTranslator::Uniform& uniform : result.uniforms) {
            auto found = defaults.find(uniform.name);
            if (found != defaults.end())
                uniform.defaults = found->second;
        }
        Generate();
    }

private:
    // Vertex inputs: "nbl_attr" + the generic attribute their semantic reads. Inputs without a
    // semantic, which Cg feeds by name, take the lowest attributes no semantic claims, in the
    // order they are declared.
    void NameAttributes()
    {
        std::set<int> used;
        std::vector<const spirv_cross::Resource*> unnamed;
        const std::vector<spirv_cross::Resource> inputs = InDeclarationOrder(resources.stage_inputs);
        for (const spirv_cross::Resource& input : inputs) {
            std::string semantic = compiler.get_decoration_string(input.id, spv::DecorationUserSemantic);
            if (semantic.empty()) {
                unnamed.push_back(&input);
                continue;
            }
            int index = CGTranslator::AttributeIndex(semantic);
            if (index < 0)
                throw std::runtime_error("vertex input \"" + CGPrelude::Demangle(input.name) + "\" has the semantic \"" +
                                         semantic + "\", which names no vertex attribute");
            NameAttribute(input, index, used);
        }
        int next = 0;
        for (const spirv_cross::Resource* input : unnamed) {
            while (used.count(next))
                ++next;
            if (next > 15)
                throw std::runtime_error("vertex input \"" + CGPrelude::Demangle(input->name) +
                                         "\" has no semantic and no generic attribute is left for it");
            NameAttribute(*input, next, used);
        }
    }

    void NameAttribute(const spirv_cross::Resource& input, int index, std::set<int>& used)
    {
        std::string name = "nbl_attr" + std::to_string(index);
        if (!used.insert(index).second)
            name += "_" + std::to_string(temporary++);
        compiler.set_name(input.id, name);
        result.attributes.push_back({name, index, CGPrelude::Demangle(input.name)});
    }

    // Interface variables in the order the source declares them (glslang numbers their
    // locations that way).
    std::vector<spirv_cross::Resource> InDeclarationOrder(const spirv_cross::SmallVector<spirv_cross::Resource>& variables)
    {
        std::vector<spirv_cross::Resource> ordered(variables.begin(), variables.end());
        std::stable_sort(ordered.begin(), ordered.end(), [&](const spirv_cross::Resource& a, const spirv_cross::Resource& b) {
            return compiler.get_decoration(a.id, spv::DecorationLocation) < compiler.get_decoration(b.id, spv::DecorationLocation);
        });
        return ordered;
    }

    // Varyings (vertex outputs, pixel inputs) get a temporary name here, which a #define maps
    // to the built-in or the semantic's varying; their declarations are replaced once the
    // GLSL is generated.
    void NameVaryings()
    {
        std::set<std::string> declared;
        const auto& varyings = vertex ? resources.stage_outputs : resources.stage_inputs;
        for (const spirv_cross::Resource& variable : varyings) {
            std::string semantic =
                CGSemantics::Upper(compiler.get_decoration_string(variable.id, spv::DecorationUserSemantic));
            const spirv_cross::SPIRType& type = compiler.get_type(variable.type_id);
            bool floatVector = type.basetype == Base::Float && type.columns == 1 && type.array.empty() &&
                               type.vecsize >= 1 && type.vecsize <= 4;
            int components = int(type.vecsize);
            std::string name = "nbl_io" + std::to_string(temporary++);
            std::string written = CGPrelude::Demangle(variable.name);
            compiler.set_name(variable.id, name);
            Rewrite& rewrite = rewrites[name];
            std::string builtin = Builtin(semantic, written, floatVector, components);
            if (!builtin.empty()) {
                rewrite.replacement = "#define " + name + " " + builtin;
                continue;
            }
            CGTranslator::Varying varying;
            // Varyings without a semantic meet the other stage's by their own name (a struct
            // member's name without the struct's).
            varying.semantic = semantic.empty() ? NamedVarying(written) : CGTranslator::VaryingSemantic(semantic);
            varying.variable = "nbl_" + varying.semantic;
            varying.widened = floatVector;
            rewrite.replacement =
                "#define " + name + " " + varying.variable + (floatVector ? CGPrelude::Swizzle(components) : "");
            if (floatVector && vertex && components < 4)
                result.outputDefaults += "    " + varying.variable + " = vec4(0.0, 0.0, 0.0, 1.0);\n";
            if (declared.insert(varying.semantic).second) {
                rewrite.varying = int(result.varyings.size());
                result.varyings.push_back(varying);
            }
        }
    }

    // The key of a varying without a semantic: "var_" + the last part of its name.
    static std::string NamedVarying(const std::string& written)
    {
        size_t dot = written.rfind('.');
        std::string name = dot == std::string::npos ? written : written.substr(dot + 1);
        std::string key = "var_";
        for (char c : name)
            key += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return key;
    }

    // The built-in (position, point size, facing) a varying of this semantic stands for;
    // empty when the semantic names none.
    std::string Builtin(const std::string& semantic, const std::string& written, bool floatVector, int components)
    {
        bool position = semantic == "POSITION" || semantic == "POSITION0" || semantic == "HPOS" ||
                        (!vertex && semantic == "WPOS");
        bool pointSize = vertex && (semantic == "PSIZE" || semantic == "PSIZ");
        bool face = !vertex && (semantic == "FACE" || semantic == "VFACE");
        if (!position && !pointSize && !face)
            return std::string();
        if (!floatVector || (!position && components != 1))
            throw std::runtime_error("the " + std::string(vertex ? "output" : "input") + " \"" + written +
                                     "\" with the semantic " + semantic + " has a type that semantic cannot carry");
        if (position && vertex) {
            if (components < 4)
                result.outputDefaults += "    gl_Position = vec4(0.0, 0.0, 0.0, 1.0);\n";
            return "gl_Position" + CGPrelude::Swizzle(components);
        }
        if (position)
            return "gl_FragCoord" + CGPrelude::Swizzle(components);
        if (pointSize)
            return "gl_PointSize";
        return "(gl_FrontFacing ? 1.0 : -1.0)";
    }

    // Pixel outputs: COLORn (COLOR, SV_Target n) is colour buffer n, whatever location
    // glslang's automatic mapping gave it.
    void PlacePixelOutputs()
    {
        for (const spirv_cross::Resource& output : resources.stage_outputs) {
            std::string semantic =
                CGSemantics::Upper(compiler.get_decoration_string(output.id, spv::DecorationUserSemantic));
            std::string base;
            int number;
            CGSemantics::Split(semantic, base, number);
            if (base != "COLOR" && base != "SV_TARGET" && base != "COL")
                continue;
            int buffer = std::max(number, 0);
            compiler.set_decoration(output.id, spv::DecorationLocation, uint32_t(buffer));
            const spirv_cross::SPIRType& type = compiler.get_type(output.type_id);
            if (type.basetype == Base::Float && type.columns == 1 && type.array.empty() && type.vecsize < 4)
                narrowOutputs[buffer] = int(type.vecsize);
        }
    }

    // A colour output narrower than four components is written to a variable of its own
    // width, which a new main widens into the colour buffer after the shader's (the missing
    // components read 0, 0, 1).
    void WidenPixelOutputs(std::string& glsl)
    {
        if (narrowOutputs.empty())
            return;
        std::string declarations;
        std::string stores;
        for (auto [buffer, components] : narrowOutputs) {
            std::string target = "gl_FragData[" + std::to_string(buffer) + "]";
            std::string variable = "nbl_color" + std::to_string(buffer);
            for (size_t at = glsl.find(target); at != std::string::npos; at = glsl.find(target, at + variable.size()))
                glsl.replace(at, target.size(), variable);
            static const char* const types[] = {"", "float", "vec2", "vec3"};
            static const char* const rests[] = {"", ", 0.0, 0.0, 1.0", ", 0.0, 1.0", ", 1.0"};
            declarations += std::string(types[components]) + " " + variable + ";\n";
            stores += "    " + target + " = vec4(" + variable + rests[components] + ");\n";
        }
        size_t main = glsl.find(MainHeader);
        if (main == std::string::npos)
            throw std::runtime_error("the GLSL has no main function");
        glsl.insert(main + 1, declarations);
        main += declarations.size();
        glsl.replace(main + 1, std::strlen("void main()"), "void nbl_main()");
        glsl += std::string(MainHeader).substr(1) + "    nbl_main();\n" + stores + "}\n";
    }

    // The stage's global uniforms, which glslang gathers in a block: the instance is named per
    // stage, every member "u_" + its Cg name; the members the code uses are listed, a struct
    // member by member ("IN.video_size", "lights[1].color") as Cg names them.
    void ReflectUniformBlocks()
    {
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
                std::string name = CGPrelude::Demangle(compiler.get_member_name(buffer.base_type_id, member));
                std::string variable = Identifier(name);
                compiler.set_member_name(buffer.base_type_id, member, variable);
                const spirv_cross::SPIRType& memberType = compiler.get_type(blockType.member_types[member]);
                RenameStructMembers(memberType);
                if (used.count(member))
                    Reflect(name, instance + "." + variable, memberType);
            }
        }
    }

    // Gives the members of a struct type (and of the structs inside it) "u_" + their Cg name,
    // so that no member name is a GLSL word.
    void RenameStructMembers(const spirv_cross::SPIRType& type)
    {
        if (type.basetype != Base::Struct || cgMemberNames.count(type.self))
            return;
        std::vector<std::string>& names = cgMemberNames[type.self];
        for (unsigned member = 0; member < type.member_types.size(); ++member) {
            names.push_back(CGPrelude::Demangle(compiler.get_member_name(type.self, member)));
            compiler.set_member_name(type.self, member, Identifier(names.back()));
            RenameStructMembers(compiler.get_type(type.member_types[member]));
        }
    }

    // One uniform, or for a struct (or an array of structs) each of its members.
    void Reflect(const std::string& name, const std::string& variable, const spirv_cross::SPIRType& type)
    {
        if (type.basetype != Base::Struct) {
            CGTranslator::Uniform uniform;
            uniform.name = name;
            uniform.variable = variable;
            Describe(type, uniform);
            AddUniform(uniform);
            return;
        }
        if (type.array.empty()) {
            ReflectMembers(name, variable, type);
            return;
        }
        int elements = ArraySize(type);
        if (elements <= 0)
            throw std::runtime_error("the uniform \"" + name + "\" is an array of structs whose size is not one number");
        for (int element = 0; element < elements; ++element) {
            std::string index = "[" + std::to_string(element) + "]";
            ReflectMembers(name + index, variable + index, type);
        }
    }

    void ReflectMembers(const std::string& name, const std::string& variable, const spirv_cross::SPIRType& type)
    {
        for (unsigned member = 0; member < type.member_types.size(); ++member) {
            const std::string& cgName = cgMemberNames[type.self][member];
            Reflect(name + "." + cgName, variable + "." + compiler.get_member_name(type.self, member),
                    compiler.get_type(type.member_types[member]));
        }
    }

    void Describe(const spirv_cross::SPIRType& type, CGTranslator::Uniform& uniform)
    {
        uniform.type = ParameterTypeOf(type, uniform.samplerTarget);
        uniform.typeName = TypeName(type);
        uniform.sampler = type.basetype == Base::SampledImage;
        uniform.arraySize = ArraySize(type);
        if (type.basetype == Base::Float && type.columns > 1) {
            uniform.rows = int(type.columns);
            uniform.columns = int(type.vecsize);
        }
    }

    void AddUniform(const CGTranslator::Uniform& uniform)
    {
        if (result.uniforms.size() >= MaxReflectedUniforms)
            throw std::runtime_error("the shader has more than " + std::to_string(MaxReflectedUniforms) +
                                     " uniforms once its structs are counted member by member");
        result.uniforms.push_back(uniform);
    }

    // Samplers and other uniforms outside the block, "u_" + their Cg name in both stages, in
    // the order of their ids so that the listing does not depend on hashing.
    void ReflectLooseUniforms()
    {
        std::vector<spirv_cross::VariableID> ordered(active.begin(), active.end());
        std::sort(ordered.begin(), ordered.end());
        for (spirv_cross::VariableID id : ordered) {
            if (compiler.get_storage_class(id) != spv::StorageClassUniformConstant)
                continue;
            const spirv_cross::SPIRType& type = compiler.get_type_from_variable(id);
            std::string name = CGPrelude::Demangle(compiler.get_name(id));
            std::string variable = Identifier(name);
            compiler.set_name(id, variable);
            RenameStructMembers(type);
            Reflect(name, variable, type);
        }
    }

    // The GLSL text, with the varyings' declarations replaced and main located.
    void Generate()
    {
        std::string glsl = compiler.compile();
        ReplaceDeclarations(glsl);
        WidenPixelOutputs(glsl);
        CGLegacyLibrary::Supply(glsl);
        size_t main = glsl.find(MainHeader);
        if (main == std::string::npos)
            throw std::runtime_error("the GLSL has no main function");
        result.mainOffset = main + 1;
        result.bodyOffset = main + std::strlen(MainHeader);
        result.glsl = std::move(glsl);
        result.succeeded = true;
    }

    // Replaces the declaration of every renamed varying ("varying vec2 nbl_io3;",
    // "centroid varying mat3 nbl_io4[2];") with the declaration of the varying it stands for,
    // when it introduces one, and its #define.
    void ReplaceDeclarations(std::string& glsl)
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
            bool declaration = !line.empty() && line[0] != ' ' &&
                               (line.compare(0, 8, "varying ") == 0 || line.find(" varying ") != std::string::npos);
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

    spirv_cross::CompilerGLSL compiler;
    bool vertex;
    CGTranslator::Result& result;
    std::unordered_set<spirv_cross::VariableID> active;
    spirv_cross::ShaderResources resources;
    // By temporary name, every renamed varying.
    std::map<std::string, Rewrite> rewrites;
    // Colour buffer to the component count of an output narrower than four.
    std::map<int, int> narrowOutputs;
    // Numbers the temporary names.
    int temporary = 0;
    // By struct type, its members' names as the Cg source wrote them (the GLSL ones are
    // "u_" + these).
    std::map<uint32_t, std::vector<std::string>> cgMemberNames;
};

}  // namespace CGCrossCompilerDetail

void CGCrossCompiler::Translate(std::vector<uint32_t> spirv, CGTranslator::Stage stage,
                                const std::map<std::string, std::vector<float>>& defaults, CGTranslator::Result& result)
{
    CGCrossCompilerDetail::CrossCompilation(std::move(spirv), stage, result).Run(defaults);
}

}  // namespace Nimbrel::Graphics
