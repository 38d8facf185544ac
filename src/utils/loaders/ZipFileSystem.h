#pragma once
// Utils::Loaders::ZipFileSystem: a zip archive read from a stream, as a read-only file
// system.
//
// minizip reads the archive through callbacks over the engine stream, which the file system
// keeps (with a counted reference) until it is destroyed. The central directory is read
// once, when the archive opens, into an index of the entry names, so opening an entry costs
// the same however many the archive holds. Opening an entry decompresses it whole into
// memory and hands out a BufferStream over it; the entry's checksum is verified before
// anything is handed out. A name that matches an entry exactly finds that one; otherwise
// names are compared without regard to case. A leading "./" is ignored. Entries are never
// listed or changed.
//
// Zip64 entries are read too: their sizes stand in the Zip64 extra field of the directory,
// where minizip (which reads the other entries) does not take them from on every platform;
// such entries are inflated here, straight from the archive stream.
//
// Hostile archives end in an Exception: an entry is refused when its sizes cannot be true
// for its compression method or its data would lie beyond the end of the archive, and the
// buffer for an entry grows with what really decompresses, never beyond the claimed size.

#include "io/FileSystem.h"
#include "io/Stream.h"
#include "core/Managed.h"

#include <memory>

struct zlib_filefunc_def_s;

namespace Nimbrel::Utils::Loaders {

class ZipFileSystem : public IO::FileSystem {
public:
    // Opens the archive in `stream` (adding a reference to it). Throws "Could not open
    // Zip-archive", with the stream back at the position it had, when it holds none.
    explicit ZipFileSystem(IO::Stream* stream);
    ~ZipFileSystem() override;
    ZipFileSystem(const ZipFileSystem&) = delete;
    ZipFileSystem& operator=(const ZipFileSystem&) = delete;

    // FileModeRead only; throws "ZipFileSystem::OpenFile: Invalid FileMode; this FileSystem
    // is Read-Only" for the other modes, "Couldn't locate file in zip-archive: ",
    // "Couldn't open file in zip-archive: ", "Couldn't read in from zip-archive: " or
    // "Couldn't close file in zip-archive: " (a checksum mismatch) followed by the path,
    // "Zip entry claims an impossible size: " + path for sizes the archive cannot hold, and
    // "Unsupported compression method 12 (bzip2) in zip entry: " + path or "Unsupported
    // encryption (...) in zip entry: " + path for what only other readers can unpack.
    IO::Stream* OpenFile(const String& path, IO::FileMode mode) override;
    // Throws "ZipFileSystem::GetFiles not implemented!".
    void GetFiles(const String& folder, Array<IO::FileInfo*>& files) override;

private:
    Managed<IO::Stream> stream;
    std::unique_ptr<zlib_filefunc_def_s> callbacks;
    void* archive = nullptr;
    struct Index;
    std::unique_ptr<Index> index;
};

}  // namespace Nimbrel::Utils::Loaders
