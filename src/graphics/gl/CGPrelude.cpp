#include "graphics/gl/CGPrelude.h"

#include "graphics/gl/CGSourceTokens.h"

#include <cctype>
#include <cstring>

namespace Nimbrel::Graphics {

namespace CGPreludeDetail {

// Words that are plain identifiers in Cg but reserved by glslang's HLSL front end. Each is
// renamed with this prefix before compiling and gets its name back in the reflection.
const char* const KeywordPrefix = "nbl_kw_";
const char* const CgIdentifiers[] = {
    "texture", "point", "line", "triangle", "lineadj", "triangleadj", "linear", "centroid",
    "nointerpolation", "noperspective", "precise", "snorm", "unorm", "groupshared",
    "globallycoherent",
};

// Bool uniforms come out of glslang as unsigned integers, which GLSL 1.20 lacks. The second
// attempt at a source that fails on them reads bools as ints (truth tests, conversions and
// comparisons keep their meaning; the engine cannot set bool parameters anyway).
const char* const BoolsAsInts =
    "#define bool int\n#define bool1 int1\n#define bool2 int2\n#define bool3 int3\n#define bool4 int4\n";

std::string CgSpellings()
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
                           "(s, c)" + CGPrelude::Swizzle(n) + ")\n";
    // Cg projects three-component coordinates too (HLSL only four).
    prelude += "float4 tex2Dproj(sampler2D s, float3 c) { return tex2D(s, c.xy / c.z); }\n";
    prelude += "float4 tex2Dproj(sampler2D s, float4 c) { return tex2D(s, c.xy / c.w); }\n";
    return prelude;
}

// Whether the source declares a function of this name at the top level (a type word, the
// name, an opening parenthesis).
bool DeclaresFunction(const CGSourceTokens& tokens, const char* name)
{
    for (size_t i = 1; i + 1 < tokens.Count(); ++i)
        if (tokens[i].depth == 0 && tokens[i].text == name && tokens[i - 1].identifier && tokens[i + 1].text == "(")
            return true;
    return false;
}

}  // namespace CGPreludeDetail

std::string CGPrelude::GlslSpellings(const std::string& source)
{
    using CGPreludeDetail::DeclaresFunction;
    CGSourceTokens tokens(source);
    std::string text = "#define vec2 float2\n#define vec3 float3\n#define vec4 float4\n";
    static const char* const floats[] = {"float", "float2", "float3", "float4"};
    bool fract = !DeclaresFunction(tokens, "fract");
    bool mix = !DeclaresFunction(tokens, "mix");
    bool mod = !DeclaresFunction(tokens, "mod");
    for (int width = 0; width < 4; ++width) {
        std::string t = floats[width];
        if (fract)
            text += t + " fract(" + t + " x) { return frac(x); }\n";
        if (mix)
            text += t + " mix(" + t + " a, " + t + " b, " + t + " t) { return lerp(a, b, t); }\n";
        if (mod)
            text += t + " mod(" + t + " x, " + t + " y) { return x - y * floor(x / y); }\n";
        if (width == 0)
            continue;
        if (mix)
            text += t + " mix(" + t + " a, " + t + " b, float t) { return lerp(a, b, t); }\n";
        if (mod)
            text += t + " mod(" + t + " x, float y) { return x - y * floor(x / y); }\n";
    }
    return text;
}

std::string CGPrelude::Swizzle(int components)
{
    static const char* const swizzles[] = {"", ".x", ".xy", ".xyz", ""};
    return components >= 0 && components <= 4 ? swizzles[components] : "";
}

std::string CGPrelude::Text(const std::vector<std::string>& definitions, bool boolsAsInts)
{
    using namespace CGPreludeDetail;
    static const std::string spellings = CgSpellings();
    std::string prelude = spellings;
    if (boolsAsInts)
        prelude += BoolsAsInts;
    for (const std::string& definition : definitions) {
        size_t equals = definition.find('=');
        if (equals == std::string::npos)
            prelude += "#define " + definition + " 1\n";
        else
            prelude += "#define " + definition.substr(0, equals) + " " + definition.substr(equals + 1) + "\n";
    }
    return prelude;
}

std::string CGPrelude::Mangle(const std::string& name)
{
    return CGPreludeDetail::KeywordPrefix + name;
}

std::string CGPrelude::Demangle(const std::string& name)
{
    using CGPreludeDetail::KeywordPrefix;
    std::string result;
    size_t prefix = std::strlen(KeywordPrefix);
    for (size_t i = 0; i < name.size();) {
        bool wordStart = i == 0 || !(std::isalnum(static_cast<unsigned char>(name[i - 1])) || name[i - 1] == '_');
        if (wordStart && name.compare(i, prefix, KeywordPrefix) == 0) {
            i += prefix;
            continue;
        }
        result += name[i++];
    }
    return result;
}

}  // namespace Nimbrel::Graphics
