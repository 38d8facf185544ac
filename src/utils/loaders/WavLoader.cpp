#include "utils/loaders/WavLoader.h"

#include "core/Exception.h"
#include "io/Stream.h"
#include "utils/Resource.h"
#include "utils/audio/Clip.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace Nimbrel::Utils::Loaders {

namespace wav_loader_detail {

constexpr uint32_t Tag(const char (&text)[5])
{
    return static_cast<uint8_t>(text[0]) | (static_cast<uint8_t>(text[1]) << 8) |
           (static_cast<uint8_t>(text[2]) << 16) | (static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24);
}

constexpr uint16_t FormatPCM = 1;
constexpr uint16_t FormatFloat = 3;
constexpr uint16_t FormatExtensible = 0xFFFE;
// Bytes of the extension that carries the extensible format's sub-format code.
constexpr uint32_t ExtensionBytes = 10;
// Unseekable streams are skipped and read in pieces of this size.
constexpr int SkipPiece = 4096;

[[noreturn]] void Truncated()
{
    throw Exception("Invalid WAV-File! The file ends inside a header");
}

// Reads exactly `size` bytes or throws the truncation message.
void ReadExactly(IO::Stream& in, void* data, int size)
{
    auto* bytes = static_cast<uint8_t*>(data);
    int total = 0;
    while (total < size) {
        const int moved = in.Read(bytes + total, 1, size - total);
        if (moved <= 0 || moved > size - total)
            Truncated();
        total += moved;
    }
}

uint32_t ReadU32(IO::Stream& in)
{
    uint8_t b[4];
    ReadExactly(in, b, 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

uint16_t ReadU16(IO::Stream& in)
{
    uint8_t b[2];
    ReadExactly(in, b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

// Bytes left in the stream, or -1 when it cannot tell.
int64_t BytesLeft(IO::Stream& in)
{
    if (!in.IsSeekable())
        return -1;
    return std::max<int64_t>(0, static_cast<int64_t>(in.GetLength()) - in.GetPosition());
}

// Skips `count` bytes; past the end of a seekable stream it stops at the end.
void Skip(IO::Stream& in, int64_t count)
{
    if (in.IsSeekable()) {
        const int64_t target = std::min<int64_t>(in.GetPosition() + count, in.GetLength());
        in.Seek(0, static_cast<int>(target));
        return;
    }
    uint8_t piece[SkipPiece];
    while (count > 0) {
        const int want = static_cast<int>(std::min<int64_t>(count, SkipPiece));
        const int moved = in.Read(piece, 1, want);
        if (moved <= 0 || moved > want)
            return;
        count -= moved;
    }
}

struct Format {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

Format ReadFormat(IO::Stream& in)
{
    const uint32_t size = ReadU32(in);
    if (size < 16)
        throw Exception("Invalid WAV-File! FORMAT-header too short");
    Format format;
    format.tag = ReadU16(in);
    format.channels = ReadU16(in);
    ReadU32(in);  // the sample rate field: the rate is taken from the byte rate
    format.averageBytesPerSecond = ReadU32(in);
    format.blockAlign = ReadU16(in);
    format.bitsPerSample = ReadU16(in);
    uint32_t rest = size - 16;
    if (format.tag == FormatExtensible && rest >= ExtensionBytes + 2) {
        ReadU16(in);  // extension size
        ReadU16(in);  // valid bits per sample
        ReadU32(in);  // channel mask
        format.tag = ReadU16(in);  // the sub-format's first two bytes are the format code
        rest -= ExtensionBytes;
    }
    Skip(in, static_cast<int64_t>(rest) + (size & 1));

    const uint16_t bits = format.bitsPerSample;
    const bool pcm = format.tag == FormatPCM && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool floats = format.tag == FormatFloat && bits == 32;
    if (!pcm && !floats)
        throw Exception("Invalid WAV-File! Only 8-, 16-, 24- or 32-bit PCM and 32-bit float data are supported");
    if (format.channels < 1 || format.blockAlign != format.channels * format.bitsPerSample / 8)
        throw Exception("Invalid WAV-File! Channel count and block alignment do not match");
    if (format.averageBytesPerSecond / format.blockAlign < 1 || format.averageBytesPerSecond / format.blockAlign > INT_MAX)
        throw Exception("Invalid WAV-File! Invalid sample rate");
    return format;
}

// The sample data: a seekable stream is asked up front whether it holds that many bytes;
// any other stream is read piece by piece, so a lying size costs only what really arrives.
std::unique_ptr<uint8_t[]> ReadData(IO::Stream& in, uint32_t size)
{
    const int64_t left = BytesLeft(in);
    if (size > static_cast<uint32_t>(INT_MAX) || (left >= 0 && size > left))
        throw Exception("Invalid WAV-File! DATA-chunk larger than the file");
    std::unique_ptr<uint8_t[]> data;
    try {
        if (left >= 0) {
            data.reset(new uint8_t[size]);
            ReadExactly(in, data.get(), static_cast<int>(size));
            return data;
        }
        std::vector<uint8_t> bytes;
        uint8_t piece[SkipPiece];
        while (bytes.size() < size) {
            const int want = static_cast<int>(std::min<size_t>(size - bytes.size(), SkipPiece));
            const int moved = in.Read(piece, 1, want);
            if (moved <= 0 || moved > want)
                throw Exception("Invalid WAV-File! DATA-chunk larger than the file");
            bytes.insert(bytes.end(), piece, piece + moved);
        }
        data.reset(new uint8_t[size]);
        std::copy(bytes.begin(), bytes.end(), data.get());
    } catch (const std::bad_alloc&) {
        throw Exception("Invalid WAV-File! Not enough memory for the sample data");
    }
    return data;
}

// Signed 24- or 32-bit integer samples as 32-bit floats, -1 for the most negative value;
// a trailing partial sample is dropped. The floats replace `data`, and `size` becomes theirs.
void IntegersToFloats(std::unique_ptr<uint8_t[]>& data, uint32_t& size, int bytesPerSample)
{
    const uint64_t count = size / static_cast<uint32_t>(bytesPerSample);
    if (count * 4 > static_cast<uint64_t>(INT_MAX))
        throw Exception("Invalid WAV-File! DATA-chunk too large for a clip");
    std::unique_ptr<uint8_t[]> floats;
    try {
        floats.reset(new uint8_t[count * 4]);
    } catch (const std::bad_alloc&) {
        throw Exception("Invalid WAV-File! Not enough memory for the sample data");
    }
    // A 24-bit sample is moved into the top three bytes, where it converts without rounding.
    const uint8_t* in = data.get();
    for (uint64_t i = 0; i < count; ++i, in += bytesPerSample) {
        uint32_t bits = in[0] | (in[1] << 8) | (static_cast<uint32_t>(in[2]) << 16);
        bits = bytesPerSample == 3 ? bits << 8 : bits | static_cast<uint32_t>(in[3]) << 24;
        const float sample = static_cast<float>(static_cast<int32_t>(bits)) * (1.0f / 2147483648.0f);
        std::memcpy(floats.get() + i * 4, &sample, 4);
    }
    data = std::move(floats);
    size = static_cast<uint32_t>(count * 4);
}

}  // namespace wav_loader_detail

Object* WavLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    using namespace wav_loader_detail;
    Resource<IO::Stream, ResourceType::InputStream> file(proxy, descriptor);
    IO::Stream& in = *file;
    // The stream is the proxy's cached one, which others may have read.
    if (in.IsSeekable())
        in.Seek(0, 0);

    if (ReadU32(in) != Tag("RIFF"))
        throw Exception("Invalid WAV-File! RIFF-header not found");
    const int64_t riffEnd = 8 + static_cast<int64_t>(ReadU32(in));
    if (ReadU32(in) != Tag("WAVE"))
        throw Exception("Invalid WAV-File! WAVE-header not found");
    if ((ReadU32(in) & 0x00FFFFFFu) != (Tag("fmt ") & 0x00FFFFFFu))
        throw Exception("Invalid WAV-File! FORMAT-header not found");
    const Format format = ReadFormat(in);

    // Chunk headers are looked for up to the end of the RIFF chunk or of the file, whichever
    // comes first; a stream that cannot tell its end stops at the first short header.
    const int64_t left = BytesLeft(in);
    const int64_t end = left < 0 ? riffEnd : std::min(riffEnd, in.GetPosition() + left);
    for (;;) {
        if (left >= 0 && in.GetPosition() + 8 > end)
            throw Exception("Invalid WAV-File! DATA-chunk not found");
        uint32_t id, size;
        try {
            id = ReadU32(in);
            size = ReadU32(in);
        } catch (const Exception&) {
            throw Exception("Invalid WAV-File! DATA-chunk not found");
        }
        if (id == Tag("data")) {
            std::unique_ptr<uint8_t[]> data = ReadData(in, size);
            const int rate = static_cast<int>(format.averageBytesPerSecond / format.blockAlign);
            int width = format.bitsPerSample;
            if (format.tag == FormatPCM && width > 16) {
                IntegersToFloats(data, size, width / 8);
                width = 32;
            }
            return new Audio::Clip(static_cast<int>(size), format.channels, width, rate, std::move(data));
        }
        Skip(in, static_cast<int64_t>(size) + (size & 1));
    }
}

}  // namespace Nimbrel::Utils::Loaders
