#include "io/ByteWriter.h"

#include "core/Exception.h"

#include <bit>

namespace Nimbrel::IO {

// Split byte by byte, so the host's byte order does not matter.
void ByteWriter::Append(uint64_t value, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void ByteWriter::Text(const String& text)
{
    I32(text.Length());
    Bytes(text.CStr(), static_cast<size_t>(text.Length()));
}

void ByteWriter::U8(uint8_t value) { Append(value, 1); }
void ByteWriter::U16(uint16_t value) { Append(value, 2); }
void ByteWriter::U32(uint32_t value) { Append(value, 4); }
void ByteWriter::U64(uint64_t value) { Append(value, 8); }
void ByteWriter::I24(int32_t value) { Append(static_cast<uint32_t>(value), 3); }
void ByteWriter::F32(float value) { U32(std::bit_cast<uint32_t>(value)); }
void ByteWriter::F64(double value) { U64(std::bit_cast<uint64_t>(value)); }

void ByteWriter::Bytes(const void* data, size_t count)
{
    const auto* first = static_cast<const uint8_t*>(data);
    if (count > 0)
        bytes.insert(bytes.end(), first, first + count);
}

void ByteWriter::U32At(size_t position, uint32_t value)
{
    if (position > bytes.size() || bytes.size() - position < 4)
        throw Exception(String::Format("ByteWriter: Four bytes at %zu do not fit in the %zu written", position,
                                       bytes.size()));
    for (size_t i = 0; i < 4; ++i)
        bytes[position + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace Nimbrel::IO
