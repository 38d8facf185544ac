#include "io/ByteReader.h"

#include "core/Exception.h"
#include "io/Buffer.h"

#include <bit>

namespace Nimbrel::IO {

ByteReader::ByteReader(const void* data, size_t size, const String& prefix)
    : data(static_cast<const uint8_t*>(data)), size(data ? size : 0), prefix(prefix)
{
}

ByteReader::ByteReader(const Buffer& buffer, const String& prefix)
    : ByteReader(buffer.Data(), static_cast<size_t>(buffer.GetSize()), prefix)
{
}

const uint8_t* ByteReader::Take(size_t count)
{
    if (count > Remaining())
        throw Exception(prefix + String::Format("The data ends early: %zu bytes wanted at byte %zu of %zu", count,
                                                position, size));
    const uint8_t* start = data + position;
    position += count;
    return start;
}

// Assembled byte by byte, so the host's byte order and alignment do not matter.
template <class T>
T ByteReader::Unsigned()
{
    const uint8_t* bytes = Take(sizeof(T));
    T value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value = static_cast<T>(value | static_cast<T>(static_cast<T>(bytes[i]) << (8 * i)));
    return value;
}

uint8_t ByteReader::U8() { return Unsigned<uint8_t>(); }
uint16_t ByteReader::U16() { return Unsigned<uint16_t>(); }
uint32_t ByteReader::U32() { return Unsigned<uint32_t>(); }
uint64_t ByteReader::U64() { return Unsigned<uint64_t>(); }
int8_t ByteReader::I8() { return static_cast<int8_t>(U8()); }
int16_t ByteReader::I16() { return static_cast<int16_t>(U16()); }
int32_t ByteReader::I32() { return static_cast<int32_t>(U32()); }
int64_t ByteReader::I64() { return static_cast<int64_t>(U64()); }
float ByteReader::F32() { return std::bit_cast<float>(U32()); }
double ByteReader::F64() { return std::bit_cast<double>(U64()); }

int32_t ByteReader::I24()
{
    const uint8_t* bytes = Take(3);
    uint32_t bits = bytes[0] | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16);
    // Moved to the top of 32 bits and shifted back arithmetically for the sign.
    return static_cast<int32_t>(bits << 8) >> 8;
}

String ByteReader::Text()
{
    int32_t length = I32();
    if (length < 0 || static_cast<size_t>(length) > Remaining())
        throw Exception(prefix + String::Format("Invalid string length %d at byte %zu", length, position - 4));
    return String(reinterpret_cast<const char*>(Bytes(static_cast<size_t>(length))), length);
}

int32_t ByteReader::Count(const char* what, size_t itemBytes)
{
    int32_t count = I32();
    if (count < 0 || static_cast<uint64_t>(count) * itemBytes > Remaining())
        throw Exception(prefix + String::Format("Invalid %s %d at byte %zu", what, count, position - 4));
    return count;
}

const uint8_t* ByteReader::Bytes(size_t count)
{
    return Take(count);
}

void ByteReader::Skip(size_t count)
{
    Take(count);
}

void ByteReader::Seek(size_t target)
{
    if (target > size)
        throw Exception(prefix + String::Format("Position %zu is past the end of the data (%zu bytes)", target, size));
    position = target;
}

}  // namespace Nimbrel::IO
