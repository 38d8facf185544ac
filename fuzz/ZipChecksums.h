#pragma once
// Puts right the checksum of every entry of a zip archive in a byte buffer, for the custom
// mutator of the zip target: the reader checks each entry's data against the checksum of its
// directory record and of its local header, so a mutation of the data would otherwise only
// ever test that check.
//
// Every central directory record found (by its signature, anywhere in the buffer) leads to
// its local header; the checksum of what the entry's data gives (stored: the bytes; deflated:
// what zlib inflates from them, up to the size the record claims) is written into both. An
// entry whose record or header lies outside the buffer, or whose sizes stand in a Zip64
// field, keeps the checksum it has.

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Nimbrel::Fuzzing {

namespace zip_checksums_detail {

inline uint32_t Get32(const uint8_t* at)
{
    return at[0] | at[1] << 8 | at[2] << 16 | uint32_t(at[3]) << 24;
}
inline uint16_t Get16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}
inline void Put32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The checksum of what `size` raw deflate bytes inflate to, up to `limit` bytes of output.
inline uint32_t InflatedChecksum(const uint8_t* data, size_t size, uint32_t limit)
{
    z_stream inflater{};
    if (inflateInit2(&inflater, -MAX_WBITS) != Z_OK)
        return 0;
    uLong checksum = crc32(0, nullptr, 0);
    std::vector<uint8_t> out(1 << 16);
    inflater.next_in = const_cast<uint8_t*>(data);
    inflater.avail_in = static_cast<uInt>(size);
    uint32_t left = limit;
    while (left > 0) {
        inflater.next_out = out.data();
        inflater.avail_out = static_cast<uInt>(std::min<size_t>(out.size(), left));
        const uInt before = inflater.avail_out;
        const int status = inflate(&inflater, Z_NO_FLUSH);
        const uInt made = before - inflater.avail_out;
        checksum = crc32(checksum, out.data(), made);
        left -= made;
        if (status != Z_OK || made == 0)
            break;
    }
    inflateEnd(&inflater);
    return static_cast<uint32_t>(checksum);
}

}  // namespace zip_checksums_detail

inline void SetZipChecksums(uint8_t* data, size_t size)
{
    using namespace zip_checksums_detail;
    constexpr size_t CentralRecord = 46;
    constexpr size_t LocalHeader = 30;
    constexpr uint32_t Unknown32 = 0xFFFFFFFFu;
    for (size_t at = 0; at + CentralRecord <= size; ++at) {
        if (Get32(data + at) != 0x02014b50)
            continue;
        const uint8_t* record = data + at;
        const uint16_t method = Get16(record + 10);
        const uint32_t compressed = Get32(record + 20);
        const uint32_t uncompressed = Get32(record + 24);
        const size_t local = Get32(record + 42);
        if (compressed == Unknown32 || uncompressed == Unknown32 || local + LocalHeader > size ||
            Get32(data + local) != 0x04034b50)
            continue;
        const size_t start = local + LocalHeader + Get16(data + local + 26) + Get16(data + local + 28);
        if (start > size)
            continue;
        const size_t available = std::min<size_t>(compressed, size - start);
        uint32_t checksum;
        if (method == 0)
            checksum = static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), data + start,
                                                   static_cast<uInt>(std::min<size_t>(available, uncompressed))));
        else if (method == Z_DEFLATED)
            checksum = InflatedChecksum(data + start, available, uncompressed);
        else
            continue;
        Put32(data + at + 16, checksum);
        Put32(data + local + 14, checksum);
    }
}

}  // namespace Nimbrel::Fuzzing
