#pragma once
// CGDrawingTest: a GL device with the Cg shading context on a small window, and what the Cg
// tests draw and read back with it: programs linked from Cg source, quads drawn through the
// device, pixels read in OpenGL's order (from the bottom left).

#include "core/Managed.h"
#include "graphics/Buffer.h"
#include "graphics/InputElement.h"
#include "graphics/InputLayout.h"
#include "graphics/Program.h"
#include "graphics/Shader.h"
#include "graphics/StateDescriptors.h"
#include "graphics/StateObjects.h"
#include "graphics/Texture.h"
#include "graphics/gl/CGShadingContext.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "graphics/gl/GLDevice.h"
#include "graphics/gl/GLFunctions.h"
#include "platform/Window.h"
#include "support/SDLVideo.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

using namespace Nimbrel::Graphics;

using Color = std::array<int, 4>;

// A position-only quad from (x0, y0) to (x1, y1) in clip space, for a triangle strip.
inline std::vector<float> Quad(float x0, float y0, float x1, float y1)
{
    return {x0, y0, 0, 1, x1, y0, 0, 1, x0, y1, 0, 1, x1, y1, 0, 1};
}

class CGDrawingTest : public ::testing::Test {
protected:
    static constexpr int Size = 64;

    void SetUp() override
    {
        Testing::HoldSDLVideo();
        window = Managed<Window>(Window::Create(Size, Size, "CGDrawingTest", true));
        device = Managed<Device>(factory.CreateDevice(window.Get(), DepthStencilFormatD24S8, 0, 0));
        glDevice = static_cast<GLDevice*>(device.Get());
        ASSERT_NE(dynamic_cast<CGShadingContext*>(glDevice->GetShadingContext()), nullptr);
        // Flat quads: no depth test, no culling.
        depthOff = Managed<DepthStencilState>(device->CreateDepthStencilState(DepthStencilStateDescriptor()));
        noCulling = Managed<RasterizerState>(device->CreateRasterizerState(RasterizerStateDescriptor()));
        device->SetDepthStencilState(depthOff.Get());
        device->SetRasterizerState(noCulling.Get());
    }

    Managed<Shader> Compile(ShaderType type, const char* entry, const char* source)
    {
        return Managed<Shader>(device->CreateShader(type, false, entry, nullptr, source));
    }

    Managed<Program> Link(const char* vertexSource, const char* pixelSource, const char* vertexEntry = "vsMain",
                          const char* pixelEntry = "psMain")
    {
        Managed<Shader> vertex = Compile(ShaderTypeVertex, vertexEntry, vertexSource);
        Managed<Shader> pixel = Compile(ShaderTypePixel, pixelEntry, pixelSource);
        return Managed<Program>(device->CreateProgram(vertex.Get(), pixel.Get()));
    }
    Managed<Program> Link(const char* source) { return Link(source, source); }

    // Draws a triangle strip of 4 vertices with the program; vertices hold stride floats
    // each, read through the elements.
    void Draw(Program* program, const std::vector<float>& vertices, int stride, const std::vector<InputElement>& elements)
    {
        int bytes = int(vertices.size() * sizeof(float));
        Managed<VertexBuffer> buffer(device->CreateVertexBuffer(BufferModeStatic, bytes, stride * int(sizeof(float))));
        buffer->SetData(vertices.data(), 0, bytes);
        Managed<InputLayout> layout(device->CreateInputLayout(elements.data(), int(elements.size())));
        device->SetVertexBuffer(0, buffer.Get());
        device->SetInputLayout(layout.Get());
        device->SetProgram(program);
        device->SetPrimitiveType(PrimitiveTriangleStrip);
        device->Draw(0, 4);
    }

    // The program over the given clip-space rectangle (the whole screen by default), with
    // the position in semantic slot 0.
    void DrawQuad(Program* program, float x0 = -1, float y0 = -1, float x1 = 1, float y1 = 1)
    {
        InputElement position;
        position.semantic = 0;
        position.components = 4;
        Draw(program, Quad(x0, y0, x1, y1), 4, {position});
    }

    void Clear() { device->Clear(ClearColor | ClearDepth, 0, 0, 0, 0, 1, 0); }

    // x and y from the bottom left, as OpenGL counts.
    Color Pixel(int x, int y)
    {
        uint8_t rgba[4] = {};
        glDevice->GetGL().ReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2], rgba[3]};
    }

    Managed<Texture2D> MakeTexture(int width, int height, const std::vector<uint8_t>& rgba)
    {
        Managed<Texture2D> texture(device->CreateTexture2D(width, height, PixelFormatR8G8B8A8, false));
        texture->SetData(0, rgba.data(), false);
        return texture;
    }

    Managed<SamplerState> MakeSampler(Filter filter)
    {
        SamplerStateDescriptor descriptor;
        descriptor.magFilter = filter;
        descriptor.minFilter = filter;
        descriptor.mipFilter = FilterNone;
        return Managed<SamplerState>(device->CreateSamplerState(descriptor));
    }

    GL2CGDeviceFactory factory;
    Managed<Window> window;
    Managed<Device> device;
    GLDevice* glDevice = nullptr;
    Managed<DepthStencilState> depthOff;
    Managed<RasterizerState> noCulling;
};

inline void ExpectColor(const Color& actual, const Color& expected, int tolerance, const std::string& what)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(actual[size_t(i)], expected[size_t(i)], tolerance)
            << what << ": channel " << i << " of (" << actual[0] << ", " << actual[1] << ", " << actual[2] << ", "
            << actual[3] << ")";
}

}  // namespace Nimbrel::Testing
