#include "utils/loaders/NgmReader.h"

#include "support/AllocationWatch.h"
#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "support/MemoryStream.h"
#include "support/NgmBytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::Loaders;
using Nimbrel::Testing::FakeDevice;
using Nimbrel::Testing::FakeIndexBuffer;
using Nimbrel::Testing::FakeVertexBuffer;
using Nimbrel::Testing::MemoryStream;
using Nimbrel::Testing::NgmBytes;

namespace ngm_reader_test {

// One triangle: three positions, indices 0 1 2.
NgmBytes Triangle100()
{
    NgmBytes file;
    file.Magic("NGM100").Int("vertices", 3).Int("attributes", 1).Word("POSITION").Int("components", 3);
    file.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Word("triangles").Int("indices", 3).UInt32s({0, 1, 2});
    return file;
}

// The words a version 101 or 200 file is made of, so a test can spoil one of them.
struct Words {
    std::string magic = "NGM200";
    std::string semantic = "POSITION";
    std::string type = "float";
    std::string remap = "none";
    std::string primitive = "triangles";
    std::string indexType = "int32";
};

// Two vertices of one float each, two attributes (the second a normalised byte pair), four
// indices and, for version 200, two submeshes.
NgmBytes Small(const Words& words = Words())
{
    bool v200 = words.magic == "NGM200";
    NgmBytes file;
    file.Magic(words.magic).Int("vertices", 2).Int("attributes", 2);
    file.Word(words.semantic).Word(words.type).Word(words.remap).Int("components", 1).Floats({0.5f, -2.0f});
    file.Word("TEXCOORD0").Word("byte").Word("normalize").Int("components1", 2).UInt8s({1, 2, 3, 0xFF});
    if (!v200)
        file.Word(words.primitive);
    file.Word(words.indexType).Int("indices", 4).UInt32s({0, 1, 1, 0});
    if (v200) {
        file.Int("submeshes", 2);
        file.Word(words.primitive).Int("first", 0).Int(1).Int("count", 3).Int(0);
        file.Word("lines").Int(2).Int(1).Int(2).Int(0);
    }
    return file;
}

// The file's bytes after `prefix` bytes of other data, positioned at the file.
Managed<MemoryStream> StreamAt(const std::vector<uint8_t>& file, int prefix = 0)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(prefix), 0xAB);
    bytes.insert(bytes.end(), file.begin(), file.end());
    Managed<MemoryStream> stream(new MemoryStream(bytes));
    stream->position = prefix;
    return stream;
}

std::vector<float> FloatsOf(const std::vector<uint8_t>& bytes)
{
    std::vector<float> values(bytes.size() / 4);
    std::memcpy(values.data(), bytes.data(), values.size() * 4);
    return values;
}

TEST(NgmReader, Version100TriangleUploadsOneFloatBufferAnd32BitIndices)
{
    FakeDevice device;
    NgmBytes file = Triangle100();
    Managed<MemoryStream> stream = StreamAt(file.bytes, 3);
    Managed<Geometry> geometry(ReadNgm(stream.Get(), &device));

    EXPECT_EQ(stream->position, 3 + static_cast<int>(file.bytes.size()));
    EXPECT_EQ(geometry->GetVertexCount(), 3);
    EXPECT_EQ(geometry->GetIndexCount(), 3);
    ASSERT_EQ(geometry->GetVertexBufferCount(), 1);
    auto* vertices = static_cast<FakeVertexBuffer*>(geometry->GetVertexBuffer(0));
    EXPECT_EQ(vertices->GetSize(), 36);
    EXPECT_EQ(vertices->GetStride(), 12);
    EXPECT_EQ(FloatsOf(vertices->bytes), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    auto* indices = static_cast<FakeIndexBuffer*>(geometry->GetIndexBuffer());
    EXPECT_EQ(indices->GetSize(), 12);
    EXPECT_EQ(indices->GetIndexSize(), 4);
    EXPECT_EQ(indices->bytes, (std::vector<uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}));
    ASSERT_EQ(geometry->GetSubMeshCount(), 1);
    EXPECT_EQ(geometry->GetSubMesh(0), (SubMesh{0, 3, 0, 3, Graphics::PrimitiveTriangles}));

    Graphics::InputElement element;
    ASSERT_EQ(geometry->GetInputLayout()->GetElements(16, &element), 1);
    EXPECT_EQ(element.semantic, 0);
    EXPECT_EQ(element.stream, 0);
    EXPECT_EQ(element.components, 3);
    EXPECT_EQ(element.offset, 0);
    EXPECT_EQ(element.type, Graphics::DataTypeFloat);
    EXPECT_FALSE(element.IsNormalized());
    EXPECT_EQ(geometry->GetScaleCount(), 1);
    EXPECT_EQ(geometry->GetScale(0), 1.0f);
    EXPECT_EQ(geometry->GetBias(0), 0.0f);
    EXPECT_EQ(device.log, (std::vector<std::string>{"CreateVertexBuffer", "CreateInputLayout", "CreateIndexBuffer"}));
    EXPECT_EQ(device.modes, (std::vector<Graphics::BufferMode>{Graphics::BufferModeStatic, Graphics::BufferModeStatic}));
}

