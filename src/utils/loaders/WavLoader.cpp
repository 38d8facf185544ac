#include "utils/loaders/WavLoader.h"

#include "core/Exception.h"
#include "io/ByteReader.h"
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

// The prefix of every message, also given to the byte readers.
constexpr const char* Prefix = "Invalid WAV-File! ";

constexpr uint16_t FormatPCM = 1;
constexpr uint16_t FormatFloat = 3;
constexpr uint16_t FormatExtensible = 0xFFFE;
// Bytes of the extension that carries the extensible format's sub-format code.
constexpr uint32_t ExtensionBytes = 10;
// Unseekable streams are skipped and read in pieces of this size.
constexpr int SkipPiece = 4096;
// The most of a format chunk that is read; the fields used all lie well within it.
constexpr uint32_t FormatCap = 64;

[[noreturn]] void Fail(const char* message)
{
    throw Exception(String(Prefix) + message);
}

// Reads exactly `size` bytes or throws the truncation message.
void ReadExactly(IO::Stream& in, void* data, int size)
{
    auto* bytes = static_cast<uint8_t*>(data);
    int total = 0;
    while (total < size) {
        const int moved = in.Read(bytes + total, 1, size - total);
        if (moved <= 0 || moved > size - total)
            Fail("The file ends inside a header");
        total += moved;
    }
}

// The four-character code at `id` is `tag`, compared over its first `length` bytes.
bool IsTag(const uint8_t* id, const char (&tag)[5], size_t length = 4)
{
    return std::memcmp(id, tag, length) == 0;
}

// An eight-byte chunk header: the code and the size of the body that follows.
struct ChunkHeader {
    uint8_t id[4];
    uint32_t size;
};

ChunkHeader ReadChunkHeader(IO::Stream& in)
{
    uint8_t bytes[8];
    ReadExactly(in, bytes, 8);
    IO::ByteReader reader(bytes, sizeof bytes, Prefix);
    ChunkHeader header;
    std::memcpy(header.id, reader.Bytes(4), 4);
    header.size = reader.U32();
    return header;
}

// Bytes left in the stream, or -1 when it cannot tell.
int64_t BytesLeft(IO::Stream& in)
{
    if (!in.IsSeekable())
        return -1;
    return std::max<int64_t>(0, static_cast<int64_t>(in.GetLength()) - in.GetPosition());
}

// Reads up to `count` bytes in pieces, handing each to `take`, until the count or the stream
// ends; returns how many bytes came.
template <class Take>
int64_t ReadPieces(IO::Stream& in, int64_t count, Take take)
{
    uint8_t piece[SkipPiece];
    int64_t total = 0;
    while (total < count) {
        const int want = static_cast<int>(std::min<int64_t>(count - total, SkipPiece));
        const int moved = in.Read(piece, 1, want);
        if (moved <= 0 || moved > want)
            break;
        take(piece, moved);
        total += moved;
    }
    return total;
}

// Skips `count` bytes; past the end of a stream it stops at the end.
void Skip(IO::Stream& in, int64_t count)
{
    if (in.IsSeekable()) {
        const int64_t target = std::min<int64_t>(in.GetPosition() + count, in.GetLength());
        in.Seek(0, static_cast<int>(target));
        return;
    }
    ReadPieces(in, count, [](const uint8_t*, int) {});
}

