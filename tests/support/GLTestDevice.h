#pragma once
// A GL device for tests on a real SDL window under Xvfb, with a small GLSL shading context in
// place of the Cg one, so the device's own work (state, buffers, layouts, textures,
// framebuffers) is tested without the shader compiler.
//
// Test shaders are GLSL 1.20. Vertex inputs are named after the semantic map's names
// ("attribute vec4 N_POSITION;") and bound to the attribute of their semantic index before
// linking. Programs offer SetFloat..SetFloat4 and SetSampler(texture) on their uniforms.

#include "core/Exception.h"
#include "core/Managed.h"
#include "core/String.h"
#include "graphics/gl/GLDevice.h"
#include "graphics/gl/GLProgram.h"
#include "graphics/gl/GLSemanticMap.h"
#include "graphics/gl/GLShadingContext.h"
#include "graphics/gl/GLTexture2D.h"
#include "graphics/gl/SDLGLDevice.h"
#include "platform/Window.h"
#include "support/SDLVideo.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

class GLSLTestSemanticMap : public Graphics::GLSemanticMap {
public:
    using GLSemanticMap::GLSemanticMap;
    std::string names[16];
};

class GLSLTestShader : public Graphics::Shader {
public:
    GLSLTestShader(Graphics::GLDevice* device, unsigned int name) : device(device), name(name) {}
    ~GLSLTestShader() override { device->GetGL().DeleteShader(name); }
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
    void SetSampler(Graphics::Texture* texture) override
    {
        auto* texture2D = dynamic_cast<Graphics::GLTexture2D*>(texture);
        if (!texture2D || location < 0)
            return;
        Graphics::GLFunctions& gl = device->GetGL();
        gl.ActiveTexture(GL_TEXTURE0 + unit);
        gl.BindTexture(texture2D->GetTarget(), texture2D->GetTextureName());
        gl.TexParameteri(texture2D->GetTarget(), GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl.TexParameteri(texture2D->GetTarget(), GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl.ActiveTexture(GL_TEXTURE0);
        gl.Uniform1i(location, unit);
    }
    void SetFloat(int, const float* v) override { device->GetGL().Uniform1fv(location, 1, v); }
    void SetFloat2(int, const float* v) override { device->GetGL().Uniform2fv(location, 1, v); }
    void SetFloat3(int, const float* v) override { device->GetGL().Uniform3fv(location, 1, v); }
    void SetFloat4(int, const float* v) override { device->GetGL().Uniform4fv(location, 1, v); }
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
    [[noreturn]] static void Unused() { throw Exception("GLSLTestParameter: not offered by the test shading context"); }

    Graphics::GLDevice* device;
    std::string name;
    int location;
    int unit;
};

class GLSLTestProgram : public Graphics::GLProgram {
public:
    GLSLTestProgram(Graphics::GLDevice* device, unsigned int name) : GLProgram(device), device(device), name(name) {}
    ~GLSLTestProgram() override
    {
        for (auto& entry : parameters)
            entry.second->Release();
        device->GetGL().DeleteProgram(name);
    }

    void Bind() override
    {
        ++bindCount;
        device->GetGL().UseProgram(name);
    }
    int GetAttributeIndex(int semantic) override { return semantic; }
    int GetParameterCount() override { return 0; }
    Graphics::Parameter* GetParameter(int) override { return nullptr; }
    // The program must be bound (SetProgram) before values are set.
    Graphics::Parameter* GetParameter(const String& parameterName) override
    {
        std::string key(parameterName.CStr());
        auto found = parameters.find(key);
        if (found != parameters.end())
            return found->second;
        const int location = device->GetGL().GetUniformLocation(name, key.c_str());
        auto* parameter = new GLSLTestParameter(device, key, location, static_cast<int>(parameters.size()));
        parameters[key] = parameter;
        return parameter;
    }

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
    Graphics::Shader* CreateShader(Graphics::ShaderType type, bool, const char*, const char*, const char* source) override
    {
        Graphics::GLFunctions& gl = device->GetGL();
        device->MakeCurrent();
        const GLuint shader = gl.CreateShader(type == Graphics::ShaderTypeVertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
        gl.ShaderSource(shader, 1, &source, nullptr);
        gl.CompileShader(shader);
        GLint compiled = 0;
        gl.GetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
        if (!compiled) {
            char log[2048] = {};
            gl.GetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
            gl.DeleteShader(shader);
            throw Exception(String("GLSL test shader: ") + log);
        }
        return new GLSLTestShader(device, shader);
    }
    Graphics::Program* CreateProgram(Graphics::Shader* vertex, Graphics::Shader* pixel, Graphics::Shader*) override
    {
        return CreateProgram(vertex, pixel);
    }
    Graphics::Program* CreateProgram(Graphics::Shader* vertex, Graphics::Shader* pixel) override
    {
        Graphics::GLFunctions& gl = device->GetGL();
        device->MakeCurrent();
        const GLuint program = gl.CreateProgram();
        gl.AttachShader(program, static_cast<GLSLTestShader*>(vertex)->name);
        gl.AttachShader(program, static_cast<GLSLTestShader*>(pixel)->name);
        if (auto* map = static_cast<GLSLTestSemanticMap*>(device->GetSemanticMap()))
            for (int i = 0; i < 16; ++i)
                if (!map->names[i].empty())
                    gl.BindAttribLocation(program, i, map->names[i].c_str());
        gl.LinkProgram(program);
        GLint linked = 0;
        gl.GetProgramiv(program, GL_LINK_STATUS, &linked);
        if (!linked) {
            char log[2048] = {};
            gl.GetProgramInfoLog(program, sizeof log - 1, nullptr, log);
            gl.DeleteProgram(program);
            throw Exception(String("GLSL test program: ") + log);
        }
        return new GLSLTestProgram(device, program);
    }
    Graphics::SemanticMap* CreateSemanticMap(const String* names) override
    {
        auto* map = new GLSLTestSemanticMap(device);
        for (int i = 0; i < 16; ++i)
            map->names[i] = names[i].CStr();
        return map;
    }
    void SetSemanticMap(Graphics::SemanticMap* map) override
    {
        semanticMap = map;
        ++semanticMapHandOvers;
    }
    void EnableAttribute(int index, int components, unsigned int type, int stride, bool normalized, intptr_t offset) override
    {
        Graphics::GLFunctions& gl = device->GetGL();
        gl.EnableVertexAttribArray(index);
        gl.VertexAttribPointer(index, components, type, normalized, stride, reinterpret_cast<const void*>(offset));
    }
    void DisableAttribute(int index) override { device->GetGL().DisableVertexAttribArray(index); }
    bool SupportsShadingLanguage(Graphics::ShadingLanguage) override { return false; }

    Graphics::SemanticMap* semanticMap = nullptr;
    int semanticMapHandOvers = 0;
};

// A window and a GL device with the test shading context and the default state installed.
struct GLTestDevice {
    Managed<Window> window;
    Managed<Graphics::SDLGLDevice> device;
    GLSLTestShadingContext* shading = nullptr;

    explicit GLTestDevice(int width = 32, int height = 32, int format = 1, int samples = 0, bool fullScreen = false)
    {
        HoldSDLVideo();
        window.Set(Window::Create(width, height, "GLTestDevice", true));
        device.Set(new Graphics::SDLGLDevice(window.Get(), static_cast<Graphics::DepthStencilFormat>(format), samples,
                                             fullScreen));
        shading = new GLSLTestShadingContext(device.Get());
        device->SetShadingContext(shading);
        device->InstallDefaultState();
    }
    ~GLTestDevice()
    {
        device.Set(nullptr);  // before its window
    }

    Graphics::GLDevice* operator->() const { return device.Get(); }
    Graphics::GLFunctions& GL() const { return device->GetGL(); }

    // The RGBA of pixel (x, y), counted from the top-left, of the framebuffer bound for
    // reading (the back buffer, or the setup last set).
    uint32_t ReadPixel(int x, int y) const
    {
        device->MakeCurrent();
        GLint viewportHeight = 0;
        Graphics::Surface* target = device->GetColorTargetCount() > 0 ? device->GetColorTarget(0) : device->GetBackBuffer();
        viewportHeight = target->GetHeight();
        unsigned char pixel[4] = {};
        GL().PixelStorei(GL_PACK_ALIGNMENT, 1);
        GL().ReadPixels(x, viewportHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        return uint32_t(pixel[0]) << 24 | uint32_t(pixel[1]) << 16 | uint32_t(pixel[2]) << 8 | pixel[3];
    }
};

// A program that draws its vertices at N_POSITION (x, y in clip space) in the colour of the
// uniform "Color", or of N_COLOR when asked.
inline Graphics::Program* MakeColorProgram(Graphics::Device* device, bool vertexColor = false)
{
    const char* vertexSource = vertexColor ? "attribute vec4 N_POSITION; attribute vec4 N_COLOR; varying vec4 color;\n"
                                             "void main() { gl_Position = N_POSITION; color = N_COLOR; }\n"
                                           : "attribute vec4 N_POSITION; uniform vec4 Color; varying vec4 color;\n"
                                             "void main() { gl_Position = N_POSITION; color = Color; }\n";
    const char* pixelSource = "varying vec4 color; void main() { gl_FragData[0] = color; gl_FragData[1] = color.bgra; }\n";
    Managed<Graphics::Shader> vertex(device->CreateShader(Graphics::ShaderTypeVertex, false, "main", nullptr, vertexSource));
    Managed<Graphics::Shader> pixel(device->CreateShader(Graphics::ShaderTypePixel, false, "main", nullptr, pixelSource));
    return device->CreateProgram(vertex.Get(), pixel.Get());
}

// Two triangles covering clip space, two floats per vertex.
struct FullScreenQuad {
    Managed<Graphics::VertexBuffer> vertices;
    Managed<Graphics::InputLayout> layout;

    explicit FullScreenQuad(Graphics::Device* device)
    {
        const float corners[] = {-1, -1, 1, -1, 1, 1, -1, -1, 1, 1, -1, 1};
        vertices.Set(device->CreateVertexBuffer(Graphics::BufferModeStatic, sizeof corners, 2 * sizeof(float)));
        vertices->SetData(corners, 0, 0);
        Graphics::InputElement position;
        position.semantic = 0;
        position.components = 2;
        position.type = Graphics::DataTypeFloat;
        layout.Set(device->CreateInputLayout(&position, 1));
    }
    void Use(Graphics::Device* device) const
    {
        device->SetVertexBuffer(0, vertices.Get());
        device->SetInputLayout(layout.Get());
        device->SetPrimitiveType(Graphics::PrimitiveTriangles);
    }
};

}  // namespace Nimbrel::Testing
