// Objects the GL device has set or applied going away while the device still names them:
// geometry drawn and released between draws as the engine does it, and layouts, buffers and
// programs destroyed while set. Meant to run under the address sanitizer, which catches the
// device reaching into a destroyed object.
#include "graphics/gl/GLDevice.h"

#include "core/Managed.h"
#include "graphics/VertexSemantics.h"
#include "support/Expect.h"
#include "support/GLTestDevice.h"
#include "utils/Geometry.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace gl_device_lifetime_test {

using namespace Nimbrel;
using namespace Nimbrel::Graphics;
using Testing::GLTestDevice;

using namespace Testing::Rgba;

// A quad over the clip-space rectangle, as an indexed geometry: positions on stream 0, colours
// on stream 1, 16-bit indices.
Managed<Utils::Geometry> MakeQuadGeometry(Device* device, float x0, float x1, const float color[4])
{
    const float positions[] = {x0, -1, x1, -1, x1, 1, x0, 1};
    float colors[16];
    for (int i = 0; i < 16; ++i)
        colors[i] = color[i % 4];
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};

    Managed<Utils::Geometry> geometry(new Utils::Geometry(device));
    Managed<VertexBuffer> positionBuffer(device->CreateVertexBuffer(BufferModeStatic, sizeof positions, 8));
    positionBuffer->SetData(positions, 0, 0);
    Managed<VertexBuffer> colorBuffer(device->CreateVertexBuffer(BufferModeStatic, sizeof colors, 16));
    colorBuffer->SetData(colors, 0, 0);
    Managed<IndexBuffer> indexBuffer(device->CreateIndexBuffer(BufferModeStatic, sizeof indices, 2));
    indexBuffer->SetData(indices, 0, 0);
    InputElement elements[2];
    elements[0].semantic = 0;
    elements[0].components = 2;
    elements[1].semantic = 3;  // the standard map's colour slot
    elements[1].stream = 1;
    elements[1].components = 4;
    Managed<InputLayout> layout(device->CreateInputLayout(elements, 2));

    geometry->AddVertexBuffer(positionBuffer.Get());
    geometry->AddVertexBuffer(colorBuffer.Get());
    geometry->SetIndexBuffer(indexBuffer.Get());
    geometry->SetInputLayout(layout.Get());
    Utils::SubMesh quad;
    quad.indexCount = 6;
    quad.maxVertex = 3;
    geometry->AddSubMesh(quad);
    return geometry;
}

class GLDeviceLifetimeTest : public ::testing::Test {
protected:
    GLDeviceLifetimeTest()
        : program(Testing::MakeColorProgram(device.device.Get(), true)),
          depthOff(device->CreateDepthStencilState(DepthStencilStateDescriptor()))
    {
        device->SetProgram(program.Get());
        device->SetDepthStencilState(depthOff.Get());  // quads drawn over each other at one depth
        device->Clear(ClearColor | ClearDepth, 0, 0, 0, 1, 1, 0);
    }

    GLTestDevice device{32, 32};
    Managed<Program> program;
    Managed<DepthStencilState> depthOff;
};

TEST_F(GLDeviceLifetimeTest, TwoGeometriesDrawnInTurnWithTheFirstReleasedBetween)
{
    const float red[4] = {1, 0, 0, 1};
    const float green[4] = {0, 1, 0, 1};
    Managed<Utils::Geometry> left = MakeQuadGeometry(device.device.Get(), -1, 0, red);
    left->Draw();
    left.Set(nullptr);  // its layout, buffers and index buffer go with it

    Managed<Utils::Geometry> right = MakeQuadGeometry(device.device.Get(), 0, 1, green);
    right->Draw();
    EXPECT_EQ(device.ReadPixel(4, 16), Red);
    EXPECT_EQ(device.ReadPixel(28, 16), Green);

    // And the other way round, the second released while the first is rebuilt.
    right.Set(nullptr);
    left = MakeQuadGeometry(device.device.Get(), -1, 0, green);
    left->Draw();
    EXPECT_EQ(device.ReadPixel(4, 16), Green);
}