struct Format {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

// The body of the format chunk, `size` bytes long; what lies past the cap is skipped.
Format ReadFormat(IO::Stream& in, uint32_t size)
{
    if (size < 16)
        Fail("FORMAT-header too short");
    uint8_t bytes[FormatCap];
    const uint32_t kept = std::min(size, FormatCap);
    ReadExactly(in, bytes, static_cast<int>(kept));
    Skip(in, static_cast<int64_t>(size - kept) + (size & 1));

    IO::ByteReader reader(bytes, kept, Prefix);
    Format format;
    format.tag = reader.U16();
    format.channels = reader.U16();
    reader.U32();  // the sample rate field: the rate is taken from the byte rate
    format.averageBytesPerSecond = reader.U32();
    format.blockAlign = reader.U16();
    format.bitsPerSample = reader.U16();
    if (format.tag == FormatExtensible && size - 16 >= ExtensionBytes + 2) {
        reader.U16();  // extension size
        reader.U16();  // valid bits per sample
        reader.U32();  // channel mask
        format.tag = reader.U16();  // the sub-format's first two bytes are the format code
    }

    const uint16_t bits = format.bitsPerSample;
    const bool pcm = format.tag == FormatPCM && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool floats = format.tag == FormatFloat && bits == 32;
    if (!pcm && !floats)
        Fail("Only 8-, 16-, 24- or 32-bit PCM and 32-bit float data are supported");
    if (format.channels < 1 || format.blockAlign != format.channels * format.bitsPerSample / 8)
        Fail("Channel count and block alignment do not match");
    if (format.averageBytesPerSecond / format.blockAlign < 1 || format.averageBytesPerSecond / format.blockAlign > INT_MAX)
        Fail("Invalid sample rate");
    return format;
}

// The sample data: a seekable stream is asked up front whether it holds that many bytes;
// any other stream is read piece by piece, so a lying size costs only what really arrives.
std::unique_ptr<uint8_t[]> ReadData(IO::Stream& in, uint32_t size)
{
    const int64_t left = BytesLeft(in);
    if (size > static_cast<uint32_t>(INT_MAX) || (left >= 0 && size > left))
        Fail("DATA-chunk larger than the file");
    std::unique_ptr<uint8_t[]> data;
    try {
        if (left >= 0) {
            data.reset(new uint8_t[size]);
            ReadExactly(in, data.get(), static_cast<int>(size));
            return data;
        }
        std::vector<uint8_t> bytes;
        ReadPieces(in, size, [&](const uint8_t* piece, int moved) { bytes.insert(bytes.end(), piece, piece + moved); });
        if (bytes.size() < size)
            Fail("DATA-chunk larger than the file");
        data.reset(new uint8_t[size]);
        std::copy(bytes.begin(), bytes.end(), data.get());
    } catch (const std::bad_alloc&) {
        Fail("Not enough memory for the sample data");
    }
    return data;
}

// Signed 24- or 32-bit integer samples as 32-bit floats, -1 for the most negative value;
// a trailing partial sample is dropped. The floats replace `data`, and `size` becomes theirs.
void IntegersToFloats(std::unique_ptr<uint8_t[]>& data, uint32_t& size, int bytesPerSample)
{
    const uint64_t count = size / static_cast<uint32_t>(bytesPerSample);
    if (count * 4 > static_cast<uint64_t>(INT_MAX))
        Fail("DATA-chunk too large for a clip");
    std::unique_ptr<uint8_t[]> floats;
    try {
        floats.reset(new uint8_t[count * 4]);
    } catch (const std::bad_alloc&) {
        Fail("Not enough memory for the sample data");
    }
    IO::ByteReader in(data.get(), size, Prefix);
    for (uint64_t i = 0; i < count; ++i) {
        const float sample = bytesPerSample == 3 ? static_cast<float>(in.I24()) * (1.0f / 8388608.0f)
                                                 : static_cast<float>(in.I32()) * (1.0f / 2147483648.0f);
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

    // The code is checked before the size is read, so a short file of another kind is named
    // for what it is not.
    uint8_t riffId[4];
    ReadExactly(in, riffId, 4);
    if (!IsTag(riffId, "RIFF"))
        Fail("RIFF-header not found");
    uint8_t riffSize[4];
    ReadExactly(in, riffSize, 4);
    const int64_t riffEnd = 8 + static_cast<int64_t>(IO::ByteReader(riffSize, 4, Prefix).U32());
    uint8_t wave[4];
    ReadExactly(in, wave, 4);
    if (!IsTag(wave, "WAVE"))
        Fail("WAVE-header not found");
    // Only the first three letters are compared: some writers end the code with a zero byte.
    const ChunkHeader fmt = ReadChunkHeader(in);
    if (!IsTag(fmt.id, "fmt ", 3))
        Fail("FORMAT-header not found");
    const Format format = ReadFormat(in, fmt.size);

    // Chunk headers are looked for up to the end of the RIFF chunk or of the file, whichever
    // comes first; a stream that cannot tell its end stops at the first short header.
    const int64_t left = BytesLeft(in);
    const int64_t end = left < 0 ? riffEnd : std::min(riffEnd, in.GetPosition() + left);
    for (;;) {
        if (left >= 0 && in.GetPosition() + 8 > end)
            Fail("DATA-chunk not found");
        ChunkHeader chunk;
        try {
            chunk = ReadChunkHeader(in);
        } catch (const Exception&) {
            Fail("DATA-chunk not found");
        }
        uint32_t size = chunk.size;
        if (IsTag(chunk.id, "data")) {
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
