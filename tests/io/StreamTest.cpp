#include "io/Stream.h"
#include "support/AllocationWatch.h"
#include "support/Expect.h"
#include "support/MemoryStream.h"

#include <bit>
#include <climits>
#include <functional>
#include <limits>

using namespace Nimbrel;

namespace stream_test {

using Nimbrel::Testing::MemoryStream;

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> bytes;
    for (int value : values)
        bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

std::vector<uint8_t> Bytes(const char* text, size_t length)
{
    return std::vector<uint8_t>(text, text + length);
}

TEST(Stream, BaseClassRefusesEveryByteOperation)
{
    IO::Stream stream;
    char byte = 0;
    EXPECT_FALSE(stream.IsReadable() || stream.IsWriteable() || stream.IsSeekable());
    EXPECT_THROW_MESSAGE(stream.Read(&byte, 1, 1), "Stream not readable");
    EXPECT_THROW_MESSAGE(stream.Write(&byte, 1, 1), "Stream not writeable");
    EXPECT_THROW_MESSAGE(stream.Seek(0, 0), "Stream not seekable");
    // The typed operations pass the refusal on rather than reporting a short read.
    EXPECT_THROW_MESSAGE(stream.ReadInt32(), "Stream not readable");
    EXPECT_THROW_MESSAGE(stream.WriteLine("x"), "Stream not writeable");
}

TEST(Stream, WritesLittleEndianLayouts)
{
    struct Case {
        const char* name;
        std::function<void(IO::Stream&)> write;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"int32 1", [](IO::Stream& s) { s.WriteInt32(1); }, Bytes({0x01, 0x00, 0x00, 0x00})},
        {"float 1.0", [](IO::Stream& s) { s.WriteFloat(1.0f); }, Bytes({0x00, 0x00, 0x80, 0x3F})},
        {"double 1.0", [](IO::Stream& s) { s.WriteDouble(1.0); },
         Bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F})},
        {"int8 -128", [](IO::Stream& s) { s.WriteInt8(-128); }, Bytes({0x80})},
        {"int16 -2", [](IO::Stream& s) { s.WriteInt16(-2); }, Bytes({0xFE, 0xFF})},
        {"uint16", [](IO::Stream& s) { s.WriteUInt16(0x1234); }, Bytes({0x34, 0x12})},
        {"uint32", [](IO::Stream& s) { s.WriteUInt32(0x12345678u); }, Bytes({0x78, 0x56, 0x34, 0x12})},
        {"int64", [](IO::Stream& s) { s.WriteInt64(0x0102030405060708); },
         Bytes({0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01})},
        {"values follow without gaps", [](IO::Stream& s) { s.WriteUInt8(0xAA); s.WriteUInt16(0xBBCC); },
         Bytes({0xAA, 0xCC, 0xBB})},
        {"string abc", [](IO::Stream& s) { s.WriteString("abc"); },
         Bytes({0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63})},
        {"empty string", [](IO::Stream& s) { s.WriteString(""); }, Bytes({0x00, 0x00, 0x00, 0x00})},
        {"text", [](IO::Stream& s) { s.WriteText("ab"); }, Bytes({0x61, 0x62})},
        {"line", [](IO::Stream& s) { s.WriteLine("ab"); }, Bytes({0x61, 0x62, 0x0A})},
    };
    for (const Case& c : cases) {
        MemoryStream stream;
        c.write(stream);
        EXPECT_EQ(stream.bytes, c.expected) << c.name;
    }
}

