#pragma once
// Puts right the checksum of every whole Ogg page in a byte buffer, for the custom mutators
// of the targets that read Ogg: a mutation anywhere in a page would otherwise fail the page's
// check, and the decoder behind it would never see the mutated bytes. The checksum itself is
// libogg's. Bytes between pages (where a mutation broke a capture pattern) are skipped to the
// next "OggS", as the decoder does; a page cut off by the end of the buffer is left alone.

#include <ogg/ogg.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Nimbrel::Fuzzing {

inline void SetOggPageChecksums(uint8_t* data, size_t size)
{
    constexpr size_t FixedHeader = 27;
    size_t at = 0;
    while (at + FixedHeader <= size) {
        if (std::memcmp(data + at, "OggS", 4) != 0) {
            ++at;
            continue;
        }
        const size_t segments = data[at + 26];
        const size_t headerLength = FixedHeader + segments;
        if (at + headerLength > size)
            return;
        size_t bodyLength = 0;
        for (size_t i = 0; i < segments; ++i)
            bodyLength += data[at + FixedHeader + i];
        if (at + headerLength + bodyLength > size)
            return;
        ogg_page page{};
        page.header = data + at;
        page.header_len = static_cast<long>(headerLength);
        page.body = data + at + headerLength;
        page.body_len = static_cast<long>(bodyLength);
        ogg_page_checksum_set(&page);
        at += headerLength + bodyLength;
    }
}

}  // namespace Nimbrel::Fuzzing
