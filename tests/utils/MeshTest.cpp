#include "utils/Mesh.h"

#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "utils/Geometry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Nimbrel::Testing::FakeDevice;
using Nimbrel::Testing::FakeIndexBuffer;
using Nimbrel::Testing::FakeVertexBuffer;

namespace mesh_test {

Managed<Mesh::Attribute> MakeAttribute(int semantic, int indexOffset, int components, std::vector<float> values)
{
    Managed<Mesh::Attribute> attribute(new Mesh::Attribute(semantic, indexOffset, components));
    for (float value : values)
        attribute->values.Add(value);
    return attribute;
}

void SetIndices(Mesh& mesh, std::vector<int> indices)
{
    mesh.SetIndexCount(static_cast<int>(indices.size()));
    for (size_t i = 0; i < indices.size(); ++i)
        mesh.SetIndex(static_cast<int>(i), indices[i]);
}

std::vector<float> Values(const Mesh::Attribute* attribute)
{
    return std::vector<float>(attribute->values.begin(), attribute->values.end());
}

std::vector<int> Indices(const Mesh& mesh)
{
    return std::vector<int>(mesh.GetIndices(), mesh.GetIndices() + mesh.GetIndexCount());
}

// Positions 0..3 of a quad and two normals, each vertex a (position, normal) pair of indices.
Managed<Mesh> TwoIndexQuad()
{
    Managed<Mesh> mesh(new Mesh());
    mesh->AddAttribute(MakeAttribute(0, 0, 2, {0, 0, 1, 0, 1, 1, 0, 1}).Get());
    mesh->AddAttribute(MakeAttribute(4, 1, 3, {0, 0, 1, 0, 0, -1}).Get());
    mesh->SetIndexStride(2);
    SetIndices(*mesh, {2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 3, 1});
    mesh->AddSubMesh(SubMesh{0, 6, 0, 3, Graphics::PrimitiveTriangles});
    return mesh;
}

TEST(Mesh, IdenticalIndexGroupsShareOneVertexNumberedByFirstUse)
{
    Managed<Mesh> mesh(new Mesh());
    mesh->AddAttribute(MakeAttribute(0, 0, 1, {10, 11}).Get());
    mesh->AddAttribute(MakeAttribute(8, 1, 2, {0.5f, 0.25f, 1, 2}).Get());
    mesh->SetIndexStride(2);
    SetIndices(*mesh, {0, 0, 1, 1, 0, 0});
    mesh->AddSubMesh(SubMesh{0, 3, 0, 1, Graphics::PrimitiveLines});

    Managed<Mesh> single(mesh->ConvertToSingleIndexPrVertex());
    EXPECT_NE(single.Get(), mesh.Get());
    EXPECT_EQ(single->GetRefCount(), 1);
    EXPECT_EQ(single->GetIndexStride(), 1);
    EXPECT_EQ(single->GetVertexCount(), 2);
    EXPECT_EQ(Indices(*single), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(Values(single->GetAttribute(0)), (std::vector<float>{10, 11}));
    EXPECT_EQ(Values(single->GetAttribute(1)), (std::vector<float>{0.5f, 0.25f, 1, 2}));
    EXPECT_EQ(single->GetAttribute(1)->semantic, 8);
    EXPECT_EQ(single->GetAttribute(1)->components, 2);
    EXPECT_EQ(single->GetAttribute(1)->indexOffset, 0);
    ASSERT_EQ(single->GetSubMeshCount(), 1);
    EXPECT_EQ(single->GetSubMesh(0), (SubMesh{0, 3, 0, 1, Graphics::PrimitiveLines}));

    // A quad whose corners 0 and 2 are shared by its two triangles, while corner 3 has the other
    // normal: four output vertices, in the order the groups first appear.
    Managed<Mesh> quad = TwoIndexQuad();
    Managed<Mesh> converted(quad->ConvertToSingleIndexPrVertex());
    EXPECT_EQ(converted->GetVertexCount(), 4);
    EXPECT_EQ(Indices(*converted), (std::vector<int>{0, 1, 2, 1, 0, 3}));
    EXPECT_EQ(Values(converted->GetAttribute(0)), (std::vector<float>{1, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(Values(converted->GetAttribute(1)), (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, -1}));
    EXPECT_EQ(converted->GetSubMesh(0), (SubMesh{0, 6, 0, 3, Graphics::PrimitiveTriangles}));

    // Without a submesh the result has none either.
    Managed<Mesh> bare(new Mesh());
    bare->AddAttribute(MakeAttribute(0, 0, 1, {1}).Get());
    bare->SetIndexStride(3);
    SetIndices(*bare, {0, 0, 0});
    Managed<Mesh> bareSingle(bare->ConvertToSingleIndexPrVertex());
    EXPECT_EQ(bareSingle->GetSubMeshCount(), 0);
    EXPECT_EQ(bareSingle->GetVertexCount(), 1);
}

TEST(Mesh, AMeshWithOneIndexPerVertexConvertsToItself)
{
    Managed<Mesh> mesh(new Mesh());
    EXPECT_EQ(mesh->GetIndexStride(), 1);
    Mesh* same = mesh->ConvertToSingleIndexPrVertex();
    EXPECT_EQ(same, mesh.Get());
    EXPECT_EQ(mesh->GetRefCount(), 2);
    same->Release();
}

TEST(Mesh, ConversionRefusesMeshesItCannotReadWhole)
{
    struct Case {
        const char* name;
        std::function<void(Mesh&)> spoil;
        const char* message;
    };
    const Case cases[] = {
        {"two submeshes", [](Mesh& m) { m.AddSubMesh(SubMesh{}); },
         "Mesh::ConvertToSingleIndexPrVertex only supports meshes with one SubMesh"},
        {"half a group", [](Mesh& m) { m.SetIndexCount(11); },
         "Mesh::ConvertToSingleIndexPrVertex: the index count 11 is not a multiple of the index stride 2"},
        {"negative index", [](Mesh& m) { m.SetIndex(4, -1); },
         "Mesh::ConvertToSingleIndexPrVertex: index -1 of vertex 2 is outside the 4 values of attribute 0"},
        {"index past its attribute", [](Mesh& m) { m.SetIndex(3, 2); },
         "Mesh::ConvertToSingleIndexPrVertex: index 2 of vertex 1 is outside the 2 values of attribute 1"},
        {"offset past the stride", [](Mesh& m) { m.GetAttribute(1)->indexOffset = 2; },
         "Mesh::ConvertToSingleIndexPrVertex: attribute 1 has index offset 2, outside a stride of 2"},
        {"no components", [](Mesh& m) { m.GetAttribute(0)->components = 0; },
         "Mesh::ConvertToSingleIndexPrVertex: attribute 0 has 0 components"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Managed<Mesh> mesh = TwoIndexQuad();
        c.spoil(*mesh);
        EXPECT_THROW_MESSAGE(mesh->ConvertToSingleIndexPrVertex(), c.message);
        EXPECT_EQ(mesh->GetRefCount(), 1);
    }
}

TEST(Mesh, AccessorsResizeAndCheck)
{
    Managed<Mesh> mesh = TwoIndexQuad();
    EXPECT_EQ(mesh->GetAttributeBySemantic(4), mesh->GetAttribute(1));
    EXPECT_THROW_MESSAGE(mesh->GetAttributeBySemantic(8),
                         "Mesh::GetAttributeBySemantic: no attribute with the given semantic exists");
    EXPECT_EQ(mesh->GetAttribute(0)->GetRefCount(), 1);

    mesh->SetVertexCount(3);
    EXPECT_EQ(mesh->GetVertexCount(), 3);
    EXPECT_EQ(mesh->GetAttribute(0)->values.Count(), 6);
    EXPECT_EQ(mesh->GetAttribute(1)->values.Count(), 9);
    EXPECT_EQ(mesh->GetAttribute(1)->values[3], 0.0f);
    EXPECT_THROW_MESSAGE(mesh->SetVertexCount(-1), "Mesh::SetVertexCount(): invalid vertex count -1");
    EXPECT_THROW_MESSAGE(mesh->SetVertexCount(1 << 30),
                         "Mesh::SetVertexCount(): 1073741824 vertices of 2 components do not fit an attribute");
    EXPECT_EQ(mesh->GetAttribute(0)->values.Count(), 6);

    mesh->SetSubMesh(0, 1, 2, 3, 4, Graphics::PrimitiveLines);
    EXPECT_EQ(mesh->GetSubMesh(0), (SubMesh{1, 2, 3, 4, Graphics::PrimitiveLines}));
    EXPECT_THROW(mesh->SetSubMesh(1, 0, 0, 0, 0, Graphics::PrimitiveLines), Exception);
    EXPECT_THROW_MESSAGE(mesh->SetIndexStride(0), "Mesh::SetIndexStride(): invalid stride 0");
    EXPECT_THROW_MESSAGE(mesh->SetIndexCount(-2), "Mesh::SetIndexCount(): invalid index count -2");
    EXPECT_THROW(mesh->SetIndex(12, 0), Exception);
    EXPECT_THROW_MESSAGE(mesh->AddAttribute(nullptr), "Mesh::AddAttribute(): null attribute");
}

TEST(Mesh, CreateGeometryUploadsFloatAttributesAnd32BitIndices)
{
    FakeDevice device;
    Managed<Mesh> quad = TwoIndexQuad();
    Managed<Geometry> geometry(quad->CreateGeometry(&device, Graphics::BufferModeDynamic));
    EXPECT_EQ(quad->GetRefCount(), 1);
    EXPECT_EQ(geometry->GetRefCount(), 1);
    EXPECT_EQ(geometry->GetDevice(), &device);
    EXPECT_EQ(device.modes, std::vector<Graphics::BufferMode>(3, Graphics::BufferModeDynamic));
    EXPECT_EQ(geometry->GetVertexCount(), 4);
    EXPECT_EQ(geometry->GetIndexCount(), 6);
    EXPECT_EQ(geometry->GetScaleCount(), 0);
    EXPECT_EQ(geometry->GetBiasCount(), 0);
    ASSERT_EQ(geometry->GetVertexBufferCount(), 2);

    auto* positions = static_cast<FakeVertexBuffer*>(geometry->GetVertexBuffer(0));
    EXPECT_EQ(positions->GetStride(), 8);
    std::vector<float> floats(8);
    ASSERT_EQ(positions->bytes.size(), 32u);
    std::memcpy(floats.data(), positions->bytes.data(), 32);
    EXPECT_EQ(floats, (std::vector<float>{1, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(geometry->GetVertexBuffer(1)->GetSize(), 48);
    EXPECT_EQ(geometry->GetVertexBuffer(1)->GetStride(), 12);

    auto* indices = static_cast<FakeIndexBuffer*>(geometry->GetIndexBuffer());
    EXPECT_EQ(indices->GetIndexSize(), 4);
    std::vector<int> ints(6);
    ASSERT_EQ(indices->bytes.size(), 24u);
    std::memcpy(ints.data(), indices->bytes.data(), 24);
    EXPECT_EQ(ints, (std::vector<int>{0, 1, 2, 1, 0, 3}));

    Graphics::InputElement elements[16];
    ASSERT_EQ(geometry->GetInputLayout()->GetElements(16, elements), 2);
    EXPECT_EQ(elements[1].semantic, 4);
    EXPECT_EQ(elements[1].stream, 1);
    EXPECT_EQ(elements[1].components, 3);
    EXPECT_EQ(elements[1].type, Graphics::DataTypeFloat);
    EXPECT_FALSE(elements[1].IsNormalized());
    EXPECT_EQ(geometry->GetSubMesh(0), (SubMesh{0, 6, 0, 3, Graphics::PrimitiveTriangles}));

    // Read back, it is the converted mesh again.
    Managed<Mesh> back(geometry->CreateMesh());
    EXPECT_EQ(back->GetIndexStride(), 1);
    EXPECT_EQ(back->GetVertexCount(), 4);
    EXPECT_EQ(Indices(*back), (std::vector<int>{0, 1, 2, 1, 0, 3}));
    EXPECT_EQ(Values(back->GetAttribute(1)), (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, -1}));
    EXPECT_EQ(back->GetSubMesh(0), geometry->GetSubMesh(0));
}

TEST(Mesh, CreateGeometryTakesTheVertexCountFromTheAttributesAndChecksIt)
{
    FakeDevice device;
    // Filled by hand, never sized with SetVertexCount: three vertices all the same.
    Managed<Mesh> mesh(new Mesh());
    mesh->AddAttribute(MakeAttribute(0, 0, 3, {0, 0, 0, 1, 0, 0, 0, 1, 0}).Get());
    mesh->AddAttribute(MakeAttribute(8, 0, 2, {0, 0, 1, 0, 0, 1}).Get());
    SetIndices(*mesh, {0, 1, 2});
    Managed<Geometry> geometry(mesh->CreateGeometry(&device, Graphics::BufferModeStatic));
    EXPECT_EQ(geometry->GetVertexCount(), 3);
    EXPECT_EQ(geometry->GetVertexBuffer(0)->GetSize(), 36);

    struct Case {
        const char* name;
        std::function<void(Mesh&)> spoil;
        const char* message;
    };
    const Case cases[] = {
        {"uneven attributes", [](Mesh& m) { m.GetAttribute(1)->values.SetSize(4); },
         "Mesh: attribute 1 holds 2 vertices, attribute 0 holds 3"},
        {"partial vertex", [](Mesh& m) { m.GetAttribute(0)->values.SetSize(8); },
         "Mesh: attribute 0 holds 8 values, not whole vertices of 3 components"},
        {"index past", [](Mesh& m) { m.SetIndex(2, 3); }, "Mesh: index 3 at position 2 is outside the 3 vertices"},
        {"five components", [](Mesh& m) { m.GetAttribute(0)->components = 5; },
         "Mesh: attribute 0 has 5 components (1 to 4 can be uploaded)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Managed<Mesh> spoiled(new Mesh());
        spoiled->AddAttribute(MakeAttribute(0, 0, 3, {0, 0, 0, 1, 0, 0, 0, 1, 0}).Get());
        spoiled->AddAttribute(MakeAttribute(8, 0, 2, {0, 0, 1, 0, 0, 1}).Get());
        SetIndices(*spoiled, {0, 1, 2});
        c.spoil(*spoiled);
        EXPECT_THROW_MESSAGE(spoiled->CreateGeometry(&device, Graphics::BufferModeStatic), c.message);
    }
}

}  // namespace mesh_test
