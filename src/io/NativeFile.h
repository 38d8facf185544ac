#pragma once
// IO::NativeFile: a file of the operating system as a stream, read or written through a
// buffered C file handle. The handle lives from construction to destruction.
//
// Reads and writes count whole items of `size` bytes, as the C library does.

#include "io/FileSystem.h"
#include "io/Stream.h"

#include <cstdio>

namespace Nimbrel::IO {

class NativeFile : public Stream {
public:
    // Opens `path` for reading (FileModeRead), truncating (FileModeWrite) or appending
    // (FileModeAppend). Throws "File not found: " + path when nothing can be opened,
    // including for another mode and for a folder.
    NativeFile(const String& path, FileMode mode);
    ~NativeFile() override;

    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    bool IsReadable() const override { return readable; }
    bool IsWriteable() const override { return writable; }
    bool IsSeekable() const override { return true; }
    // Throws when the file is longer than a stream can address (2 GiB - 1).
    int GetLength() const override;
    int GetPosition() const override;
    // Throws "File not readable!\n" on a file opened for writing.
    int Read(void* data, int size, int count) override;
    // Throws "File not writeable" on a file opened for reading.
    int Write(const void* data, int size, int count) override;
    // Any origin other than 0, 1, 2 leaves the position; returns the position.
    int Seek(int origin, int offset) override;
    // Hands the buffered bytes to the operating system, so a saver can tell that the whole
    // file was written before it renames it into place. Throws "Unable to write data to
    // stream" when that fails.
    void Flush() override;

private:
    bool readable = false;
    bool writable = false;
    FILE* file = nullptr;
    String path;
};

}  // namespace Nimbrel::IO
