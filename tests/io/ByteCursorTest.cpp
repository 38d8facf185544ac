// The byte reader and writer: every value in little-endian order both ways, and a reader
// that refuses to go past its bytes with the caller's prefix on the message.
#include "io/Buffer.h"
#include "io/ByteReader.h"
#include "io/ByteWriter.h"
#include "support/Expect.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

using namespace Nimbrel;

namespace byte_cursor_test {

using Bytes = std::vector<uint8_t>;

Bytes Written(const IO::ByteWriter& writer)
{
    return Bytes(writer.Data(), writer.Data() + writer.Size());
}

}  // namespace byte_cursor_test

TEST(ByteCursor, EachValueIsWrittenAndReadLittleEndian)
{
    using byte_cursor_test::Bytes;
    struct Case {
        const char* what;
        Bytes bytes;
        std::function<void(IO::ByteWriter&)> write;
        std::function<int64_t(IO::ByteReader&)> read;
        int64_t expected;
    };
    const Case cases[] = {
        {"u8", {0xFE}, [](IO::ByteWriter& w) { w.U8(0xFE); }, [](IO::ByteReader& r) { return r.U8(); }, 0xFE},
        {"i8", {0xFE}, [](IO::ByteWriter& w) { w.I8(-2); }, [](IO::ByteReader& r) { return r.I8(); }, -2},
        {"u16", {0x34, 0x12}, [](IO::ByteWriter& w) { w.U16(0x1234); }, [](IO::ByteReader& r) { return r.U16(); }, 0x1234},
        {"u16 high bit", {0x01, 0x80}, [](IO::ByteWriter& w) { w.U16(0x8001); }, [](IO::ByteReader& r) { return r.U16(); },
         0x8001},
        {"i16", {0x00, 0x80}, [](IO::ByteWriter& w) { w.I16(INT16_MIN); }, [](IO::ByteReader& r) { return r.I16(); },
         INT16_MIN},
        {"i24 largest", {0xFF, 0xFF, 0x7F}, [](IO::ByteWriter& w) { w.I24(8388607); },
         [](IO::ByteReader& r) { return r.I24(); }, 8388607},
        {"i24 smallest", {0x00, 0x00, 0x80}, [](IO::ByteWriter& w) { w.I24(-8388608); },
         [](IO::ByteReader& r) { return r.I24(); }, -8388608},
        {"i24 minus one", {0xFF, 0xFF, 0xFF}, [](IO::ByteWriter& w) { w.I24(-1); },
         [](IO::ByteReader& r) { return r.I24(); }, -1},
        {"u32", {0x04, 0x03, 0x02, 0xF1}, [](IO::ByteWriter& w) { w.U32(0xF1020304u); },
         [](IO::ByteReader& r) { return r.U32(); }, 0xF1020304u},
        {"i32", {0xFE, 0xFF, 0xFF, 0xFF}, [](IO::ByteWriter& w) { w.I32(-2); }, [](IO::ByteReader& r) { return r.I32(); }, -2},
        {"u64", {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}, [](IO::ByteWriter& w) { w.U64(0x0102030405060708u); },
         [](IO::ByteReader& r) { return int64_t(r.U64()); }, 0x0102030405060708},
        {"i64", {0x00, 0, 0, 0, 0, 0, 0, 0x80}, [](IO::ByteWriter& w) { w.I64(INT64_MIN); },
         [](IO::ByteReader& r) { return r.I64(); }, INT64_MIN},
        // -2.5 is 0xC0200000 as a float, 0xC004000000000000 as a double.
        {"f32", {0x00, 0x00, 0x20, 0xC0}, [](IO::ByteWriter& w) { w.F32(-2.5f); },
         [](IO::ByteReader& r) { return int64_t(r.F32() * 2); }, -5},
        {"f64", {0, 0, 0, 0, 0, 0, 0x04, 0xC0}, [](IO::ByteWriter& w) { w.F64(-2.5); },
         [](IO::ByteReader& r) { return int64_t(r.F64() * 2); }, -5},
    };
    for (const Case& c : cases) {
        IO::ByteWriter writer;
        c.write(writer);
        EXPECT_EQ(byte_cursor_test::Written(writer), c.bytes) << c.what;

        // Behind a leading byte, so nothing depends on the value being aligned.
        Bytes shifted = {0xAA};
        shifted.insert(shifted.end(), c.bytes.begin(), c.bytes.end());
        IO::ByteReader reader(shifted.data(), shifted.size());
        EXPECT_EQ(reader.U8(), 0xAA);
        EXPECT_EQ(c.read(reader), c.expected) << c.what;
        EXPECT_TRUE(reader.AtEnd()) << c.what;

        // One byte short: the read throws and the cursor stays put.
        IO::ByteReader shortReader(c.bytes.data(), c.bytes.size() - 1, "Short: ");
        EXPECT_THROW(c.read(shortReader), Exception) << c.what;
        EXPECT_EQ(shortReader.Position(), 0u) << c.what;
    }
}