TEST(NgmReader, Version101PackedAttributesKeepTypeNormalisationScaleAndBias)
{
    NgmBytes file;
    file.Magic("NGM101").Int(2).Int(3);
    file.Word("NORMAL").Word("short").Word("normalize").Int(3).UInt16s({1, 2, 3, 0xFFFF, 5, 6});
    file.Word("TEXCOORD1").Word("int8").Word("scale_and_bias").Float(2.0f).Float(0.5f).Int(2).UInt8s({0xFF, 1, 2, 3});
    file.Word("COLOR").Word("int16").Word("none").Int(1).UInt16s({7, 8});
    file.Word("lines").Word("short").Int(2).UInt16s({1, 0});
    FakeDevice device;
    Managed<MemoryStream> stream = StreamAt(file.bytes);
    Managed<Geometry> geometry(ReadNgm(stream.Get(), &device));

    Graphics::InputElement elements[16];
    ASSERT_EQ(geometry->GetInputLayout()->GetElements(16, elements), 3);
    struct Expected {
        int semantic, stream, components, type;
        bool normalized;
        float scale, bias;
        int stride;
    };
    const Expected expected[3] = {{4, 0, 3, Graphics::DataTypeShort, true, 1.0f, 0.0f, 6},
                                  {9, 1, 2, Graphics::DataTypeByte, false, 2.0f, 0.5f, 2},
                                  {3, 2, 1, Graphics::DataTypeShort, false, 1.0f, 0.0f, 2}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(elements[i].semantic, expected[i].semantic);
        EXPECT_EQ(elements[i].stream, expected[i].stream);
        EXPECT_EQ(elements[i].components, expected[i].components);
        EXPECT_EQ(elements[i].type, expected[i].type);
        EXPECT_EQ(elements[i].IsNormalized(), expected[i].normalized);
        EXPECT_EQ(geometry->GetScale(i), expected[i].scale);
        EXPECT_EQ(geometry->GetBias(i), expected[i].bias);
        EXPECT_EQ(geometry->GetVertexBuffer(i)->GetStride(), expected[i].stride);
    }
    EXPECT_EQ(geometry->GetIndexBuffer()->GetIndexSize(), 2);
    EXPECT_EQ(geometry->GetSubMesh(0), (SubMesh{0, 2, 0, 2, Graphics::PrimitiveLines}));

    // Packed components read back as unsigned values, without the remap applied.
    float normal[3];
    geometry->GetVertexAttribute(1, 4, normal);
    EXPECT_EQ(normal[0], 65535.0f);
    float texCoord[2];
    geometry->GetVertexAttribute(0, 9, texCoord);
    EXPECT_EQ(texCoord[0], 255.0f);
    EXPECT_EQ(texCoord[1], 1.0f);
    EXPECT_EQ(geometry->GetIndex(0), 1);
}