TEST_F(GLDeviceLifetimeTest, AStreamWhoseBufferWasDestroyedHasNoBufferAnyMore)
{
    const float red[4] = {1, 0, 0, 1};
    Managed<Utils::Geometry> geometry = MakeQuadGeometry(device.device.Get(), -1, 1, red);
    geometry->Draw();

    // A buffer of its own on stream 1, drawn from, then destroyed while still set.
    Managed<VertexBuffer> colors(device->CreateVertexBuffer(BufferModeStatic, 64, 16));
    const float white[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    colors->SetData(white, 0, 0);
    device->SetVertexBuffer(1, colors.Get());
    device->DrawIndexed(0, 6, 0, 3);
    EXPECT_EQ(device.ReadPixel(16, 16), 0xffffffffu);
    colors.Set(nullptr);

    EXPECT_EQ(device->GetVertexBuffer(1), nullptr);
    EXPECT_NE(device->GetVertexBuffer(0), nullptr);
    EXPECT_THROW_MESSAGE(device->DrawIndexed(0, 6, 0, 3),
                         "The current InputLayout reads from stream which has no bound VertexBuffer.");
    // A buffer set again on the stream draws as before.
    geometry->Draw();
    EXPECT_EQ(device.ReadPixel(16, 16), Red);
}

TEST_F(GLDeviceLifetimeTest, DestroyedLayoutIndexBufferAndProgramAreNoLongerCurrent)
{
    const float red[4] = {1, 0, 0, 1};
    Managed<Utils::Geometry> geometry = MakeQuadGeometry(device.device.Get(), -1, 1, red);
    geometry->Draw();

    // The layout, applied and current, goes (the geometry drops it).
    geometry->SetInputLayout(nullptr);
    EXPECT_EQ(device->GetInputLayout(), nullptr);
    EXPECT_THROW_MESSAGE(device->DrawIndexed(0, 6, 0, 3), "Attempting to draw something with no InputLayout set");

    geometry->SetIndexBuffer(nullptr);
    EXPECT_EQ(device->GetIndexBuffer(), nullptr);
    EXPECT_THROW_MESSAGE(device->DrawIndexed(0, 6, 0, 3), "Can not draw indexed geometry without an index buffer");

    program.Set(nullptr);
    EXPECT_EQ(device->GetProgram(), nullptr);
    EXPECT_THROW_MESSAGE(device->Draw(0, 4), "Attempting to draw something with no Program set");

    // A semantic map, applied by a draw, then destroyed while set: programs made after it
    // see no map rather than a dead one.
    String names[16];
    for (int i = 0; i < 16; ++i)
        names[i] = GetStandardSemanticName(i);
    Managed<SemanticMap> map(device->CreateSemanticMap(names));
    device->SetSemanticMap(map.Get());
    program.Set(Testing::MakeColorProgram(device.device.Get(), true));
    device->SetProgram(program.Get());
    geometry = MakeQuadGeometry(device.device.Get(), -1, 1, red);
    geometry->Draw();
    map.Set(nullptr);
    EXPECT_EQ(device->GetSemanticMap(), nullptr);
    EXPECT_EQ(device.shading->semanticMap, nullptr);
    Managed<Program> unmapped(Testing::MakeColorProgram(device.device.Get(), true));

    // A new program, layout and map draw again.
    map.Set(device->CreateSemanticMap(names));
    device->SetSemanticMap(map.Get());
    program.Set(Testing::MakeColorProgram(device.device.Get(), true));
    device->SetProgram(program.Get());
    geometry = MakeQuadGeometry(device.device.Get(), -1, 1, red);
    device->Clear(ClearColor, 0, 0, 0, 1, 1, 0);
    geometry->Draw();
    EXPECT_EQ(device.ReadPixel(16, 16), Red);
}

}  // namespace gl_device_lifetime_test
