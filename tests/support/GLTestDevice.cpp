#include "support/GLTestDevice.h"

#include "core/Exception.h"
#include "graphics/gl/GLTexture2D.h"
#include "support/SDLVideo.h"

namespace Nimbrel::Testing {

using namespace Graphics;

GLSLTestShader::~GLSLTestShader()
{
    device->GetGL().DeleteShader(name);
}

void GLSLTestParameter::SetSampler(Texture* texture)
{
    auto* texture2D = dynamic_cast<GLTexture2D*>(texture);
    if (!texture2D || location < 0)
        return;
    GLFunctions& gl = device->GetGL();
    gl.ActiveTexture(GL_TEXTURE0 + unit);
    gl.BindTexture(texture2D->GetTarget(), texture2D->GetTextureName());
    gl.TexParameteri(texture2D->GetTarget(), GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(texture2D->GetTarget(), GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.ActiveTexture(GL_TEXTURE0);
    gl.Uniform1i(location, unit);
}

void GLSLTestParameter::SetFloat(int, const float* v)
{
    device->GetGL().Uniform1fv(location, 1, v);
}

void GLSLTestParameter::SetFloat2(int, const float* v)
{
    device->GetGL().Uniform2fv(location, 1, v);
}

void GLSLTestParameter::SetFloat3(int, const float* v)
{
    device->GetGL().Uniform3fv(location, 1, v);
}

void GLSLTestParameter::SetFloat4(int, const float* v)
{
    device->GetGL().Uniform4fv(location, 1, v);
}

void GLSLTestParameter::Unused()
{
    throw Exception("GLSLTestParameter: not offered by the test shading context");
}

GLSLTestProgram::~GLSLTestProgram()
{
    for (auto& entry : parameters)
        entry.second->Release();
    device->GetGL().DeleteProgram(name);
}

void GLSLTestProgram::Bind()
{
    ++bindCount;
    device->GetGL().UseProgram(name);
}

Parameter* GLSLTestProgram::GetParameter(const String& parameterName)
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

Shader* GLSLTestShadingContext::CreateShader(ShaderType type, bool, const char*, const char*, const char* source)
{
    GLFunctions& gl = device->GetGL();
    device->MakeCurrent();
    const GLuint shader = gl.CreateShader(type == ShaderTypeVertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
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

Program* GLSLTestShadingContext::CreateProgram(Shader* vertex, Shader* pixel)
{
    GLFunctions& gl = device->GetGL();
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

SemanticMap* GLSLTestShadingContext::CreateSemanticMap(const String* names)
{
    auto* map = new GLSLTestSemanticMap(device);
    for (int i = 0; i < 16; ++i)
        map->names[i] = names[i].CStr();
    return map;
}

void GLSLTestShadingContext::EnableAttribute(int index, int components, unsigned int type, int stride,
                                             bool normalized, intptr_t offset)
{
    GLFunctions& gl = device->GetGL();
    gl.EnableVertexAttribArray(index);
    gl.VertexAttribPointer(index, components, type, normalized, stride, reinterpret_cast<const void*>(offset));
}

void GLSLTestShadingContext::DisableAttribute(int index)
{
    device->GetGL().DisableVertexAttribArray(index);
}

GLTestDevice::GLTestDevice(int width, int height, DepthStencilFormat format, int samples, bool fullScreen)
{
    HoldSDLVideo();
    window.Set(Window::Create(width, height, "GLTestDevice", true));
    device.Set(new SDLGLDevice(window.Get(), format, samples, fullScreen));
    shading = new GLSLTestShadingContext(device.Get());
    device->SetShadingContext(shading);
    device->InstallDefaultState();
}

GLTestDevice::~GLTestDevice()
{
    device.Set(nullptr);  // before its window
}

uint32_t GLTestDevice::ReadPixel(int x, int y) const
{
    device->MakeCurrent();
    Surface* target = device->GetColorTargetCount() > 0 ? device->GetColorTarget(0) : device->GetBackBuffer();
    const int targetHeight = target->GetHeight();
    unsigned char pixel[4] = {};
    GL().PixelStorei(GL_PACK_ALIGNMENT, 1);
    GL().ReadPixels(x, targetHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return uint32_t(pixel[0]) << 24 | uint32_t(pixel[1]) << 16 | uint32_t(pixel[2]) << 8 | pixel[3];
}

Program* MakeColorProgram(Device* device, bool vertexColor)
{
    const char* vertexSource = vertexColor ? "attribute vec4 N_POSITION; attribute vec4 N_COLOR; varying vec4 color;\n"
                                             "void main() { gl_Position = N_POSITION; color = N_COLOR; }\n"
                                           : "attribute vec4 N_POSITION; uniform vec4 Color; varying vec4 color;\n"
                                             "void main() { gl_Position = N_POSITION; color = Color; }\n";
    const char* pixelSource = "varying vec4 color; void main() { gl_FragData[0] = color; gl_FragData[1] = color.bgra; }\n";
    Managed<Shader> vertex(device->CreateShader(ShaderTypeVertex, false, "main", nullptr, vertexSource));
    Managed<Shader> pixel(device->CreateShader(ShaderTypePixel, false, "main", nullptr, pixelSource));
    return device->CreateProgram(vertex.Get(), pixel.Get());
}

FullScreenQuad::FullScreenQuad(Device* device)
{
    const float corners[] = {-1, -1, 1, -1, 1, 1, -1, -1, 1, 1, -1, 1};
    vertices.Set(device->CreateVertexBuffer(BufferModeStatic, sizeof corners, 2 * sizeof(float)));
    vertices->SetData(corners, 0, 0);
    InputElement position;
    position.semantic = 0;
    position.components = 2;
    position.type = DataTypeFloat;
    layout.Set(device->CreateInputLayout(&position, 1));
}

void FullScreenQuad::Use(Device* device) const
{
    device->SetVertexBuffer(0, vertices.Get());
    device->SetInputLayout(layout.Get());
    device->SetPrimitiveType(PrimitiveTriangles);
}

}  // namespace Nimbrel::Testing