TEST(Stream, TypedValuesRoundTripAtTheirExtremes)
{
    using F = std::numeric_limits<float>;
    using D = std::numeric_limits<double>;
    const float floats[] = {F::lowest(), F::max(), F::denorm_min(), -0.0f, F::infinity(), F::quiet_NaN()};
    const double doubles[] = {D::lowest(), D::max(), D::denorm_min(), -0.0, -D::infinity(), D::quiet_NaN()};

    MemoryStream stream;
    stream.WriteInt8(INT8_MIN), stream.WriteInt8(INT8_MAX);
    stream.WriteUInt8(0), stream.WriteUInt8(UINT8_MAX);
    stream.WriteInt16(INT16_MIN), stream.WriteInt16(INT16_MAX);
    stream.WriteUInt16(0), stream.WriteUInt16(UINT16_MAX);
    stream.WriteInt32(INT32_MIN), stream.WriteInt32(INT32_MAX);
    stream.WriteUInt32(0), stream.WriteUInt32(UINT32_MAX);
    stream.WriteInt64(INT64_MIN), stream.WriteInt64(INT64_MAX);
    stream.WriteUInt64(0), stream.WriteUInt64(UINT64_MAX);
    for (float value : floats)
        stream.WriteFloat(value);
    for (double value : doubles)
        stream.WriteDouble(value);

    // Deliver at most three bytes per Read, as a pipe might: values must still arrive whole.
    stream.Seek(0, 0);
    stream.readChunk = 3;
    EXPECT_EQ(stream.ReadInt8(), INT8_MIN);
    EXPECT_EQ(stream.ReadInt8(), INT8_MAX);
    EXPECT_EQ(stream.ReadUInt8(), 0);
    EXPECT_EQ(stream.ReadUInt8(), UINT8_MAX);
    EXPECT_EQ(stream.ReadInt16(), INT16_MIN);
    EXPECT_EQ(stream.ReadInt16(), INT16_MAX);
    EXPECT_EQ(stream.ReadUInt16(), 0);
    EXPECT_EQ(stream.ReadUInt16(), UINT16_MAX);
    EXPECT_EQ(stream.ReadInt32(), INT32_MIN);
    EXPECT_EQ(stream.ReadInt32(), INT32_MAX);
    EXPECT_EQ(stream.ReadUInt32(), 0u);
    EXPECT_EQ(stream.ReadUInt32(), UINT32_MAX);
    EXPECT_EQ(stream.ReadInt64(), INT64_MIN);
    EXPECT_EQ(stream.ReadInt64(), INT64_MAX);
    EXPECT_EQ(stream.ReadUInt64(), 0u);
    EXPECT_EQ(stream.ReadUInt64(), UINT64_MAX);
    for (float value : floats)  // bit patterns, so -0 and NaN are compared exactly
        EXPECT_EQ(std::bit_cast<uint32_t>(stream.ReadFloat()), std::bit_cast<uint32_t>(value));
    for (double value : doubles)
        EXPECT_EQ(std::bit_cast<uint64_t>(stream.ReadDouble()), std::bit_cast<uint64_t>(value));
    EXPECT_EQ(stream.GetPosition(), stream.GetLength());
}

TEST(Stream, StringsRoundTripAndFixedFieldsStopAtZero)
{
    MemoryStream stream;
    stream.WriteString("abc");
    stream.WriteString(String("a\0b", 3));
    stream.WriteString("");
    stream.Seek(0, 0);
    EXPECT_EQ(stream.ReadString(), "abc");
    String embedded = stream.ReadString();
    EXPECT_EQ(embedded.Length(), 3);
    EXPECT_EQ(embedded, String("a\0b", 3));
    EXPECT_EQ(stream.ReadString(), "");

    MemoryStream fields(Bytes({0x41, 0x42, 0x00, 0x00, 0x00, 0x00, 'x', 'y', 'z'}));
    EXPECT_EQ(fields.ReadString(6), "AB");
    EXPECT_EQ(fields.GetPosition(), 6);
    EXPECT_EQ(fields.ReadString(3), "xyz");  // a full field needs no zero
    EXPECT_EQ(fields.ReadString(0), "");
}

TEST(Stream, ReadLineKeepsCarriageReturnAndFailsAtTheEnd)
{
    MemoryStream stream(Bytes("\nab\r\nc", 6));
    EXPECT_EQ(stream.ReadLine(), "");
    EXPECT_EQ(stream.ReadLine(), "ab\r");
    EXPECT_THROW_MESSAGE(stream.ReadLine(), "Reached end of stream before string was terminated");
}

