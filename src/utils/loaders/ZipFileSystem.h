#pragma once
// Utils::Loaders::ZipFileSystem: a zip archive read from a stream, as a read-only file
// system.
//
// minizip reads the archive through callbacks over the engine stream, which the file system
// keeps (with a counted reference) until it is destroyed. Opening an entry decompresses it
// whole into memory and hands out a BufferStream over it; the entry's checksum is verified
// before anything is handed out. Names are compared without regard to case, and a leading
// "./" is ignored. Entries are never listed or changed.
//
// Hostile archives end in an Exception: an entry is refused before anything is allocated
// when its sizes cannot be true for its compression method or its data would lie beyond
// the end of the archive.

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
    // "Couldn't close file in zip-archive: " (a checksum mismatch) followed by the path, and
    // "Zip entry claims an impossible size: " + path for sizes the archive cannot hold.
    IO::Stream* OpenFile(const String& path, IO::FileMode mode) override;
    // Throws "ZipFileSystem::GetFiles not implemented!".
    void GetFiles(const String& folder, Array<IO::FileInfo*>& files) override;

private:
    Managed<IO::Stream> stream;
    std::unique_ptr<zlib_filefunc_def_s> callbacks;
    void* archive = nullptr;
};

}  // namespace Nimbrel::Utils::Loaders