TEST(ByteCursor, ReadsPastTheEndThrowWithTheCallersPrefixAndMoveNothing)
{
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
    IO::ByteReader reader(bytes, sizeof bytes, "Format X: ");
    EXPECT_EQ(reader.Size(), 6u);
    reader.Skip(2);
    EXPECT_EQ(reader.Position(), 2u);
    EXPECT_EQ(reader.Remaining(), 4u);
    EXPECT_THROW_MESSAGE(reader.U64(), "Format X: The data ends early: 8 bytes wanted at byte 2 of 6");
    EXPECT_THROW_MESSAGE(reader.Bytes(5), "Format X: The data ends early: 5 bytes wanted at byte 2 of 6");
    // A count near the top of the range must not wrap around into a small one.
    EXPECT_THROW(reader.Bytes(SIZE_MAX), Exception);
    EXPECT_THROW(reader.Skip(SIZE_MAX - 1), Exception);
    EXPECT_EQ(reader.Position(), 2u);
    const uint8_t* rest = reader.Bytes(4);
    EXPECT_EQ(rest, bytes + 2);
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.Bytes(0), bytes + 6);
    EXPECT_THROW_MESSAGE(reader.U8(), "Format X: The data ends early: 1 bytes wanted at byte 6 of 6");

    reader.Seek(1);
    EXPECT_EQ(reader.U16(), 0x0302);
    EXPECT_THROW_MESSAGE(reader.Seek(7), "Format X: Position 7 is past the end of the data (6 bytes)");
    EXPECT_EQ(reader.Position(), 3u);

    IO::ByteReader empty(nullptr, 10);
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_THROW_MESSAGE(empty.U8(), "The data ends early: 1 bytes wanted at byte 0 of 0");
}

TEST(ByteCursor, ReadsABufferAndPatchesWhatWasWritten)
{
    IO::Buffer buffer(3);
    std::memcpy(buffer.Data(), "\x10\x20\x30", 3);
    IO::ByteReader reader(buffer);
    EXPECT_EQ(reader.Remaining(), 3u);
    EXPECT_EQ(reader.I24(), 0x302010);

    IO::ByteWriter writer;
    writer.U32(0);
    writer.Bytes("abc", 3);
    writer.Bytes(nullptr, 0);
    writer.U32At(0, uint32_t(writer.Size()));
    EXPECT_EQ(byte_cursor_test::Written(writer), (byte_cursor_test::Bytes{7, 0, 0, 0, 'a', 'b', 'c'}));
    writer.U32At(3, 0x44332211u);
    EXPECT_EQ(byte_cursor_test::Written(writer), (byte_cursor_test::Bytes{7, 0, 0, 0x11, 0x22, 0x33, 0x44}));
    EXPECT_THROW_MESSAGE(writer.U32At(4, 1), "ByteWriter: Four bytes at 4 do not fit in the 7 written");
    EXPECT_THROW(writer.U32At(SIZE_MAX, 1), Exception);
    EXPECT_EQ(writer.Size(), 7u);
}
