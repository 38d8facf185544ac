#include "graphics/gl/CGLegacyLibrary.h"

#include <cctype>
#include <cstring>

namespace Nimbrel::Graphics {

namespace CGLegacyLibraryDetail {

struct Function {
    const char* name;
    // Written once with T for the float type and I for the integer type of the same width;
// instantiated for float, vec2, vec3 and vec4.
    const char* definition;
};

const Function Functions[] = {
    {"sinh", "T sinh(T x) { return (exp(x) - exp(-x)) * 0.5; }\n"},
    {"cosh", "T cosh(T x) { return (exp(x) + exp(-x)) * 0.5; }\n"},
    // exp of a large argument overflows; exp(-2|x|) never does.
    {"tanh", "T tanh(T x) { T e = exp(-2.0 * abs(x)); return sign(x) * (1.0 - e) / (1.0 + e); }\n"},
    {"asinh", "T asinh(T x) { return sign(x) * log(abs(x) + sqrt(x * x + 1.0)); }\n"},
    {"acosh", "T acosh(T x) { return log(x + sqrt(x * x - 1.0)); }\n"},
    {"atanh", "T atanh(T x) { return 0.5 * log((1.0 + x) / (1.0 - x)); }\n"},
    {"trunc", "T trunc(T x) { return sign(x) * floor(abs(x)); }\n"},
    {"roundEven", "T roundEven(T x) { T r = floor(x + 0.5); T f = x - floor(x);"
                  " return r - step(0.5, f) * step(f, 0.5) * mod(r, 2.0); }\n"},
    {"modf", "T modf(T x, out T i) { i = sign(x) * floor(abs(x)); return x - i; }\n"},
    // The exponents are integers, as the calls SPIRV-Cross writes pass them.
    {"ldexp", "T ldexp(T x, I e) { return x * exp2(T(e)); }\n"},
    // nz is 0 where x is 0, whose mantissa and exponent are both 0.
    {"frexp", "T frexp(T x, out I e) { T nz = step(1e-38, abs(x));"
              " T f = (floor(log2(abs(x) + (1.0 - nz))) + 1.0) * nz; e = I(f); return x / exp2(f); }\n"},
};

// The tests by component: GLSL 1.20 has no "and" of bool vectors, so the vector forms go
// through floats.
const char* const Classifications[][2] = {
    {"isnan", "bool isnan(float x) { return x != x; }\n"
              "bvec2 isnan(vec2 x) { return notEqual(x, x); }\n"
              "bvec3 isnan(vec3 x) { return notEqual(x, x); }\n"
              "bvec4 isnan(vec4 x) { return notEqual(x, x); }\n"},
    {"isinf", "bool isinf(float x) { return x != 0.0 && x * 0.5 == x; }\n"
              "bvec2 isinf(vec2 x) { return bvec2(vec2(notEqual(x, vec2(0.0))) * vec2(equal(x * 0.5, x))); }\n"
              "bvec3 isinf(vec3 x) { return bvec3(vec3(notEqual(x, vec3(0.0))) * vec3(equal(x * 0.5, x))); }\n"
              "bvec4 isinf(vec4 x) { return bvec4(vec4(notEqual(x, vec4(0.0))) * vec4(equal(x * 0.5, x))); }\n"},
};

const char* const Determinants =
    "float determinant(mat2 m) { return m[0][0] * m[1][1] - m[1][0] * m[0][1]; }\n"
    "float determinant(mat3 m) { return dot(m[0], cross(m[1], m[2])); }\n"
    "float determinant(mat4 m) {\n"
    "    float s0 = m[0][0] * m[1][1] - m[1][0] * m[0][1], s1 = m[0][0] * m[1][2] - m[1][0] * m[0][2];\n"
    "    float s2 = m[0][0] * m[1][3] - m[1][0] * m[0][3], s3 = m[0][1] * m[1][2] - m[1][1] * m[0][2];\n"
    "    float s4 = m[0][1] * m[1][3] - m[1][1] * m[0][3], s5 = m[0][2] * m[1][3] - m[1][2] * m[0][3];\n"
    "    float c5 = m[2][2] * m[3][3] - m[3][2] * m[2][3], c4 = m[2][1] * m[3][3] - m[3][1] * m[2][3];\n"
    "    float c3 = m[2][1] * m[3][2] - m[3][1] * m[2][2], c2 = m[2][0] * m[3][3] - m[3][0] * m[2][3];\n"
    "    float c1 = m[2][0] * m[3][2] - m[3][0] * m[2][2], c0 = m[2][0] * m[3][1] - m[3][0] * m[2][1];\n"
    "    return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;\n"
    "}\n";

// Whether the text calls name: the word followed by an opening parenthesis.
bool Calls(const std::string& glsl, const char* name)
{
    size_t length = std::strlen(name);
    for (size_t at = glsl.find(name); at != std::string::npos; at = glsl.find(name, at + length)) {
        bool wordStart = at == 0 || !(std::isalnum(static_cast<unsigned char>(glsl[at - 1])) || glsl[at - 1] == '_');
        size_t next = at + length;
        while (next < glsl.size() && glsl[next] == ' ')
            ++next;
        if (wordStart && next < glsl.size() && glsl[next] == '(')
            return true;
    }
    return false;
}

std::string Instantiate(const char* definition, int width)
{
    static const char* const floats[] = {"float", "vec2", "vec3", "vec4"};
    static const char* const ints[] = {"int", "ivec2", "ivec3", "ivec4"};
    std::string text;
    for (const char* c = definition; *c; ++c) {
        bool alone = (c == definition || !std::isalnum(static_cast<unsigned char>(c[-1]))) &&
                     !std::isalnum(static_cast<unsigned char>(c[1]));
        if (*c == 'T' && alone)
            text += floats[width - 1];
        else if (*c == 'I' && alone)
            text += ints[width - 1];
        else
            text += *c;
    }
    return text;
}

}  // namespace CGLegacyLibraryDetail

void CGLegacyLibrary::Supply(std::string& glsl)
{
    using namespace CGLegacyLibraryDetail;
    std::string definitions;
    for (const Function& function : Functions) {
        if (!Calls(glsl, function.name))
            continue;
        for (int width = 1; width <= 4; ++width)
            definitions += Instantiate(function.definition, width);
    }
    for (const auto& [name, text] : Classifications)
        if (Calls(glsl, name))
            definitions += text;
    if (Calls(glsl, "determinant"))
        definitions += Determinants;
    if (definitions.empty())
        return;
    // Before the first function, which follows the declarations; main is always there.
    size_t at = glsl.find("\nvoid main()\n");
    size_t firstFunction = glsl.find(")\n{\n");
    if (firstFunction != std::string::npos) {
        size_t lineStart = glsl.rfind('\n', firstFunction);
        if (lineStart != std::string::npos && lineStart < at)
            at = lineStart;
    }
    if (at == std::string::npos)
        at = glsl.size();
    glsl.insert(at + 1, definitions);
}

}  // namespace Nimbrel::Graphics
