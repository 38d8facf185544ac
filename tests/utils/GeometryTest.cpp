#include "utils/Geometry.h"

#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "utils/Mesh.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Nimbrel::Testing::FakeDevice;
using Nimbrel::Testing::FakeIndexBuffer;
using Nimbrel::Testing::FakeVertexBuffer;

namespace geometry_test {

// Three vertices interleaved in one buffer of stride 12: a float at offset 0, two unsigned
// shorts at offset 4, two bytes at offset 8 (and two bytes of padding); 16-bit indices.
class InterleavedGeometry : public ::testing::Test {
protected:
    void SetUp() override
    {
        geometry.Set(new Geometry(&device));
        vertices.Set(new FakeVertexBuffer(36, 12));
        for (int v = 0; v < 3; ++v) {
            float f = v == 1 ? -2.5f : float(v) * 10.0f;
            uint16_t shorts[2] = {static_cast<uint16_t>(v == 2 ? 0xFFFF : v), 7};
            uint8_t bytes[2] = {static_cast<uint8_t>(v == 0 ? 0xFF : v), 3};
            std::memcpy(vertices->bytes.data() + 12 * v, &f, 4);
            std::memcpy(vertices->bytes.data() + 12 * v + 4, shorts, 4);
            std::memcpy(vertices->bytes.data() + 12 * v + 8, bytes, 2);
        }
        geometry->AddVertexBuffer(vertices.Get());
        const Graphics::InputElement elements[4] = {
            {0, 0, 1, 0, Graphics::DataTypeFloat, 0},
            {4, 0, 2, 4, Graphics::DataTypeShort, 1},
            {8, 0, 2, 8, Graphics::DataTypeByte, 0},
            {3, 0, 1, 8, Graphics::DataTypeUnsignedByte, 0},
        };
        Managed<Graphics::InputLayout> layout(device.CreateInputLayout(elements, 4));
        geometry->SetInputLayout(layout.Get());
        indices.Set(new FakeIndexBuffer(8, 2));
        const uint16_t values[4] = {2, 0, 0xFFFF, 1};
        std::memcpy(indices->bytes.data(), values, 8);
        geometry->SetIndexBuffer(indices.Get());
        geometry->SetVertexCount(3);
        geometry->SetIndexCount(4);
    }

