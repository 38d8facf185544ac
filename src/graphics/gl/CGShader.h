#pragma once
// CGShader: one Cg entry point compiled for one stage. It holds the GLSL and the interface
// the translation produced; the OpenGL shader objects are made when a program links it,
// because a vertex stage is completed there with what the pixel stage reads.

#include "graphics/Enumerations.h"
#include "graphics/Shader.h"
#include "graphics/gl/CGTranslator.h"

#include <utility>

namespace Nimbrel::Graphics {

class CGShader : public Shader {
public:
    CGShader(ShaderType type, CGTranslator::Result translation) : type(type), translation(std::move(translation)) {}

    ShaderType GetType() const { return type; }
    const CGTranslator::Result& GetTranslation() const { return translation; }

private:
    ShaderType type;
    CGTranslator::Result translation;
};

}  // namespace Nimbrel::Graphics
