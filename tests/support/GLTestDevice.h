#pragma once
// A GL device for tests on a real SDL window under Xvfb, with a small GLSL shading context in
// place of the Cg one, so the device's own work (state, buffers, layouts, textures,
// framebuffers) is tested without the shader compiler.
//
// Test shaders are GLSL 1.20. Vertex inputs are named after the semantic map's names
// ("attribute vec4 N_POSITION;") and bound to the attribute of their semantic index before
// linking. Programs offer SetFloat..SetFloat4 and SetSampler(texture) on their uniforms.

#include "core/Managed.h"
#include "core/String.h"
#include "graphics/gl/GLDevice.h"
#include "graphics/gl/GLProgram.h"
#include "graphics/gl/GLSemanticMap.h"
#include "graphics/gl/GLShadingContext.h"
#include "graphics/gl/SDLGLDevice.h"
#include "platform/Window.h"

#include <cstdint>
#include <map>
#include <string>

namespace Nimbrel::Testing {

class GLSLTestSemanticMap : public Graphics::GLSemanticMap {
public:
    using GLSemanticMap::GLSemanticMap;
    std::string names[16];
};

class GLSLTestShader : public Graphics::Shader {
public:
    GLSLTestShader(Graphics::GLDevice* device, unsigned int name) : device(device), name(name) {}
    ~GLSLTestShader() override;
    Graphics::GLDevice* device;
    unsigned int name;
};

class GLSLTestParameter : public Graphics::Parameter {
public:
    GLSLTestParameter(Graphics::GLDevice* device, std::string name, int location, int unit)
        : device(device), name(std::move(name)), location(location), unit(unit)
    {
    }

    String GetName() override { return String(name.c_str()); }
    Graphics::ParameterType GetParameterType() override { return Graphics::ParameterTypeFloat4; }
    int GetArraySize() override { return location >= 0 ? 1 : 0; }
    bool IsValid() override { return location >= 0; }
    void SetSampler(int, Graphics::Texture* const*, Graphics::SamplerState* const*) override { Unused(); }
    void SetSampler(int, Graphics::Texture* const*) override { Unused(); }
    void SetSampler(Graphics::Texture*, Graphics::SamplerState*) override { Unused(); }
    void SetSampler(Graphics::Texture* texture) override;
    void SetFloat(int, const float* v) override;
    void SetFloat2(int, const float* v) override;
    void SetFloat3(int, const float* v) override;
    void SetFloat4(int, const float* v) override;
    void SetInt(int, const int*) override { Unused(); }
    void SetInt2(int, const int*) override { Unused(); }
    void SetInt3(int, const int*) override { Unused(); }
    void SetInt4(int, const int*) override { Unused(); }
    void SetBool(int, const bool*) override { Unused(); }
    void SetBool2(int, const bool*) override { Unused(); }
    void SetBool3(int, const bool*) override { Unused(); }
    void SetBool4(int, const bool*) override { Unused(); }
    void SetMatrix2(int, const float*) override { Unused(); }
    void SetMatrix3(int, const float*) override { Unused(); }
    void SetMatrix4(int, const float*) override { Unused(); }

private:
    [[noreturn]] static void Unused();

    Graphics::GLDevice* device;
    std::string name;
    int location;
    int unit;
};

class GLSLTestProgram : public Graphics::GLProgram {
public:
    GLSLTestProgram(Graphics::GLDevice* device, unsigned int name) : GLProgram(device), device(device), name(name) {}
    ~GLSLTestProgram() override;

    void Bind() override;
    int GetAttributeIndex(int semantic) override { return semantic; }
    int GetParameterCount() override { return 0; }
    Graphics::Parameter* GetParameter(int) override { return nullptr; }
    // The program must be bound (SetProgram) before values are set.
    Graphics::Parameter* GetParameter(const String& parameterName) override;

    int bindCount = 0;

private:
    Graphics::GLDevice* device;
    unsigned int name;
    std::map<std::string, GLSLTestParameter*> parameters;
};

class GLSLTestShadingContext : public Graphics::GLShadingContext {
public:
    using GLShadingContext::GLShadingContext;

    bool IsAvailable() override { return true; }
    Graphics::Shader* CreateShader(Graphics::ShaderType type, bool, const char*, const char*, const char* source) override;
    Graphics::Program* CreateProgram(Graphics::Shader* vertex, Graphics::Shader* pixel, Graphics::Shader*) override
    {
        return CreateProgram(vertex, pixel);
    }
    Graphics::Program* CreateProgram(Graphics::Shader* vertex, Graphics::Shader* pixel) override;
    Graphics::SemanticMap* CreateSemanticMap(const String* names) override;
    void SetSemanticMap(Graphics::SemanticMap* map) override
    {
        semanticMap = map;
        ++semanticMapHandOvers;
    }
    void EnableAttribute(int index, int components, unsigned int type, int stride, bool normalized, intptr_t offset) override;
    void DisableAttribute(int index) override;
    bool SupportsShadingLanguage(Graphics::ShadingLanguage) override { return false; }

    Graphics::SemanticMap* semanticMap = nullptr;
    int semanticMapHandOvers = 0;
};

// Colours as ReadPixel returns them.
namespace Rgba {
constexpr uint32_t Red = 0xff0000ff;
constexpr uint32_t Green = 0x00ff00ff;
constexpr uint32_t Blue = 0x0000ffff;
constexpr uint32_t Black = 0x000000ff;
}  // namespace Rgba

// A window and a GL device with the test shading context and the default state installed.
struct GLTestDevice {
    Managed<Window> window;
    Managed<Graphics::SDLGLDevice> device;
    GLSLTestShadingContext* shading = nullptr;

    explicit GLTestDevice(int width = 32, int height = 32,
                          Graphics::DepthStencilFormat format = Graphics::DepthStencilFormatD24S8, int samples = 0,
                          bool fullScreen = false);
    ~GLTestDevice();

    Graphics::GLDevice* operator->() const { return device.Get(); }
    Graphics::GLFunctions& GL() const { return device->GetGL(); }

    // The RGBA of pixel (x, y), counted from the top-left, of the framebuffer bound for
    // reading (the back buffer, or the setup last set).
    uint32_t ReadPixel(int x, int y) const;
};

// A program that draws its vertices at N_POSITION (x, y in clip space) in the colour of the
// uniform "Color", or of N_COLOR when asked.
Graphics::Program* MakeColorProgram(Graphics::Device* device, bool vertexColor = false);

// Two triangles covering clip space, two floats per vertex.
struct FullScreenQuad {
    Managed<Graphics::VertexBuffer> vertices;
    Managed<Graphics::InputLayout> layout;

    explicit FullScreenQuad(Graphics::Device* device);
    void Use(Graphics::Device* device) const;
};

}  // namespace Nimbrel::Testing