    FakeDevice device;
    Managed<Geometry> geometry;
    Managed<FakeVertexBuffer> vertices;
    Managed<FakeIndexBuffer> indices;
};

TEST_F(InterleavedGeometry, ReadsComponentsBackAsUnsignedValuesAtTheirOffsets)
{
    float out[2];
    geometry->GetVertexAttribute(1, 0, out);
    EXPECT_EQ(out[0], -2.5f);
    geometry->GetVertexAttribute(2, 4, out);
    EXPECT_EQ(out[0], 65535.0f);
    EXPECT_EQ(out[1], 7.0f);
    geometry->GetVertexAttribute(0, 8, out);
    EXPECT_EQ(out[0], 255.0f);
    EXPECT_EQ(out[1], 3.0f);
    EXPECT_FALSE(vertices->locked);

    EXPECT_EQ(geometry->GetIndex(0), 2);
    EXPECT_EQ(geometry->GetIndex(2), 65535);
    EXPECT_EQ(geometry->GetIndex(3), 1);
    EXPECT_FALSE(indices->locked);
}

TEST_F(InterleavedGeometry, ReadingBackRefusesWhatIsNotThere)
{
    float out[4];
    EXPECT_THROW_MESSAGE(geometry->GetVertexAttribute(0, 9, out),
                         "Geometry::GetVertexAttribute(): the requested attribute does not exist in the geometry.");
    EXPECT_THROW_MESSAGE(geometry->CalcBoundingValues(9, out, out),
                         "Geometry::CalcBoundingValues(): the requested attribute does not exist in the geometry.");
    EXPECT_THROW_MESSAGE(geometry->GetVertexAttribute(0, 3, out), "Geometry::GetVertexAttribute(): Unknown component type");
    EXPECT_THROW_MESSAGE(geometry->GetVertexAttribute(3, 0, out),
                         "Geometry::GetVertexAttribute(): vertex 3 is outside the 3 vertices");
    EXPECT_THROW_MESSAGE(geometry->GetVertexAttribute(-1, 0, out),
                         "Geometry::GetVertexAttribute(): vertex -1 is outside the 3 vertices");
    EXPECT_THROW_MESSAGE(geometry->GetIndex(4), "Geometry::GetIndex(): index 4 is outside the 4 indices");
    EXPECT_THROW_MESSAGE(geometry->GetIndex(-1), "Geometry::GetIndex(): index -1 is outside the 4 indices");

    // Counts that claim more than the buffers hold are caught before the lock.
    geometry->SetVertexCount(4);
    EXPECT_THROW_MESSAGE(geometry->GetVertexAttribute(3, 0, out),
                         "Geometry::GetVertexAttribute(): vertices 3 to 3 are outside the vertex buffer");
    EXPECT_THROW_MESSAGE(geometry->CalcBoundingValues(0, out, out + 1),
                         "Geometry::CalcBoundingValues(): vertices 0 to 3 are outside the vertex buffer");
    geometry->SetIndexCount(5);
    EXPECT_THROW_MESSAGE(geometry->GetIndex(4), "Geometry::GetIndex(): index 4 is outside the index buffer");
    EXPECT_FALSE(vertices->locked);
    EXPECT_FALSE(indices->locked);
}

TEST_F(InterleavedGeometry, BoundingValuesSpanEveryVertexAndAreZeroWithoutVertices)
{
    float min[2], max[2];
    geometry->CalcBoundingValues(0, min, max);
    EXPECT_EQ(min[0], -2.5f);
    EXPECT_EQ(max[0], 20.0f);
    geometry->CalcBoundingValues(8, min, max);
    EXPECT_EQ(min[0], 1.0f);
    EXPECT_EQ(max[0], 255.0f);
    EXPECT_EQ(min[1], 3.0f);
    EXPECT_EQ(max[1], 3.0f);

    geometry->SetVertexCount(0);
    min[0] = max[0] = min[1] = max[1] = 42.0f;
    geometry->CalcBoundingValues(4, min, max);
    EXPECT_EQ(std::vector<float>({min[0], min[1], max[0], max[1]}), std::vector<float>({0, 0, 0, 0}));
}

TEST_F(InterleavedGeometry, CreateMeshReadsEveryElementAndIndex)
{
    geometry->AddSubMesh(SubMesh{1, 3, 0, 2, Graphics::PrimitiveLines});
    // Only the readable elements: drop the unsigned-byte one.
    const Graphics::InputElement elements[3] = {
        {0, 0, 1, 0, Graphics::DataTypeFloat, 0},
        {4, 0, 2, 4, Graphics::DataTypeShort, 1},
        {8, 0, 2, 8, Graphics::DataTypeByte, 0},
    };
    Managed<Graphics::InputLayout> layout(device.CreateInputLayout(elements, 3));
    geometry->SetInputLayout(layout.Get());

    Managed<Mesh> mesh(geometry->CreateMesh());
    EXPECT_EQ(mesh->GetIndexStride(), 1);
    EXPECT_EQ(mesh->GetVertexCount(), 3);
    ASSERT_EQ(mesh->GetAttributeCount(), 3);
    const Mesh::Attribute* shorts = mesh->GetAttribute(1);
    EXPECT_EQ(shorts->semantic, 4);
    EXPECT_EQ(shorts->components, 2);
    EXPECT_EQ(std::vector<float>(shorts->values.begin(), shorts->values.end()), (std::vector<float>{0, 7, 1, 7, 65535, 7}));
    ASSERT_EQ(mesh->GetIndexCount(), 4);
    EXPECT_EQ(std::vector<int>(mesh->GetIndices(), mesh->GetIndices() + 4), (std::vector<int>{2, 0, 65535, 1}));
    ASSERT_EQ(mesh->GetSubMeshCount(), 1);
    EXPECT_EQ(mesh->GetSubMesh(0), (SubMesh{1, 3, 0, 2, Graphics::PrimitiveLines}));
}

TEST(Geometry, DrawSetsItsBuffersAndDrawsEachSubMeshOnItsOwnDevice)
{
    FakeDevice device;
    Managed<Geometry> geometry(new Geometry(&device));
    Managed<Graphics::VertexBuffer> a(device.CreateVertexBuffer(Graphics::BufferModeStatic, 12, 12));
    Managed<Graphics::VertexBuffer> b(device.CreateVertexBuffer(Graphics::BufferModeStatic, 4, 4));
    EXPECT_EQ(geometry->AddVertexBuffer(a.Get()), 0);
    EXPECT_EQ(geometry->AddVertexBuffer(b.Get()), 1);
    EXPECT_EQ(a->GetRefCount(), 2);
    Managed<Graphics::IndexBuffer> first(device.CreateIndexBuffer(Graphics::BufferModeStatic, 12, 4));
    Managed<Graphics::IndexBuffer> second(device.CreateIndexBuffer(Graphics::BufferModeStatic, 12, 4));
    geometry->SetIndexBuffer(first.Get());
    geometry->SetIndexBuffer(second.Get());
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(second->GetRefCount(), 2);
    EXPECT_EQ(geometry->AddSubMesh(SubMesh{0, 3, 0, 2, Graphics::PrimitiveTriangles}), 0);
    EXPECT_EQ(geometry->AddSubMesh(SubMesh{1, 2, 1, 2, Graphics::PrimitiveLines}), 1);
    EXPECT_EQ(geometry->GetType(), TargetTypeDrawable);

    device.log.clear();
    geometry->Draw();
    EXPECT_EQ(device.log, (std::vector<std::string>{"SetIndexBuffer", "SetInputLayout", "SetVertexBuffer", "SetVertexBuffer",
                                            "SetPrimitiveType", "DrawIndexed", "SetPrimitiveType", "DrawIndexed"}));
    EXPECT_EQ(device.GetVertexBuffer(1), b.Get());
    EXPECT_EQ(device.GetIndexBuffer(), second.Get());
    ASSERT_EQ(device.draws.size(), 2u);
    EXPECT_TRUE(device.draws[1].indexed);
    EXPECT_EQ(device.draws[1].first, 1);
    EXPECT_EQ(device.draws[1].count, 2);

    geometry.Set(nullptr);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(second->GetRefCount(), 1);
}

}  // namespace geometry_test
