#pragma once
// CGUniformDefaults: the values Cg source gives its global uniforms in their declarations
// ("float Shininess = 32;", "float3 LightColor = {1, 0.9, 0.8};", "float4 Tint =
// float4(1, 1, 1, 1);"). Cg starts a program's parameters at those values; the compiler route
// to GLSL drops them, so the program sets them itself after linking.
//
// Reads preprocessed source (no comments or macros left; lines starting with '#' are
// skipped). Only declarations at file scope count, and only initialisers made of number
// literals, true and false, unary minus, braces and constructor calls such as float3(...);
// anything else (an expression, a function call, a static or const variable) is left out.
// Values come in source order: for a matrix, row by row.

#include <map>
#include <string>
#include <vector>

namespace Nimbrel::Graphics {

class CGUniformDefaults {
public:
    // Name as written in the source to its values.
    static std::map<std::string, std::vector<float>> Find(const std::string& source);
};

}  // namespace Nimbrel::Graphics