TEST(Stream, ShortReadsThrowInsteadOfReturningPartialValues)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::function<void(IO::Stream&)> read;
        const char* message;
    };
    const Case cases[] = {
        {"int32 from 2 bytes", Bytes({1, 2}), [](IO::Stream& s) { s.ReadInt32(); },
         "Unable to read data from stream"},
        {"double from 7 bytes", Bytes({1, 2, 3, 4, 5, 6, 7}), [](IO::Stream& s) { s.ReadDouble(); },
         "Unable to read data from stream"},
        {"byte from nothing", {}, [](IO::Stream& s) { s.ReadUInt8(); }, "Unable to read data from stream"},
        {"truncated length", Bytes({3, 0}), [](IO::Stream& s) { s.ReadString(); },
         "Unable to read data from stream"},
        {"truncated string", Bytes({5, 0, 0, 0, 'a', 'b', 'c'}), [](IO::Stream& s) { s.ReadString(); },
         "Reached end of stream before string was terminated"},
        {"truncated field", Bytes({'a', 'b', 0, 0}), [](IO::Stream& s) { s.ReadString(6); },
         "Could not read specified amount of bytes"},
    };
    for (const Case& c : cases) {
        for (bool seekable : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.name << (seekable ? ", seekable" : ", not seekable"));
            MemoryStream stream(c.bytes);
            stream.seekable = seekable;
            EXPECT_THROW_MESSAGE(c.read(stream), c.message);
        }
    }
}

TEST(Stream, ShortWritesThrowInsteadOfLosingBytes)
{
    struct Case {
        const char* name;
        int accepted;
        std::function<void(IO::Stream&)> write;
    };
    const Case cases[] = {
        {"int32 into 2 bytes", 2, [](IO::Stream& s) { s.WriteInt32(7); }},
        {"double into 7 bytes", 7, [](IO::Stream& s) { s.WriteDouble(7.0); }},
        {"byte into nothing", 0, [](IO::Stream& s) { s.WriteUInt8(7); }},
        {"string length", 3, [](IO::Stream& s) { s.WriteString("abc"); }},
        {"string body", 5, [](IO::Stream& s) { s.WriteString("abc"); }},
        {"text", 2, [](IO::Stream& s) { s.WriteText("abc"); }},
        {"line feed", 3, [](IO::Stream& s) { s.WriteLine("abc"); }},
    };
    for (const Case& c : cases) {
        MemoryStream stream;
        stream.writeLimit = c.accepted;
        SCOPED_TRACE(c.name);
        EXPECT_THROW_MESSAGE(c.write(stream), "Unable to write data to stream");
    }
}

TEST(Stream, HostileStringLengthsThrowBeforeAllocating)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool seekable;
        std::function<void(IO::Stream&)> read;
        const char* message;
        int64_t largestRequest;  // the most the reader may ask the stream for in one call
    };
    auto tenBytesAfter = [](std::vector<uint8_t> prefix) {
        prefix.resize(prefix.size() + 10, 'x');
        return prefix;
    };
    const Case cases[] = {
        {"negative length", Bytes({0xFF, 0xFF, 0xFF, 0xFF}), true, [](IO::Stream& s) { s.ReadString(); },
         "Invalid string length -1", 4},
        {"huge length, seekable", tenBytesAfter(Bytes({0xFF, 0xFF, 0xFF, 0x7F})), true,
         [](IO::Stream& s) { s.ReadString(); }, "Reached end of stream before string was terminated", 4},
        {"huge length, not seekable", tenBytesAfter(Bytes({0xFF, 0xFF, 0xFF, 0x7F})), false,
         [](IO::Stream& s) { s.ReadString(); }, "Reached end of stream before string was terminated", 64 * 1024},
        {"negative field", tenBytesAfter({}), true, [](IO::Stream& s) { s.ReadString(-3); },
         "Invalid string length -3", 0},
        {"huge field, seekable", tenBytesAfter({}), true, [](IO::Stream& s) { s.ReadString(INT_MAX); },
         "Could not read specified amount of bytes", 0},
        {"huge field, not seekable", tenBytesAfter({}), false, [](IO::Stream& s) { s.ReadString(INT_MAX); },
         "Could not read specified amount of bytes", 64 * 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream stream(c.bytes);
        stream.seekable = c.seekable;
        Nimbrel::Testing::AllocationWatch watch;
        EXPECT_THROW_MESSAGE(c.read(stream), c.message);
        EXPECT_LE(stream.largestRequest, c.largestRequest);
        if (Nimbrel::Testing::AllocationWatch::Available()) {
            EXPECT_LT(watch.LargestAllocation(), 1u << 20);
        }
    }
    if (!Nimbrel::Testing::AllocationWatch::Available())
        GTEST_SKIP() << "allocation sizes are only watched under AddressSanitizer";
}

}  // namespace stream_test
