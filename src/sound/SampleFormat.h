#pragma once
// One PCM sample as a float: the sample formats that clips and sound buffers hold.
//
//   8 bits:  unsigned, 128 is silence:     (byte - 128) / 128, so 0 → -1 and 255 → 127/128
//   16 bits: signed little-endian:         value / 32768, so -32768 → -1 and 32767 → 32767/32768
//   32 bits: IEEE 754 float, little-endian: the float itself
//
// Inline and allocation-free: the mixer calls it for every sample it reads.

#include <bit>
#include <cstdint>

namespace Nimbrel::Sound {

// `bitsPerSample` is 8, 16 or 32; any other width is read as 32-bit float, so the caller
// checks the width once, before its loop.
inline float DecodeSample(const uint8_t* bytes, int bitsPerSample)
{
    switch (bitsPerSample) {
    case 8:
        return (static_cast<int>(bytes[0]) - 128) / 128.0f;
    case 16:
        return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8))) / 32768.0f;
    default:
        return std::bit_cast<float>(static_cast<uint32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                                          (static_cast<uint32_t>(bytes[3]) << 24)));
    }
}

}  // namespace Nimbrel::Sound
