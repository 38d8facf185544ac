#include "utils/loaders/ZipFileSystem.h"

#include "core/Exception.h"
#include "io/Buffer.h"
#include "io/ByteReader.h"
#include "utils/BufferStream.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <minizip/unzip.h>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>
#include <zlib.h>

namespace Nimbrel::Utils::Loaders {

// minizip calls these from C: nothing may be thrown through it, so an engine exception
// becomes the failure value of the callback.
namespace zip_file_system_detail {

// Deflate turns two bits at the very least into a 258-byte match.
constexpr uint64_t MaxDeflateRatio = 1032;

IO::Stream* AsStream(voidpf stream)
{
    return static_cast<IO::Stream*>(stream);
}

voidpf ZCALLBACK Open(voidpf opaque, const char*, int)
{
    return opaque;
}

// Moves up to `size` bytes with `move` (the stream's Read or Write); 0 on failure.
template <class Move>
uLong Transfer(uLong size, Move move)
{
    try {
        int wanted = size > INT_MAX ? INT_MAX : static_cast<int>(size);
        int moved = move(wanted);
        return moved < 0 ? 0 : static_cast<uLong>(moved);
    } catch (const Exception&) {
        return 0;
    }
}

uLong ZCALLBACK Read(voidpf, voidpf stream, void* buffer, uLong size)
{
    return Transfer(size, [&](int wanted) { return AsStream(stream)->Read(buffer, 1, wanted); });
}

uLong ZCALLBACK Write(voidpf, voidpf stream, const void* buffer, uLong size)
{
    return Transfer(size, [&](int wanted) { return AsStream(stream)->Write(buffer, 1, wanted); });
}

long ZCALLBACK Tell(voidpf, voidpf stream)
{
    try {
        return AsStream(stream)->GetPosition();
    } catch (const Exception&) {
        return -1;
    }
}

// A seek that cannot land where minizip asked (the engine streams clamp) is a failure, so
// offsets past the end of the archive stop minizip at once. minizip moves back with a
// relative offset that has wrapped around in the unsigned type, so relative offsets are
// read as signed.
long ZCALLBACK Seek(voidpf, voidpf stream, uLong offset, int origin)
{
    try {
        IO::Stream* source = AsStream(stream);
        const int64_t relative = static_cast<long>(offset);
        int64_t target;
        switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET:
            if (offset > INT_MAX)
                return -1;
            target = static_cast<int64_t>(offset);
            break;
        case ZLIB_FILEFUNC_SEEK_CUR:
            target = static_cast<int64_t>(source->GetPosition()) + relative;
            break;
        case ZLIB_FILEFUNC_SEEK_END:
            target = static_cast<int64_t>(source->GetLength()) + relative;
            break;
        default:
            return -1;
        }
        if (target < 0 || target > INT_MAX)
            return -1;
        return source->Seek(0, static_cast<int>(target)) == target ? 0 : -1;
    } catch (const Exception&) {
        return -1;
    }
}

// The stream belongs to the file system and goes with it.
int ZCALLBACK Close(voidpf, voidpf)
{
    return 0;
}

// Asked only after a read came up short. minizip takes "no error" there for a clean end of
// file and goes on with the bytes it did not get, so a short read must count as an error.
int ZCALLBACK TestError(voidpf, voidpf)
{
    return -1;
}

constexpr uint64_t Unknown32 = 0xFFFFFFFFu;
constexpr uint16_t Zip64ExtraId = 0x0001;
// Entries are read in pieces of this size; a buffer grows by at least as much.
constexpr size_t Piece = 1 << 16;

std::string Folded(std::string name)
{
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

const char* MethodName(unsigned long method)
{
    switch (method) {
    case 1: return "shrink";
    case 2: case 3: case 4: case 5: return "reduce";
    case 6: return "implode";
    case 9: return "deflate64";
    case 10: return "PKWARE imploding";
    case 12: return "bzip2";
    case 14: return "LZMA";
    case 18: return "IBM TERSE";
    case 19: return "IBM LZ77";
    case 93: return "Zstandard";
    case 94: return "MP3";
    case 95: return "XZ";
    case 96: return "JPEG";
    case 97: return "WavPack";
    case 98: return "PPMd";
    default: return "unknown";
    }
}

// The sizes an entry's directory record gives: the 32-bit fields, or for those that hold
// 0xFFFFFFFF the 64-bit values of the Zip64 extra field, which come in this order and only
// for the fields that need them. A size that is nowhere to be found stays unknown.
struct Sizes {
    std::optional<uint64_t> compressed;
    std::optional<uint64_t> uncompressed;
};

Sizes ReadSizes(unzFile archive, const unz_file_info64& info)
{
    Sizes sizes;
    if (info.uncompressed_size != Unknown32)
        sizes.uncompressed = info.uncompressed_size;
    if (info.compressed_size != Unknown32)
        sizes.compressed = info.compressed_size;
    if ((sizes.compressed && sizes.uncompressed) || info.size_file_extra == 0)
        return sizes;

    std::vector<uint8_t> extra(info.size_file_extra);
    unz_file_info64 again;
    if (unzGetCurrentFileInfo64(archive, &again, nullptr, 0, extra.data(), static_cast<uLong>(extra.size()), nullptr,
                                0) != UNZ_OK)
        return sizes;
    // A field cut short by the end of the extra data yields no size, which stays unknown.
    IO::ByteReader fields(extra.data(), extra.size());
    try {
        while (fields.Remaining() >= 4) {
            const uint16_t id = fields.U16();
            const size_t size = std::min<size_t>(fields.U16(), fields.Remaining());
            if (id != Zip64ExtraId) {
                fields.Skip(size);
                continue;
            }
            IO::ByteReader zip64(fields.Bytes(size), size);
            if (!sizes.uncompressed && info.uncompressed_size == Unknown32)
                sizes.uncompressed = zip64.U64();
            if (!sizes.compressed && info.compressed_size == Unknown32)
                sizes.compressed = zip64.U64();
            break;
        }
    } catch (const Exception&) {
    }
    return sizes;
}

// A buffer that grows with the bytes an entry really gives, up to a limit. Its last step
// ends at the limit, so an entry of the size it claimed is handed over without a copy.
class Growing {
public:
    explicit Growing(uint64_t limit) : limit(limit) {}
    // Room for at least one more byte; false when the limit is reached.
    bool MakeRoom()
    {
        if (used < Capacity())
            return true;
        if (used >= limit)
            return false;
        const uint64_t grown = std::min<uint64_t>(limit, std::max<uint64_t>(used * 2, used + Piece));
        Resize(static_cast<int64_t>(grown));
        return true;
    }
    const uint8_t* Bytes() const { return buffer ? buffer->Data() : nullptr; }
    uint8_t* Free() { return buffer->Data() + used; }
    size_t FreeSize() const { return Capacity() - used; }
    void Used(size_t count) { used += count; }
    size_t Size() const { return used; }
    Managed<IO::Buffer> Take()
    {
        if (!buffer || used != Capacity())
            Resize(static_cast<int64_t>(used));
        return buffer;
    }

private:
    size_t Capacity() const { return buffer ? static_cast<size_t>(buffer->GetSize()) : 0; }
    void Resize(int64_t size)
    {
        Managed<IO::Buffer> resized(new IO::Buffer(size));
        if (used)
            std::memcpy(resized->Data(), buffer->Data(), used);
        buffer = resized;
    }

    Managed<IO::Buffer> buffer;
    size_t used = 0;
    uint64_t limit;
};

// Reads exactly `size` bytes at `offset` of the archive stream.
bool ReadAt(IO::Stream& stream, uint64_t offset, void* data, size_t size)
{
    if (offset > INT_MAX || stream.Seek(0, static_cast<int>(offset)) != static_cast<int>(offset))
        return false;
    size_t total = 0;
    while (total < size) {
        const int want = static_cast<int>(std::min<size_t>(size - total, INT_MAX));
        const int moved = stream.Read(static_cast<uint8_t*>(data) + total, 1, want);
        if (moved <= 0 || moved > want)
            return false;
        total += static_cast<size_t>(moved);
    }
    return true;
}

// The data of an entry whose sizes minizip does not know, read from the archive stream:
// `compressed` bytes at `start`, stored or raw deflate. False when the data ends early or
// would give more than `limit` bytes.
bool ReadDirectly(IO::Stream& stream, unsigned long method, uint64_t start, uint64_t compressed, Growing& out)
{
    if (method == 0) {
        while (out.Size() < compressed) {
            if (!out.MakeRoom())
                return false;
            const size_t take = static_cast<size_t>(std::min<uint64_t>(out.FreeSize(), compressed - out.Size()));
            if (!ReadAt(stream, start + out.Size(), out.Free(), take))
                return false;
            out.Used(take);
        }
        return true;
    }

    z_stream inflater{};
    if (inflateInit2(&inflater, -MAX_WBITS) != Z_OK)
        return false;
    struct End {
        z_stream& stream;
        ~End() { inflateEnd(&stream); }
    } end{inflater};
    std::vector<uint8_t> input(Piece);
    uint64_t consumed = 0;
    for (;;) {
        if (inflater.avail_in == 0) {
            const size_t take = static_cast<size_t>(std::min<uint64_t>(Piece, compressed - consumed));
            if (take == 0 || !ReadAt(stream, start + consumed, input.data(), take))
                return false;
            consumed += take;
            inflater.next_in = input.data();
            inflater.avail_in = static_cast<uInt>(take);
        }
        // At the limit inflate still gets to go on with no room: it may only have the end of
        // the stream to read, and what it cannot take is more than the limit allows.
        uint8_t none;
        const bool room = out.MakeRoom();
        inflater.next_out = room ? out.Free() : &none;
        inflater.avail_out = room ? static_cast<uInt>(std::min<size_t>(out.FreeSize(), UINT_MAX)) : 0;
        const uInt before = inflater.avail_out;
        const int status = inflate(&inflater, Z_NO_FLUSH);
        out.Used(before - inflater.avail_out);
        if (status == Z_STREAM_END)
            return true;
        if ((status != Z_OK && status != Z_BUF_ERROR) || (!room && inflater.avail_in > 0))
            return false;
    }
}

}  // namespace zip_file_system_detail

struct ZipFileSystem::Index {
    std::unordered_map<std::string, unz64_file_pos> exact;
    std::unordered_map<std::string, unz64_file_pos> folded;
};

ZipFileSystem::ZipFileSystem(IO::Stream* source)
    : callbacks(std::make_unique<zlib_filefunc_def>()), index(std::make_unique<Index>())
{
    using namespace zip_file_system_detail;
    if (!source)
        throw Exception("Could not open Zip-archive");
    source->AddRef();
    stream.Set(source);
    int start = source->GetPosition();

    callbacks->zopen_file = Open;
    callbacks->zread_file = Read;
    callbacks->zwrite_file = Write;
    callbacks->ztell_file = Tell;
    callbacks->zseek_file = Seek;
    callbacks->zclose_file = Close;
    callbacks->zerror_file = TestError;
    callbacks->opaque = source;

    archive = unzOpen2(nullptr, callbacks.get());
    if (!archive) {
        if (source->IsSeekable())
            source->Seek(0, start);
        throw Exception("Could not open Zip-archive");
    }

    // The directory is walked once. Where it is broken the walk stops, and what comes after
    // cannot be found. The first of several entries of the same name is the one found.
    std::vector<char> name(0x10000);
    for (int status = unzGoToFirstFile(archive); status == UNZ_OK; status = unzGoToNextFile(archive)) {
        unz_file_info64 info;
        unz64_file_pos position;
        if (unzGetCurrentFileInfo64(archive, &info, name.data(), static_cast<uLong>(name.size()), nullptr, 0,
                                    nullptr, 0) != UNZ_OK ||
            unzGetFilePos64(archive, &position) != UNZ_OK)
            break;
        std::string entry(name.data(), std::min<size_t>(info.size_filename, name.size()));
        index->folded.emplace(Folded(entry), position);
        index->exact.emplace(std::move(entry), position);
    }
}

ZipFileSystem::~ZipFileSystem()
{
    unzClose(archive);
}

IO::Stream* ZipFileSystem::OpenFile(const String& requested, IO::FileMode mode)
{
    using namespace zip_file_system_detail;
    if (mode != IO::FileModeRead)
        throw Exception("ZipFileSystem::OpenFile: Invalid FileMode; this FileSystem is Read-Only");
    String path = requested.StartsWith("./") ? requested.SubString(2, requested.Length() - 2) : requested;

    const std::string name(path.CStr());
    const unz64_file_pos* position = nullptr;
    if (auto exact = index->exact.find(name); exact != index->exact.end())
        position = &exact->second;
    else if (auto folded = index->folded.find(Folded(name)); folded != index->folded.end())
        position = &folded->second;
    if (!position || unzGoToFilePos64(archive, position) != UNZ_OK)
        throw Exception("Couldn't locate file in zip-archive: " + path);

    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        throw Exception("Couldn't open file in zip-archive: " + path);
    // Only stored and deflated entries without encryption can be read; minizip would hand
    // out the raw bytes of other methods as if they were the content.
    if (info.compression_method == 99)
        throw Exception("Unsupported encryption (AES) in zip entry: " + path);
    if ((info.flag & 0x40) != 0)
        throw Exception("Unsupported encryption (strong encryption) in zip entry: " + path);
    if ((info.flag & 1) != 0)
        throw Exception("Unsupported encryption (traditional PKWARE) in zip entry: " + path);
    if (info.compression_method != 0 && info.compression_method != Z_DEFLATED)
        throw Exception("Unsupported compression method " + String(static_cast<int>(info.compression_method)) + " (" +
                        MethodName(info.compression_method) + ") in zip entry: " + path);
    const Sizes sizes = ReadSizes(archive, info);
    if (unzOpenCurrentFile(archive) != UNZ_OK)
        throw Exception("Couldn't open file in zip-archive: " + path);

    // Whatever happens from here, the entry is closed again; the close that counts (the one
    // that checks the checksum) is made explicitly below.
    struct OpenEntry {
        unzFile archive;
        bool open = true;
        ~OpenEntry()
        {
            if (open)
                unzCloseCurrentFile(archive);
        }
    } entry{archive};

    // What the sizes can be: the data lies within the archive, a stored entry is as long as
    // its data, and deflate gives at most MaxDeflateRatio times what it was given. An
    // unknown size is bounded by the same rules.
    const uint64_t dataStart = unzGetCurrentFileZStreamPos64(archive);
    const uint64_t length = static_cast<uint64_t>(stream->GetLength());
    if (dataStart > length || (sizes.compressed && *sizes.compressed > length - dataStart))
        throw Exception("Zip entry claims an impossible size: " + path);
    const uint64_t compressed = sizes.compressed.value_or(length - dataStart);
    const uint64_t most = info.compression_method == 0 ? compressed : (compressed + 1) * MaxDeflateRatio;
    if (sizes.uncompressed && (*sizes.uncompressed > INT_MAX || *sizes.uncompressed > most))
        throw Exception("Zip entry claims an impossible size: " + path);
    if (info.compression_method == 0 && !sizes.compressed && !sizes.uncompressed)
        throw Exception("Zip entry claims an impossible size: " + path);
    const uint64_t limit = sizes.uncompressed.value_or(std::min<uint64_t>(INT_MAX, most));

    Growing data(limit);
    if (info.compressed_size != Unknown32 && info.uncompressed_size != Unknown32) {
        while (data.MakeRoom()) {
            const int got = unzReadCurrentFile(archive, data.Free(),
                                               static_cast<unsigned>(std::min<size_t>(data.FreeSize(), INT_MAX)));
            if (got < 0)
                throw Exception("Couldn't read in from zip-archive: " + path);
            if (got == 0)
                break;
            data.Used(static_cast<size_t>(got));
        }
        if (data.Size() != limit)
            throw Exception("Couldn't read in from zip-archive: " + path);
        entry.open = false;
        if (unzCloseCurrentFile(archive) != UNZ_OK)
            throw Exception("Couldn't close file in zip-archive: " + path);
    } else {
        const uint64_t stored = info.compression_method != 0 ? compressed
                                : sizes.compressed                ? *sizes.compressed
                                                                  : *sizes.uncompressed;
        if (!ReadDirectly(*stream, info.compression_method, dataStart, stored, data) ||
            (sizes.uncompressed && data.Size() != *sizes.uncompressed))
            throw Exception("Couldn't read in from zip-archive: " + path);
        const uLong checksum = crc32(crc32(0, nullptr, 0), data.Bytes(), static_cast<uInt>(data.Size()));
        if (checksum != info.crc)
            throw Exception("Couldn't close file in zip-archive: " + path);
    }
    return new BufferStream(data.Take().Get());
}

void ZipFileSystem::GetFiles(const String&, Array<IO::FileInfo*>&)
{
    throw Exception("ZipFileSystem::GetFiles not implemented!");
}

}  // namespace Nimbrel::Utils::Loaders
