#pragma once
// CGLegacyLibrary: the Cg library functions that SPIRV-Cross writes under their GLSL 1.30 (or
// later) names, defined in GLSL 1.20 terms and put before the code that calls them: sinh,
// cosh, tanh, asinh, acosh, atanh, trunc, roundEven, modf, frexp, ldexp, isnan, isinf and
// determinant, each for every width the call can take. Runs in the compiler process.
//
// Limits: isnan relies on a NaN comparing unequal to itself, which GLSL 1.20 does not
// promise; the others are exact up to the precision of exp, log and floor.

#include <string>

namespace Nimbrel::Graphics {

class CGLegacyLibrary {
public:
    // Adds, before the first function of the GLSL text, the definitions of the functions it
    // calls and GLSL 1.20 lacks.
    static void Supply(std::string& glsl);
};

}  // namespace Nimbrel::Graphics
