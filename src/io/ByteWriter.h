#pragma once
// IO::ByteWriter: a growing block of bytes that values are appended to in little-endian
// order (integers two's complement, floats IEEE 754), the counterpart of ByteReader.
//
// A value can also be written over bytes already written (a size known only once what it
// measures is written); that position must lie wholly within the block, or it throws.

#include "core/String.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Nimbrel::IO {

class ByteWriter {
public:
    void U8(uint8_t value);
    void U16(uint16_t value);
    void U32(uint32_t value);
    void U64(uint64_t value);
    void I8(int8_t value) { U8(static_cast<uint8_t>(value)); }
    void I16(int16_t value) { U16(static_cast<uint16_t>(value)); }
    // The low three bytes of the value.
    void I24(int32_t value);
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void I64(int64_t value) { U64(static_cast<uint64_t>(value)); }
    void F32(float value);
    void F64(double value);
    void Bytes(const void* data, size_t count);
    // A signed 32-bit byte count and the string's bytes.
    void Text(const String& text);

    // Overwrites four bytes at `position` with the value.
    void U32At(size_t position, uint32_t value);

    const uint8_t* Data() const { return bytes.data(); }
    size_t Size() const { return bytes.size(); }

private:
    void Append(uint64_t value, size_t count);

    std::vector<uint8_t> bytes;
};

}  // namespace Nimbrel::IO
