#include "utils/loaders/ZipFileSystem.h"

#include "core/Exception.h"
#include "io/Buffer.h"
#include "utils/BufferStream.h"

#include <climits>
#include <minizip/unzip.h>

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

uLong ZCALLBACK Read(voidpf, voidpf stream, void* buffer, uLong size)
{
    try {
        int wanted = size > INT_MAX ? INT_MAX : static_cast<int>(size);
        int moved = AsStream(stream)->Read(buffer, 1, wanted);
        return moved < 0 ? 0 : static_cast<uLong>(moved);
    } catch (const Exception&) {
        return 0;
    }
}

uLong ZCALLBACK Write(voidpf, voidpf stream, const void* buffer, uLong size)
{
    try {
        int wanted = size > INT_MAX ? INT_MAX : static_cast<int>(size);
        int moved = AsStream(stream)->Write(buffer, 1, wanted);
        return moved < 0 ? 0 : static_cast<uLong>(moved);
    } catch (const Exception&) {
        return 0;
    }
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
// offsets past the end of the archive stop minizip at once.
long ZCALLBACK Seek(voidpf, voidpf stream, uLong offset, int origin)
{
    if (offset > INT_MAX)
        return -1;
    try {
        IO::Stream* source = AsStream(stream);
        int64_t target;
        switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET:
            target = static_cast<int64_t>(offset);
            break;
        case ZLIB_FILEFUNC_SEEK_CUR:
            target = static_cast<int64_t>(source->GetPosition()) + static_cast<int64_t>(offset);
            break;
        case ZLIB_FILEFUNC_SEEK_END:
            target = static_cast<int64_t>(source->GetLength()) + static_cast<int64_t>(offset);
            break;
        default:
            return -1;
        }
        if (target > INT_MAX)
            return -1;
        return source->Seek(origin, static_cast<int>(offset)) == target ? 0 : -1;
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

}  // namespace zip_file_system_detail

ZipFileSystem::ZipFileSystem(IO::Stream* source) : callbacks(std::make_unique<zlib_filefunc_def>())
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

    if (unzLocateFile(archive, path.CStr(), 2) != UNZ_OK)
        throw Exception("Couldn't locate file in zip-archive: " + path);
    // Only stored and deflated entries without encryption can be read; minizip would hand
    // out the raw bytes of other methods as if they were the content.
    unz_file_info info;
    if (unzGetCurrentFileInfo(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        (info.compression_method != 0 && info.compression_method != Z_DEFLATED) || (info.flag & 1) != 0 ||
        unzOpenCurrentFile(archive) != UNZ_OK)
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

    uint64_t compressed = info.compressed_size;
    uint64_t uncompressed = info.uncompressed_size;
    uint64_t dataStart = unzGetCurrentFileZStreamPos64(archive);
    bool plausible = uncompressed <= INT_MAX && dataStart + compressed <= static_cast<uint64_t>(stream->GetLength());
    if (info.compression_method == 0)
        plausible = plausible && uncompressed <= compressed;
    else
        plausible = plausible && uncompressed <= (compressed + 1) * MaxDeflateRatio;
    if (!plausible)
        throw Exception("Zip entry claims an impossible size: " + path);

    Managed<IO::Buffer> buffer(new IO::Buffer(static_cast<int64_t>(uncompressed)));
    int size = buffer->GetSize();
    if (unzReadCurrentFile(archive, buffer->Data(), static_cast<unsigned>(size)) != size)
        throw Exception("Couldn't read in from zip-archive: " + path);
    entry.open = false;
    if (unzCloseCurrentFile(archive) != UNZ_OK)
        throw Exception("Couldn't close file in zip-archive: " + path);
    return new BufferStream(buffer.Get());
}

void ZipFileSystem::GetFiles(const String&, Array<IO::FileInfo*>&)
{
    throw Exception("ZipFileSystem::GetFiles not implemented!");
}

}  // namespace Nimbrel::Utils::Loaders
