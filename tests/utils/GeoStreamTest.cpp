#include "utils/GeoStream.h"

#include "support/Expect.h"
#include "support/FakeDevice.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Nimbrel::Testing::FakeDevice;
using Nimbrel::Testing::FakeVertexBuffer;

namespace geo_stream_test {

// Vertex v of the uploaded batch as its 19 floats.
std::vector<float> Uploaded(GeoStream& stream, int v)
{
    auto* buffer = static_cast<FakeVertexBuffer*>(stream.GetVertexBuffer());
    std::vector<float> record(19);
    std::memcpy(record.data(), buffer->bytes.data() + 76 * v, 76);
    return record;
}

TEST(GeoStream, MakesAVolatileBufferOfSeventySixBytesPerVertexAndAFiveElementLayout)
{
    FakeDevice device;
    Managed<GeoStream> stream(new GeoStream(&device, 12));
    EXPECT_EQ(stream->GetType(), TargetTypeDrawable);
    EXPECT_EQ(stream->GetVertexBuffer()->GetSize(), 12 * 76);
    EXPECT_EQ(stream->GetVertexBuffer()->GetStride(), 76);
    EXPECT_EQ(device.modes, std::vector<Graphics::BufferMode>{Graphics::BufferModeVolatile});

    Graphics::InputElement elements[16];
    ASSERT_EQ(stream->GetInputLayout()->GetElements(16, elements), 5);
    const int expected[5][3] = {{0, 4, 0}, {4, 3, 16}, {3, 4, 28}, {8, 4, 44}, {9, 4, 60}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(elements[i].semantic, expected[i][0]);
        EXPECT_EQ(elements[i].components, expected[i][1]);
        EXPECT_EQ(elements[i].offset, expected[i][2]);
        EXPECT_EQ(elements[i].stream, 0);
        EXPECT_EQ(elements[i].type, Graphics::DataTypeFloat);
        EXPECT_FALSE(elements[i].IsNormalized());
    }

    for (int capacity : {0, -1, INT_MAX / 76 + 1}) {
        SCOPED_TRACE(capacity);
        EXPECT_THROW_MESSAGE(Managed<GeoStream> made(new GeoStream(&device, capacity)), String::Format("GeoStream: invalid capacity %d", capacity).CStr());
    }
}

TEST(GeoStream, VerticesTakeTheCurrentAttributesAndEndUploadsAndDraws)
{
    FakeDevice device;
    Managed<GeoStream> stream(new GeoStream(&device, 4));
    stream->Begin(Graphics::PrimitiveLines);
    stream->Vertex(1, 2);
    stream->Normal(Math::Vector3t<float>(0, 1, 0));
    stream->Color(0.5f, 0.25f, 0.125f);
    stream->TexCoord(3, 4);
    stream->TexCoord1(5, 6, 7, 8);
    stream->Vertex(1, 2, 3);
    stream->Color(Math::Vector4t<float>(1, 0, 0, 0.5f));
    stream->TexCoord(1, 2, 3);
    stream->Vertex(4, 5, 6, 7);
    EXPECT_EQ(stream->GetCount(), 3);

    device.log.clear();
    stream->End(false);
    EXPECT_EQ(device.log, std::vector<std::string>{});
    EXPECT_EQ(Uploaded(*stream, 0), (std::vector<float>{1, 2, 0, 1, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Uploaded(*stream, 1),
              (std::vector<float>{1, 2, 3, 1, 0, 1, 0, 0.5f, 0.25f, 0.125f, 1, 3, 4, 0, 1, 5, 6, 7, 8}));
    EXPECT_EQ(Uploaded(*stream, 2),
              (std::vector<float>{4, 5, 6, 7, 0, 1, 0, 1, 0, 0, 0.5f, 1, 2, 3, 1, 5, 6, 7, 8}));

    // End does not start a new batch: a later vertex joins it.
    stream->Vertex(9, 9);
    stream->End(true);
    EXPECT_EQ(device.log, (std::vector<std::string>{"SetVertexBuffer", "SetPrimitiveType", "SetInputLayout", "Draw"}));
    ASSERT_EQ(device.draws.size(), 1u);
    EXPECT_FALSE(device.draws[0].indexed);
    EXPECT_EQ(device.draws[0].first, 0);
    EXPECT_EQ(device.draws[0].count, 4);
    EXPECT_EQ(device.GetPrimitiveType(), Graphics::PrimitiveLines);
    EXPECT_EQ(device.GetVertexBuffer(0), stream->GetVertexBuffer());
    EXPECT_EQ(device.GetInputLayout(), stream->GetInputLayout());
}

TEST(GeoStream, TakesCapacityVerticesAndRefusesTheNextUntilBegin)
{
    FakeDevice device;
    Managed<GeoStream> stream(new GeoStream(&device, 12));
    stream->Begin(Graphics::PrimitiveTriangles);
    for (int i = 0; i < 12; ++i)
        stream->Vertex(float(i), 0);
    EXPECT_THROW_MESSAGE(stream->Vertex(12, 0), "GeoStream Vertex Overflow");
    EXPECT_EQ(stream->GetCount(), 12);
    stream->End(false);
    EXPECT_EQ(Uploaded(*stream, 11)[0], 11.0f);

    stream->Begin(Graphics::PrimitiveTriangles);
    EXPECT_EQ(stream->GetCount(), 0);
    stream->Vertex(1, 1);
    EXPECT_EQ(stream->GetCount(), 1);
}

TEST(GeoStream, DrawQuadCoversClipSpaceWithTwoTriangles)
{
    FakeDevice device;
    Managed<GeoStream> stream(new GeoStream(&device, 6));
    stream->Begin(Graphics::PrimitiveLines);
    stream->Vertex(5, 5);
    stream->DrawQuad(7, 7, 7, 7);
    ASSERT_EQ(device.draws.size(), 1u);
    EXPECT_EQ(device.draws[0].count, 6);
    EXPECT_EQ(device.GetPrimitiveType(), Graphics::PrimitiveTriangles);
    const float expected[6][6] = {
        {-1, -1, 0, 0, 0, 0}, {1, -1, 1, 0, 0, 0}, {1, 1, 1, 1, 0, 0},
        {-1, -1, 0, 0, 0, 0}, {1, 1, 1, 1, 0, 0},  {-1, 1, 0, 1, 0, 0},
    };
    for (int v = 0; v < 6; ++v) {
        SCOPED_TRACE(v);
        std::vector<float> record = Uploaded(*stream, v);
        EXPECT_EQ(std::vector<float>(record.begin(), record.begin() + 4),
                  (std::vector<float>{expected[v][0], expected[v][1], 0, 1}));
        EXPECT_EQ(std::vector<float>(record.begin() + 11, record.begin() + 15),
                  (std::vector<float>{expected[v][2], expected[v][3], expected[v][4], expected[v][5]}));
    }

    Managed<GeoStream> small(new GeoStream(&device, 5));
    EXPECT_THROW_MESSAGE(small->EmitQuad(0, 0, 0, 0), "GeoStream Vertex Overflow");
}

}  // namespace geo_stream_test
