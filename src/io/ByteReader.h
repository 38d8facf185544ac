#pragma once
// IO::ByteReader: a cursor over a block of bytes in memory, reading little-endian values
// (integers two's complement, floats IEEE 754) whatever the host's byte order.
//
// Every read is checked against the bytes left: a read that does not fit throws an Exception
// and leaves the position where it was. The message starts with the prefix the reader was
// made with ("SyncData::Load(): ", "Invalid WAV-File! "), so each format names itself.
// The reader does not own the bytes; they must outlive it.

#include "core/String.h"

#include <cstddef>
#include <cstdint>

namespace Nimbrel::IO {

class Buffer;

class ByteReader {
public:
    ByteReader(const void* data, size_t size, const String& prefix = String());
    explicit ByteReader(const Buffer& buffer, const String& prefix = String());

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    int8_t I8();
    int16_t I16();
    // Three bytes, sign-extended.
    int32_t I24();
    int32_t I32();
    int64_t I64();
    float F32();
    double F64();

    // A string: a signed 32-bit byte count and that many bytes. Throws "Invalid string length"
    // when the count is negative or more than the bytes left.
    String Text();
    // A count of items that take at least itemBytes each, checked against the bytes left so
    // nothing is allocated for data the block does not hold: throws "Invalid <what>" for a
    // negative count or one that cannot fit.
    int32_t Count(const char* what, size_t itemBytes);

    // The next `count` bytes, in place; the cursor moves past them.
    const uint8_t* Bytes(size_t count);
    void Skip(size_t count);
    // Moves the cursor to an absolute position within the block.
    void Seek(size_t position);

    size_t Position() const { return position; }
    size_t Remaining() const { return size - position; }
    size_t Size() const { return size; }
    bool AtEnd() const { return position == size; }
    const String& GetPrefix() const { return prefix; }

private:
    // Checks that `count` bytes are left and returns where they start.
    const uint8_t* Take(size_t count);
    template <class T>
    T Unsigned();

    const uint8_t* data;
    size_t size;
    size_t position = 0;
    String prefix;
};

}  // namespace Nimbrel::IO
