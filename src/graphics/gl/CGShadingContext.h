#pragma once
// CGShadingContext: the GL device's shading context. It takes Cg source, compiles entry points
// through CGTranslator (Cg to GLSL 1.20, in a child process so a compiler crash cannot take the
// engine down), links vertex and pixel shaders into CGNimbrelPrograms and makes the semantic
// maps whose names become the compile definitions NAME=ATTR<index>.
//
// Failures throw an Exception whose message holds the compiler's (or the driver's) listing;
// the same text is written to the console (standard error) first. The message is put
// together after the compile call has returned.

#include "graphics/gl/GLShadingContext.h"

#include <string>

namespace Nimbrel::Graphics {

class CGNimbrelProgram;

class CGShadingContext : public GLShadingContext {
public:
    // Starts the compiler process, before the engine's later threads exist.
    explicit CGShadingContext(GLDevice* owner);
    ~CGShadingContext() override = default;

    bool IsAvailable() override { return true; }
    // Throws "Non-default geometry shaders is not supported by this backend" for geometry
    // shaders, "Invalid shader type enum" for other unknown types, "Only CG text shaders is
    // supported by this backend" for precompiled ones, and the compiler's listing when the
    // source does not compile.
    Shader* CreateShader(ShaderType type, bool precompiled, const char* entryPoint, const char* reserved,
                         const char* source) override;
    // Throws "This implementation does not support geometry shaders" for a geometry shader.
    Program* CreateProgram(Shader* vertex, Shader* pixel, Shader* geometry) override;
    Program* CreateProgram(Shader* vertex, Shader* pixel) override;
    SemanticMap* CreateSemanticMap(const String* names) override;
    // Recorded only: compiling reads the device's current map.
    void SetSemanticMap(SemanticMap* map) override { semanticMap = map; }
    void EnableAttribute(int index, int components, unsigned int type, int stride, bool normalized,
                         intptr_t offset) override;
    void DisableAttribute(int index) override;
    bool SupportsShadingLanguage(ShadingLanguage language) override { return language == ShadingLanguageCg; }

    // For programs: the program OpenGL draws with right now (set by its Bind), or null.
    CGNimbrelProgram* GetBoundProgram() const { return boundProgram; }
    void SetBoundProgram(CGNimbrelProgram* program) { boundProgram = program; }

    // Throws headline + "\n\n" + listing + "\n\n" (at most 65536 characters, the listing cut
    // to fit), written to the console (standard error) first.
    [[noreturn]] static void Fail(const std::string& headline, const std::string& listing);

private:
    SemanticMap* semanticMap = nullptr;
    CGNimbrelProgram* boundProgram = nullptr;
};

}  // namespace Nimbrel::Graphics
