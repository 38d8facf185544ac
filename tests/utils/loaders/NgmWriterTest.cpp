#include "utils/loaders/NgmWriter.h"

#include "support/Expect.h"
#include "support/MemoryStream.h"
#include "support/NgmBytes.h"
#include "utils/loaders/NgmReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::Loaders;
using Nimbrel::Testing::MemoryStream;
using Nimbrel::Testing::NgmBytes;

namespace ngm_writer_test {

template <class T>
void SetValues(Array<uint8_t>& bytes, std::initializer_list<T> values)
{
    bytes.SetSize(static_cast<int>(values.size() * sizeof(T)));
    std::memcpy(bytes.Data(), values.begin(), values.size() * sizeof(T));
}

NgmAttribute Attribute(int semantic, Graphics::DataType type, int components)
{
    NgmAttribute attribute;
    attribute.semantic = semantic;
    attribute.type = type;
    attribute.components = components;
    return attribute;
}

// Two vertices: float positions, normalised short normals, scaled byte texture coordinates;
// three 16-bit indices in two submeshes.
NgmData Sample(int version = 200)
{
    NgmData data;
    data.version = version;
    data.vertexCount = 2;
    NgmAttribute position = Attribute(0, Graphics::DataTypeFloat, 3);
    SetValues<float>(position.data, {1, 2, 3, -4, 5.5f, 6});
    data.attributes.Add(position);
    if (version > 100) {
        NgmAttribute normal = Attribute(4, Graphics::DataTypeShort, 2);
        normal.normalized = true;
        SetValues<uint16_t>(normal.data, {1, 0xFFFF, 3, 4});
        data.attributes.Add(normal);
        NgmAttribute texCoord = Attribute(9, Graphics::DataTypeByte, 1);
        texCoord.scaleAndBias = true;
        texCoord.scale = 0.25f;
        texCoord.bias = -1.0f;
        SetValues<uint8_t>(texCoord.data, {7, 200});
        data.attributes.Add(texCoord);
        data.indexSize = 2;
        data.indexCount = 3;
        SetValues<uint16_t>(data.indices, {0, 1, 1});
    } else {
        data.indexCount = 3;
        SetValues<uint32_t>(data.indices, {0, 1, 1});
    }
    if (version == 200) {
        data.subMeshes.Add(SubMesh{0, 2, 0, 1, Graphics::PrimitiveLines});
        data.subMeshes.Add(SubMesh{1, 2, 1, 1, Graphics::PrimitiveTriangles});
    } else {
        data.subMeshes.Add(SubMesh{0, 3, 0, 2, Graphics::PrimitiveTriangles});
    }
    return data;
}

void ExpectSameContent(const NgmData& a, const NgmData& b)
{
    EXPECT_EQ(a.version, b.version);
    EXPECT_EQ(a.vertexCount, b.vertexCount);
    ASSERT_EQ(a.attributes.Count(), b.attributes.Count());
    for (int i = 0; i < a.attributes.Count(); ++i) {
        SCOPED_TRACE(i);
        const NgmAttribute& x = a.attributes[i];
        const NgmAttribute& y = b.attributes[i];
        EXPECT_EQ(x.semantic, y.semantic);
        EXPECT_EQ(x.type, y.type);
        EXPECT_EQ(x.normalized, y.normalized);
        EXPECT_EQ(x.scaleAndBias, y.scaleAndBias);
        EXPECT_EQ(x.scale, y.scale);
        EXPECT_EQ(x.bias, y.bias);
        EXPECT_EQ(x.components, y.components);
        EXPECT_EQ(std::vector<uint8_t>(x.data.begin(), x.data.end()), std::vector<uint8_t>(y.data.begin(), y.data.end()));
    }
    EXPECT_EQ(a.indexSize, b.indexSize);
    EXPECT_EQ(a.indexCount, b.indexCount);
    EXPECT_EQ(std::vector<uint8_t>(a.indices.begin(), a.indices.end()), std::vector<uint8_t>(b.indices.begin(), b.indices.end()));
    ASSERT_EQ(a.subMeshes.Count(), b.subMeshes.Count());
    for (int i = 0; i < a.subMeshes.Count(); ++i) {
        // Before version 200 the file keeps only the primitive; the range is all indices and
        // maxVertex the vertex count.
        SubMesh expected = a.subMeshes[i];
        if (a.version < 200) {
            expected.minVertex = 0;
            expected.maxVertex = a.vertexCount;
        }
        EXPECT_EQ(expected, b.subMeshes[i]) << "submesh " << i;
    }
}

TEST(NgmWriter, WritesTheFieldsInFileOrder)
{
    NgmBytes expected;
    expected.Magic("NGM200").Int(2).Int(3);
    expected.Word("N_POSITION").Word("float").Word("none").Int(3).Floats({1, 2, 3, -4, 5.5f, 6});
    expected.Word("N_NORMAL").Word("short").Word("normalize").Int(2).UInt16s({1, 0xFFFF, 3, 4});
    expected.Word("N_TEXCOORD1").Word("byte").Word("scale_and_bias").Float(0.25f).Float(-1.0f).Int(1).UInt8s({7, 200});
    expected.Word("int16").Int(3).UInt16s({0, 1, 1});
    expected.Int(2).Word("lines").Int(0).Int(1).Int(2).Int(0).Word("triangles").Int(1).Int(1).Int(2).Int(1);

    MemoryStream stream;
    WriteNgm(&stream, Sample());
    EXPECT_EQ(stream.bytes, expected.bytes);

    NgmBytes old;
    old.Magic("NGM100").Int(2).Int(1).Word("N_POSITION").Int(3).Floats({1, 2, 3, -4, 5.5f, 6});
    old.Word("triangles").Int(3).UInt32s({0, 1, 1});
    MemoryStream oldStream;
    WriteNgm(&oldStream, Sample(100));
    EXPECT_EQ(oldStream.bytes, old.bytes);
}

TEST(NgmWriter, EveryVersionReadsBackAsWritten)
{
    for (int version : {100, 101, 102, 200}) {
        SCOPED_TRACE(version);
        NgmData written = Sample(version);
        MemoryStream stream;
        stream.bytes = {0xEE};
        stream.position = 1;
        WriteNgm(&stream, written);
        stream.position = 1;
        NgmData read = ReadNgmData(&stream);
        ExpectSameContent(written, read);
        EXPECT_EQ(stream.position, static_cast<int>(stream.bytes.size()));
    }
}

TEST(NgmWriter, RefusesWhatTheReaderWouldRejectBeforeWritingAByte)
{
    struct Case {
        const char* name;
        int version;
        std::function<void(NgmData&)> spoil;
        const char* message;
    };
    const Case cases[] = {
        {"version", 200, [](NgmData& d) { d.version = 103; }, "NGM: unsupported version 103"},
        {"vertex count", 200, [](NgmData& d) { d.vertexCount = -1; }, "NGM: invalid vertex count -1"},
        {"17 attributes", 200, [](NgmData& d) { while (d.attributes.Count() < 17) d.attributes.Add(d.attributes[0]); },
         "NGM: 17 attributes, a geometry takes 0 to 16"},
        {"semantic", 200, [](NgmData& d) { d.attributes[1].semantic = 16; }, "NGM: attribute 1 has semantic 16 (0 to 15)"},
        {"data type", 200, [](NgmData& d) { d.attributes[0].type = Graphics::DataTypeUnsignedShort; },
         "NGM: attribute 0 has data type 3, which a file cannot hold"},
        {"no components", 200, [](NgmData& d) { d.attributes[2].components = 0; }, "NGM: attribute 2 has 0 components (1 to 4)"},
        {"five components", 200, [](NgmData& d) { d.attributes[2].components = 5; }, "NGM: attribute 2 has 5 components (1 to 4)"},
        {"data size", 200, [](NgmData& d) { d.attributes[0].data.SetSize(20); }, "NGM: attribute 0 holds 20 bytes, 24 expected"},
        {"both remaps", 200, [](NgmData& d) { d.attributes[2].normalized = true; },
         "NGM: attribute 2 is both normalised and scaled"},
        {"packed in 100", 100, [](NgmData& d) { d.attributes[0].normalized = true; },
         "NGM: attribute 0 is not plain float data, which version 100 cannot hold"},
        {"16-bit in 100", 100, [](NgmData& d) { d.indexSize = 2; d.indices.SetSize(6); },
         "NGM: version 100 holds only 32-bit indices"},
        {"index size", 200, [](NgmData& d) { d.indexSize = 1; }, "NGM: invalid index size 1 (2 or 4)"},
        {"index bytes", 200, [](NgmData& d) { d.indexCount = 4; }, "NGM: the indices take 6 bytes, 8 expected"},
        {"index past", 200, [](NgmData& d) { d.indices[4] = 2; }, "NGM: index 2 at position 2 is not below the vertex count 2"},
        {"two ranges in 101", 101, [](NgmData& d) { d.subMeshes.Add(d.subMeshes[0]); },
         "NGM: before version 200 a file has exactly one submesh over all its indices"},
        {"part range in 102", 102, [](NgmData& d) { d.subMeshes[0].indexCount = 2; },
         "NGM: before version 200 a file has exactly one submesh over all its indices"},
        {"strip", 200, [](NgmData& d) { d.subMeshes[1].primitive = Graphics::PrimitiveTriangleStrip; },
         "NGM: submesh 1 has primitive type 4 (lines or triangles)"},
        {"range", 200, [](NgmData& d) { d.subMeshes[1].indexCount = 3; },
         "NGM: submesh 1 draws indices 1 to 3, outside the 3 indices"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NgmData data = Sample(c.version);
        c.spoil(data);
        MemoryStream stream;
        EXPECT_THROW_MESSAGE(WriteNgm(&stream, data), c.message);
        EXPECT_TRUE(stream.bytes.empty());
    }
}

TEST(NgmWriter, AMeshIsWrittenAsVersion200WithOneIndexPerVertex)
{
    // A quad of four positions and one shared normal, in the two-index form importers build.
    Managed<Mesh> mesh(new Mesh());
    Managed<Mesh::Attribute> position(new Mesh::Attribute(0, 0, 3));
    for (float v : {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0})
        position->values.Add(v);
    Managed<Mesh::Attribute> normal(new Mesh::Attribute(4, 1, 3));
    for (float v : {0, 0, 1})
        normal->values.Add(v);
    mesh->AddAttribute(position.Get());
    mesh->AddAttribute(normal.Get());
    mesh->SetIndexStride(2);
    const int groups[] = {0, 0, 1, 0, 2, 0, 0, 0, 2, 0, 3, 0};
    mesh->SetIndexCount(12);
    for (int i = 0; i < 12; ++i)
        mesh->SetIndex(i, groups[i]);
    mesh->AddSubMesh(SubMesh{0, 6, 0, 3, Graphics::PrimitiveTriangles});

    NgmData data = NgmDataFromMesh(mesh.Get());
    MemoryStream stream;
    WriteNgm(&stream, data);
    stream.position = 0;
    NgmData read = ReadNgmData(&stream);
    EXPECT_EQ(read.version, 200);
    EXPECT_EQ(read.vertexCount, 4);
    EXPECT_EQ(read.indexSize, 2);
    ASSERT_EQ(read.indexCount, 6);
    std::vector<uint32_t> indices;
    for (int i = 0; i < 6; ++i)
        indices.push_back(GetNgmIndex(read, i));
    EXPECT_EQ(indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    ASSERT_EQ(read.attributes.Count(), 2);
    EXPECT_EQ(read.attributes[1].semantic, 4);
    std::vector<float> normals(8);
    std::memcpy(normals.data(), read.attributes[1].data.Data(), 32);
    EXPECT_EQ(normals, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0}));
    ASSERT_EQ(read.subMeshes.Count(), 1);
    EXPECT_EQ(read.subMeshes[0], (SubMesh{0, 6, 0, 3, Graphics::PrimitiveTriangles}));
}

TEST(NgmWriter, MeshesOfMoreThan65536VerticesGet32BitIndices)
{
    for (int vertices : {65536, 65537}) {
        Managed<Mesh> mesh(new Mesh());
        Managed<Mesh::Attribute> position(new Mesh::Attribute(0, 0, 1));
        mesh->AddAttribute(position.Get());
        mesh->SetVertexCount(vertices);
        mesh->SetIndexCount(2);
        mesh->SetIndex(1, vertices - 1);
        mesh->AddSubMesh(SubMesh{0, 2, 0, vertices - 1, Graphics::PrimitiveLines});
        NgmData data = NgmDataFromMesh(mesh.Get());
        EXPECT_EQ(data.indexSize, vertices == 65536 ? 2 : 4);
        EXPECT_EQ(GetNgmIndex(data, 1), static_cast<uint32_t>(vertices - 1));
    }
}

}  // namespace ngm_writer_test
