#pragma once
// GLShadingContext: everything the GL device leaves to the shader runtime. The device owns
// its context (given by the factory, SetShadingContext) and forwards shader, program and
// semantic-map creation to it; the draw path hands it the semantic map and has it enable and
// disable the vertex attributes of the input layout.
//
// The implementation (CGShadingContext) issues its OpenGL calls through the owning device's
// function table (GLDevice::GetGL) after GLDevice::MakeCurrent.

#include "graphics/Enumerations.h"

#include <cstdint>

namespace Nimbrel {
class String;
}

namespace Nimbrel::Graphics {

class GLDevice;
class Program;
class SemanticMap;
class Shader;

class GLShadingContext {
public:
    explicit GLShadingContext(GLDevice* owner) : device(owner) {}
    GLShadingContext(const GLShadingContext&) = delete;
    GLShadingContext& operator=(const GLShadingContext&) = delete;

    virtual bool IsAvailable() = 0;
    // The device's CreateShader and CreateProgram forward here; results carry the caller's
    // reference.
    virtual Shader* CreateShader(ShaderType type, bool precompiled, const char* entryPoint,
                                 const char* reserved, const char* source) = 0;
    virtual Program* CreateProgram(Shader* vertex, Shader* pixel, Shader* geometry) = 0;
    virtual Program* CreateProgram(Shader* vertex, Shader* pixel) = 0;
    // names: 16 names, index = semantic index.
    virtual SemanticMap* CreateSemanticMap(const String* names) = 0;
    // The map the draw path applies (not owned; the device keeps it alive while set).
    virtual void SetSemanticMap(SemanticMap* map) = 0;
    // Enables generic attribute index and points it at the bound GL_ARRAY_BUFFER: components
    // of the OpenGL type, stride bytes apart, starting offset bytes into the buffer.
    virtual void EnableAttribute(int index, int components, unsigned int type, int stride, bool normalized,
                                 intptr_t offset) = 0;
    virtual void DisableAttribute(int index) = 0;
    virtual bool SupportsShadingLanguage(ShadingLanguage language) = 0;
    virtual ~GLShadingContext() = default;

    GLDevice* GetDevice() const { return device; }

protected:
    GLDevice* device;  // the owner; it outlives the context
};

}  // namespace Nimbrel::Graphics
