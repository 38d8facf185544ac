#pragma once
// Puts right the checksum of every whole chunk of a PNG file in a byte buffer, for the custom
// mutator of the PNG target: libpng checks each chunk's checksum, so a mutation inside a
// chunk would otherwise only ever test that check. The checksum is zlib's CRC-32 over the
// chunk's type and data, as the format defines it. The walk starts after the 8-byte
// signature and stops at a chunk cut off by the end of the buffer.

#include <zlib.h>

#include <cstddef>
#include <cstdint>

namespace Nimbrel::Fuzzing {

inline void SetPngChunkChecksums(uint8_t* data, size_t size)
{
    size_t at = 8;
    while (at + 12 <= size) {
        const uint64_t length = uint64_t(data[at]) << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3];
        if (length > size - at - 12)
            return;
        const uint8_t* typed = data + at + 4;
        const uLong checksum = crc32(crc32(0, nullptr, 0), typed, static_cast<uInt>(4 + length));
        uint8_t* stored = data + at + 8 + length;
        for (int i = 0; i < 4; ++i)
            stored[i] = static_cast<uint8_t>(checksum >> (24 - 8 * i));
        at += 12 + length;
    }
}

}  // namespace Nimbrel::Fuzzing
