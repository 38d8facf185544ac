// Geometry and GeoStream on the GL device under Xvfb (Mesa llvmpipe), with the GLSL test
// shading context: packed NGM attributes and 16-bit indices reach the vertex fetch, read-back
// maps the real buffers, and a geometry stream's volatile buffer draws what was emitted.
#include "utils/Geometry.h"

#include "core/Managed.h"
#include "support/GLTestDevice.h"
#include "support/MemoryStream.h"
#include "support/NgmBytes.h"
#include "utils/GeoStream.h"
#include "utils/Mesh.h"
#include "utils/loaders/NgmReader.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Nimbrel::Testing::GLTestDevice;

namespace geometry_gl_test {

using namespace Nimbrel::Testing::Rgba;

// Positions as normalised shorts in clip space and colours as normalised bytes: a red triangle
// over the lower left half of the window and a blue one over the upper right, each its own
// submesh.
Managed<Geometry> TwoTriangles(Graphics::Device* device)
{
    const int16_t one = 32767, minus = -32767;
    Testing::NgmBytes file;
    file.Magic("NGM200").Int(6).Int(2);
    file.Word("POSITION").Word("short").Word("normalize").Int(2);
    file.UInt16s({uint16_t(minus), uint16_t(minus), uint16_t(one), uint16_t(minus), uint16_t(minus), uint16_t(one)});
    file.UInt16s({uint16_t(one), uint16_t(minus), uint16_t(one), uint16_t(one), uint16_t(minus), uint16_t(one)});
    file.Word("COLOR").Word("byte").Word("normalize").Int(4);
    file.UInt8s({127, 0, 0, 127, 127, 0, 0, 127, 127, 0, 0, 127, 0, 0, 127, 127, 0, 0, 127, 127, 0, 0, 127, 127});
    file.Word("short").Int(6).UInt16s({0, 1, 2, 3, 4, 5});
    file.Int(2).Word("triangles").Int(0).Int(2).Int(3).Int(0).Word("triangles").Int(3).Int(5).Int(3).Int(3);
    Managed<Testing::MemoryStream> stream(new Testing::MemoryStream(file.bytes));
    return Managed<Geometry>(Loaders::ReadNgm(stream.Get(), device));
}

TEST(GeometryGL, PackedAttributesAndShortIndicesDrawEverySubMesh)
{
    GLTestDevice device(64, 64);
    Managed<Graphics::Program> program(Testing::MakeColorProgram(device.device.Get(), true));
    Managed<Geometry> geometry = TwoTriangles(device.device.Get());
    device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0, 1, 1, 0);
    device->SetProgram(program.Get());
    geometry->Draw();
    EXPECT_EQ(device.ReadPixel(8, 56), Red);    // lower left
    EXPECT_EQ(device.ReadPixel(56, 8), Blue);   // upper right
    EXPECT_EQ(device.ReadPixel(20, 40), Red);
    EXPECT_EQ(device.ReadPixel(40, 20), Blue);
}

TEST(GeometryGL, ReadBackMapsTheDevicesBuffers)
{
    GLTestDevice device(16, 16);
    Managed<Geometry> geometry = TwoTriangles(device.device.Get());
    float position[2];
    geometry->GetVertexAttribute(1, 0, position);
    EXPECT_EQ(position[0], 32767.0f);
    EXPECT_EQ(position[1], 32769.0f);  // -32767 as an unsigned short
    float color[4];
    geometry->GetVertexAttribute(5, 3, color);
    EXPECT_EQ(std::vector<float>(color, color + 4), (std::vector<float>{0, 0, 127, 127}));
    EXPECT_EQ(geometry->GetIndex(4), 4);
    float min[4], max[4];
    geometry->CalcBoundingValues(3, min, max);
    EXPECT_EQ(std::vector<float>(max, max + 4), (std::vector<float>{127, 0, 127, 127}));

    Managed<Mesh> mesh(geometry->CreateMesh());
    EXPECT_EQ(mesh->GetVertexCount(), 6);
    EXPECT_EQ(mesh->GetIndexCount(), 6);
    EXPECT_EQ(mesh->GetIndex(5), 5);
    EXPECT_EQ(mesh->GetAttributeBySemantic(3)->values[8], 127.0f);
}

TEST(GeometryGL, AGeometryStreamDrawsWhatWasEmitted)
{
    GLTestDevice device(32, 32);
    Managed<Graphics::Program> program(Testing::MakeColorProgram(device.device.Get(), true));
    Managed<GeoStream> stream(new GeoStream(device.device.Get(), 64));
    device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0, 1, 1, 0);
    device->SetProgram(program.Get());

    stream->Color(0, 1, 0);
    stream->DrawQuad(0, 0, 0, 0);
    EXPECT_EQ(device.ReadPixel(1, 1), Green);
    EXPECT_EQ(device.ReadPixel(30, 30), Green);

    // A smaller batch after a larger one: only its own vertices are drawn.
    device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0, 1, 1, 0);
    stream->Begin(Graphics::PrimitiveTriangles);
    stream->Color(1, 0, 0);
    stream->Vertex(-1, -1);
    stream->Vertex(0, -1);
    stream->Vertex(-1, 0);
    stream->End(true);
    EXPECT_EQ(device.ReadPixel(2, 29), Red);
    EXPECT_EQ(device.ReadPixel(29, 2), Black);
}

}  // namespace geometry_gl_test
