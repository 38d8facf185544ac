#include "utils/BufferStream.h"
#include "support/Expect.h"

#include <climits>
#include <cstring>
#include <vector>

using namespace Nimbrel;

namespace buffer_stream_test {

Managed<Utils::BufferStream> StreamOver(const std::vector<uint8_t>& bytes)
{
    Managed<IO::Buffer> buffer(new IO::Buffer(static_cast<int64_t>(bytes.size())));
    if (!bytes.empty())
        std::memcpy(buffer->Data(), bytes.data(), bytes.size());
    return Managed<Utils::BufferStream>(new Utils::BufferStream(buffer.Get()));
}

// Lets a test see when the stream lets go of its buffer.
struct TrackedBuffer : IO::Buffer {
    TrackedBuffer(int size, bool& destroyed) : IO::Buffer(size), destroyed(destroyed) {}
    ~TrackedBuffer() override { destroyed = true; }
    bool& destroyed;
};

TEST(BufferStream, IsAReadOnlySeekableViewOfItsBuffer)
{
    auto stream = StreamOver({1, 2, 3});
    EXPECT_TRUE(stream->IsReadable());
    EXPECT_TRUE(stream->IsSeekable());
    EXPECT_FALSE(stream->IsWriteable());
    EXPECT_EQ(stream->GetLength(), 3);
    EXPECT_THROW_MESSAGE(stream->Write("x", 1, 1), "Stream not writeable");
    EXPECT_THROW_MESSAGE(StreamOver({})->WriteInt32(1), "Stream not writeable");
    EXPECT_THROW_MESSAGE(Utils::BufferStream(nullptr), "BufferStream: No buffer given");
}

TEST(BufferStream, ReadCountsBytesAndStopsAtTheEnd)
{
    std::vector<uint8_t> bytes(10);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i);
    auto stream = StreamOver(bytes);
    uint8_t out[16] = {};

    EXPECT_EQ(stream->Read(out, 2, 3), 6);
    EXPECT_EQ(out[5], 5);
    EXPECT_EQ(stream->GetPosition(), 6);
    EXPECT_EQ(stream->Read(out, 0, 5), 0);
    EXPECT_EQ(stream->Read(out, -1, 4), 0);  // a negative request moves nothing
    EXPECT_EQ(stream->Read(out, 4, 4), 4);   // cut to what is left
    EXPECT_EQ(out[3], 9);
    EXPECT_EQ(stream->Read(out, 1, 1), 0);   // at the end: 0, not an exception
    EXPECT_EQ(stream->GetPosition(), 10);

    // size x count beyond 32 bits must not wrap into a small or negative request.
    stream->Seek(0, 8);
    EXPECT_EQ(stream->Read(out, 65536, 65536), 2);
    stream->Seek(0, 8);
    EXPECT_EQ(stream->Read(out, INT_MAX, -INT_MAX), 0);
    EXPECT_EQ(stream->GetPosition(), 8);
}

TEST(BufferStream, SeekIsClampedToTheBuffer)
{
    struct Case {
        int start, origin, offset, expected;
    };
    const Case cases[] = {
        {0, 2, -4, 6},        {0, 0, 20, 10},       {5, 1, -30, 0},      {5, 1, 3, 8},
        {0, 0, -1, 0},        {5, 7, 3, 5},         {5, 1, INT_MAX, 10}, {5, 1, INT_MIN, 0},
        {0, 2, INT_MAX, 10},  {0, 2, INT_MIN, 0},
    };
    auto stream = StreamOver(std::vector<uint8_t>(10));
    for (const Case& c : cases) {
        stream->Seek(0, c.start);
        EXPECT_EQ(stream->Seek(c.origin, c.offset), c.expected)
            << "from " << c.start << ", origin " << c.origin << ", offset " << c.offset;
        EXPECT_EQ(stream->GetPosition(), c.expected);
    }
}

TEST(BufferStream, TypedReadsNeedTheWholeValue)
{
    auto fields = StreamOver({0x41, 0x42, 0x00, 0x00, 0x00, 0x00, 0x07, 0x00});
    EXPECT_EQ(fields->ReadString(6), "AB");
    EXPECT_EQ(fields->GetPosition(), 6);
    // Two bytes left: a 4-byte value is refused rather than assembled from half its bytes.
    EXPECT_THROW_MESSAGE(fields->ReadInt32(), "Unable to read data from stream");
    fields->Seek(0, 6);
    EXPECT_EQ(fields->ReadInt16(), 7);
    EXPECT_THROW_MESSAGE(fields->ReadUInt8(), "Unable to read data from stream");
}

TEST(BufferStream, HoldsItsBufferUntilDestroyed)
{
    bool destroyed = false;
    auto* buffer = new TrackedBuffer(4, destroyed);
    std::memcpy(buffer->Data(), "\x01\x02\x03\x04", 4);
    auto* stream = new Utils::BufferStream(buffer);
    EXPECT_EQ(buffer->GetRefCount(), 2);
    buffer->Release();  // the creator lets go; the stream still reads
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(stream->ReadUInt32(), 0x04030201u);
    stream->Release();
    EXPECT_TRUE(destroyed);
}

}  // namespace buffer_stream_test