TEST(NgmReader, Version200SubmeshRecordsAreFirstMaxCountMinAndAllDraw)
{
    NgmBytes file;
    file.Magic("NGM200").Int(10).Int(1).Word("N_POSITION").Word("float").Word("none").Int(1);
    file.Floats({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    file.Word("int").Int(14).UInt32s({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 8, 9});
    file.Int(2).Word("triangles").Int(0).Int(9).Int(12).Int(0).Word("lines").Int(12).Int(9).Int(2).Int(8);
    FakeDevice device;
    Managed<MemoryStream> stream = StreamAt(file.bytes);
    Managed<Geometry> geometry(ReadNgm(stream.Get(), &device));

    ASSERT_EQ(geometry->GetSubMeshCount(), 2);
    EXPECT_EQ(geometry->GetSubMesh(0), (SubMesh{0, 12, 0, 9, Graphics::PrimitiveTriangles}));
    EXPECT_EQ(geometry->GetSubMesh(1), (SubMesh{12, 2, 8, 9, Graphics::PrimitiveLines}));

    device.log.clear();
    geometry->Draw();
    EXPECT_EQ(device.log, (std::vector<std::string>{"SetIndexBuffer", "SetInputLayout", "SetVertexBuffer", "SetPrimitiveType",
                                            "DrawIndexed", "SetPrimitiveType", "DrawIndexed"}));
    ASSERT_EQ(device.draws.size(), 2u);
    EXPECT_EQ(device.draws[0].first, 0);
    EXPECT_EQ(device.draws[0].count, 12);
    EXPECT_EQ(device.draws[1].first, 12);
    EXPECT_EQ(device.draws[1].count, 2);
    EXPECT_EQ(device.draws[1].minVertex, 8);
    EXPECT_EQ(device.draws[1].maxVertex, 9);
    EXPECT_EQ(device.GetPrimitiveType(), Graphics::PrimitiveLines);
    EXPECT_EQ(device.GetIndexBuffer(), geometry->GetIndexBuffer());
    EXPECT_EQ(device.GetVertexBuffer(0), geometry->GetVertexBuffer(0));
    EXPECT_EQ(device.GetInputLayout(), geometry->GetInputLayout());
}

TEST(NgmReader, AcceptsEveryVersionAndEverySpellingOfItsWords)
{
    struct Case {
        Words words;
        Graphics::DataType type;
        int indexSize;
    };
    auto with = [](const char* magic, const char* type, const char* indexType) {
        Words words;
        words.magic = magic;
        words.type = type;
        words.indexType = indexType;
        return words;
    };
    const Case cases[] = {
        {with("NGM101", "float", "int"), Graphics::DataTypeFloat, 4},
        {with("NGM102", "float", "int32"), Graphics::DataTypeFloat, 4},
        {with("NGM200", "float", "int32"), Graphics::DataTypeFloat, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.magic + " " + c.words.type + " " + c.words.indexType);
        Managed<MemoryStream> stream = StreamAt(Small(c.words).bytes);
        NgmData data = ReadNgmData(stream.Get());
        EXPECT_EQ(data.version, std::stoi(c.words.magic.substr(3)));
        EXPECT_EQ(data.attributes[0].type, c.type);
        EXPECT_EQ(data.indexSize, c.indexSize);
        EXPECT_EQ(data.attributes[1].type, Graphics::DataTypeByte);
        EXPECT_TRUE(data.attributes[1].normalized);
    }

    // Words the byte-level cases above do not reach: the other data and index type spellings.
    struct Spelling {
        const char* type;
        Graphics::DataType expected;
        int size;
    };
    for (const Spelling& s : {Spelling{"short", Graphics::DataTypeShort, 2}, Spelling{"int16", Graphics::DataTypeShort, 2},
                              Spelling{"byte", Graphics::DataTypeByte, 1}, Spelling{"int8", Graphics::DataTypeByte, 1}}) {
        for (const char* indexType : {"short", "int16"}) {
            SCOPED_TRACE(std::string(s.type) + " " + indexType);
            NgmBytes file;
            file.Magic("NGM102").Int(2).Int(1).Word("TEXTANGENT").Word(s.type).Word("none").Int(1);
            if (s.size == 2)
                file.UInt16s({9, 8});
            else
                file.UInt8s({9, 8});
            file.Word("triangles").Word(indexType).Int(3).UInt16s({0, 1, 1});
            Managed<MemoryStream> stream = StreamAt(file.bytes);
            NgmData data = ReadNgmData(stream.Get());
            EXPECT_EQ(data.attributes[0].type, s.expected);
            EXPECT_EQ(data.attributes[0].semantic, 12);  // the plain word lands on a texture slot
            EXPECT_EQ(data.indexSize, 2);
            EXPECT_EQ(GetNgmIndex(data, 1), 1u);
            EXPECT_EQ(stream->position, static_cast<int>(file.bytes.size()));
        }
    }
}

TEST(NgmReader, EachUnknownWordGivesItsMessageAndPutsTheStreamBack)
{
    struct Case {
        const char* name;
        Words words;
        const char* message;
    };
    auto spoil = [](std::string Words::*field, const char* value, const char* magic = "NGM200") {
        Words words;
        words.magic = magic;
        words.*field = value;
        return words;
    };
    const Case cases[] = {
        {"magic", spoil(&Words::magic, "NGM300"), "Unsupported Format"},
        {"magic case", spoil(&Words::magic, "ngm200"), "Unsupported Format"},
        {"remap", spoil(&Words::remap, "normalise"), "Unsupported Remap Type: normalise"},
        {"remap case", spoil(&Words::remap, "None"), "Unsupported Remap Type: None"},
        {"data type", spoil(&Words::type, "double"), "Unsupported Data Type: double"},
        {"data type case", spoil(&Words::type, "Float"), "Unsupported Data Type: Float"},
        {"index type", spoil(&Words::indexType, "int64"), "Unsupported Index Type: int64"},
        {"primitive 101", spoil(&Words::primitive, "points", "NGM101"), "Unsupported Primitive Type: points"},
        {"primitive 200", spoil(&Words::primitive, "strip"), "Unsupported Primitive Type: strip"},
        {"semantic", spoil(&Words::semantic, "POS"), "NGMLoader: unsupported semantic enum"},
        {"semantic case", spoil(&Words::semantic, "position"), "NGMLoader: unsupported semantic enum"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Managed<MemoryStream> stream = StreamAt(Small(c.words).bytes, 5);
        EXPECT_THROW_MESSAGE(ReadNgmData(stream.Get()), c.message);
        EXPECT_EQ(stream->position, 5);
    }

    // A stream too short to hold the magic is no NGM file either.
    for (const char* text : {"", "NGM", "NGM20"}) {
        Managed<MemoryStream> stream = StreamAt(std::vector<uint8_t>(text, text + std::strlen(text)), 2);
        EXPECT_THROW_MESSAGE(ReadNgmData(stream.Get()), "Unsupported Format");
        EXPECT_EQ(stream->position, 2);
    }
}

TEST(NgmReader, IndicesAndDrawRangesMustStayInsideTheFile)
{
    struct Case {
        const char* field;
        int32_t value;
        const char* message;
    };
    const Case cases[] = {
        {"first", -1, "NGM: submesh 0 draws indices -1 to 1, outside the 4 indices"},
        {"first", 2, "NGM: submesh 0 draws indices 2 to 4, outside the 4 indices"},
        {"count", 5, "NGM: submesh 0 draws indices 0 to 4, outside the 4 indices"},
        {"count", -1, "NGM: submesh 0 draws indices 0 to -2, outside the 4 indices"},
        {"first", INT32_MAX, "NGM: submesh 0 draws indices 2147483647 to 2147483649, outside the 4 indices"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + std::to_string(c.value));
        NgmBytes file = Small();
        file.Set(c.field, c.value);
        Managed<MemoryStream> stream = StreamAt(file.bytes);
        EXPECT_THROW_MESSAGE(ReadNgmData(stream.Get()), c.message);
        EXPECT_EQ(stream->position, 0);
    }

    NgmBytes past;
    past.Magic("NGM100").Int(3).Int(1).Word("POSITION").Int(1).Floats({0, 1, 2});
    past.Word("triangles").Int(3).UInt32s({0, 3, 1});
    Managed<MemoryStream> stream = StreamAt(past.bytes);
    EXPECT_THROW_MESSAGE(ReadNgmData(stream.Get()), "NGM: index 3 at position 1 is not below the vertex count 3");

    NgmBytes wide;
    wide.Magic("NGM100").Int(3).Int(1).Word("POSITION").Int(1).Floats({0, 1, 2});
    wide.Word("triangles").Int(1).UInt32s({0xFFFFFFFFu});
    stream = StreamAt(wide.bytes);
    EXPECT_THROW_MESSAGE(ReadNgmData(stream.Get()), "NGM: index 4294967295 at position 0 is not below the vertex count 3");
}

// Every count field spoiled: negative, huge, or one more than the file holds. Each ends in an
// exception with the stream put back and without an allocation the size of the claim.
TEST(NgmReader, SpoiledCountsThrowWithoutAllocatingWhatTheyClaim)
{
    struct Case {
        const char* field;
        int32_t value;
    };
    std::vector<Case> cases;
    for (const char* field : {"vertices", "attributes", "components", "components1", "indices", "submeshes"})
        for (int32_t value : {-1, INT32_MIN, INT32_MAX, 1 << 28})
            cases.push_back({field, value});
    for (Case c : {Case{"vertices", 3}, Case{"attributes", 3}, Case{"attributes", 17}, Case{"components", 2},
                   Case{"components", 0}, Case{"components", 5}, Case{"components1", 3}, Case{"indices", 5},
                   Case{"submeshes", 3}})
        cases.push_back(c);

    for (bool seekable : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.field) + " = " + std::to_string(c.value) + (seekable ? "" : ", not seekable"));
            NgmBytes file = Small();
            file.Set(c.field, c.value);
            Managed<MemoryStream> stream = StreamAt(file.bytes, 1);
            stream->seekable = seekable;
            Testing::AllocationWatch watch;
            EXPECT_THROW(ReadNgmData(stream.Get()), Exception);
            if (Testing::AllocationWatch::Available()) {
                EXPECT_LE(watch.LargestAllocation(), size_t(2) << 20);
            }
            EXPECT_LE(stream->largestRequest, int64_t(1) << 20);
            if (seekable) {
                EXPECT_EQ(stream->position, 1);
            }
        }
    }
}

