#include "support/CgGLWindow.h"

#include "graphics/VertexSemantics.h"
#include "graphics/gl/CGShadingContext.h"
#include "math/Vector2t.h"
#include "support/SDLVideo.h"
#include "utils/Mesh.h"

#include <cstdlib>
#include <sstream>

namespace Nimbrel::Testing {

bool Near(const Rgb& a, const Rgb& b, int tolerance)
{
    for (int i = 0; i < 3; ++i)
        if (std::abs(a[i] - b[i]) > tolerance)
            return false;
    return true;
}

std::string ToText(const Rgb& c)
{
    std::ostringstream text;
    text << "(" << c[0] << ", " << c[1] << ", " << c[2] << ")";
    return text.str();
}

const char* const FlatSource = R"(
float4x4 WorldViewProjection;
float3 Diffuse;

float4 vsMain(float4 position : N_POSITION) : POSITION
{
    return mul(WorldViewProjection, position);
}

float4 psMain() : COLOR
{
    return float4(Diffuse, 1);
}
)";

Managed<Utils::Geometry> SquareGeometry(Graphics::Device* device, float half)
{
    Managed<Utils::Mesh> mesh(new Utils::Mesh());
    Managed<Utils::Mesh::Attribute> position(new Utils::Mesh::Attribute(Graphics::SemanticPosition, 0, 3));
    mesh->AddAttribute(position.Get());
    mesh->SetVertexCount(4);
    const float corners[] = {-half, -half, 0, half, -half, 0, half, half, 0, -half, half, 0};
    for (int i = 0; i < 12; ++i)
        position->values[i] = corners[i];
    const int indices[] = {0, 1, 2, 0, 2, 3};
    mesh->SetIndexCount(6);
    for (int i = 0; i < 6; ++i)
        mesh->SetIndex(i, indices[i]);
    mesh->AddSubMesh(Utils::SubMesh{0, 6, 0, 3, Graphics::PrimitiveTriangles});
    return Managed<Utils::Geometry>(mesh->CreateGeometry(device, Graphics::BufferModeStatic));
}

void CgGLWindow::Open(int width, int height)
{
    HoldSDLVideo();
    window.Set(Window::Create(width, height, "CgGLWindow", true));
    device.Set(factory.CreateDevice(window.Get(), Graphics::DepthStencilFormatD24S8, 0, 0));
    glDevice = static_cast<Graphics::GLDevice*>(device.Get());
    ASSERT_NE(dynamic_cast<Graphics::CGShadingContext*>(glDevice->GetShadingContext()), nullptr);
    state.Set(new Utils::State());
    state->devices.Push(device.Get());
    state->resolutions.Push(Math::Vector2t<int>(width, height));
}

void CgGLWindow::TearDown()
{
    state.Set(nullptr);
    device.Set(nullptr);  // before its window
}

Managed<Graphics::Program> CgGLWindow::Link(const char* source)
{
    Managed<Graphics::Shader> vertex(device->CreateShader(Graphics::ShaderTypeVertex, false, "vsMain", nullptr, source));
    Managed<Graphics::Shader> pixel(device->CreateShader(Graphics::ShaderTypePixel, false, "psMain", nullptr, source));
    return Managed<Graphics::Program>(device->CreateProgram(vertex.Get(), pixel.Get()));
}

Frame CgGLWindow::ReadFrame() const
{
    return ReadBackBuffer(glDevice);
}

Frame ReadBackBuffer(Graphics::GLDevice* glDevice)
{
    Graphics::Surface* back = glDevice->GetBackBuffer();
    Frame frame;
    frame.width = back->GetWidth();
    frame.height = back->GetHeight();
    std::vector<uint8_t> rgba(size_t(frame.width) * size_t(frame.height) * 4);
    glDevice->MakeCurrent();
    Graphics::GLFunctions& gl = glDevice->GetGL();
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    frame.rgb.resize(size_t(frame.width) * size_t(frame.height) * 3);
    for (int y = 0; y < frame.height; ++y)  // OpenGL's rows start at the bottom
        for (int x = 0; x < frame.width; ++x)
            for (int c = 0; c < 3; ++c)
                frame.rgb[(size_t(y) * frame.width + x) * 3 + c] =
                    rgba[(size_t(frame.height - 1 - y) * frame.width + x) * 4 + c];
    return frame;
}

}  // namespace Nimbrel::Testing