TEST(NgmReader, ATruncatedFileThrowsAtEveryFieldBoundaryAndInside)
{
    for (const char* magic : {"NGM101", "NGM200"}) {
        Words words;
        words.magic = magic;
        NgmBytes file = Small(words);
        ASSERT_GT(file.fieldEnds.size(), 30u);
        // Every length short of the whole file: the field boundaries and every byte between.
        for (size_t length = 0; length < file.bytes.size(); ++length) {
            SCOPED_TRACE(std::string(magic) + " cut at " + std::to_string(length));
            Managed<MemoryStream> stream =
                StreamAt(std::vector<uint8_t>(file.bytes.begin(), file.bytes.begin() + length), 4);
            EXPECT_THROW(ReadNgmData(stream.Get()), Exception);
            EXPECT_EQ(stream->position, 4);
        }
        Managed<MemoryStream> whole = StreamAt(file.bytes, 4);
        EXPECT_NO_THROW(ReadNgmData(whole.Get()));
    }
}

TEST(NgmReader, StreamsThatCannotSeekAreReadPieceByPiece)
{
    NgmBytes file = Small();
    Managed<MemoryStream> stream = StreamAt(file.bytes);
    stream->seekable = false;
    stream->readChunk = 3;
    NgmData data = ReadNgmData(stream.Get());
    EXPECT_EQ(data.vertexCount, 2);
    ASSERT_EQ(data.attributes.Count(), 2);
    EXPECT_EQ(data.attributes[1].data.Count(), 4);
    EXPECT_EQ(data.attributes[1].data[3], 0xFF);
    EXPECT_EQ(data.subMeshes.Count(), 2);
    EXPECT_EQ(stream->position, static_cast<int>(file.bytes.size()));

    // A claim of a quarter of a gigabyte of vertex data in a file of a hundred bytes.
    file.Set("vertices", 1 << 26);
    stream = StreamAt(file.bytes);
    stream->seekable = false;
    Testing::AllocationWatch watch;
    EXPECT_THROW_MESSAGE(ReadNgmData(stream.Get()), "NGM: the file ends inside the data of attribute 0");
    if (Testing::AllocationWatch::Available()) {
        EXPECT_LE(watch.LargestAllocation(), size_t(2) << 20);
    }
}

TEST(NgmReader, DeviceFailuresLeaveNothingBehind)
{
    // A device that cannot make buffers: the exception passes and the half-built geometry goes.
    Graphics::Device* plain = nullptr;
    NgmBytes file = Triangle100();
    Managed<MemoryStream> stream = StreamAt(file.bytes);
    EXPECT_THROW_MESSAGE(ReadNgm(stream.Get(), plain), "NGM: no device to create the geometry on");
    EXPECT_EQ(stream->position, 0);

    class RefusingDevice : public FakeDevice {
    public:
        Graphics::IndexBuffer* CreateIndexBuffer(Graphics::BufferMode, int, int) override
        {
            throw Exception("out of buffers");
        }
    };
    RefusingDevice refusing;
    EXPECT_THROW_MESSAGE(ReadNgm(stream.Get(), &refusing), "out of buffers");
}

}  // namespace ngm_reader_test
