#pragma once
// IO::NativeFileSystem: a folder of the operating system's file system.
//
// A path is the root followed by the path exactly as passed: nothing is normalised, so "."
// and ".." reach the operating system. The root "." becomes "./", an empty root leaves paths
// unchanged. Files are renamed with MoveFile (which replaces an existing target); the other
// editing operations are not supported.
//
// The directory listing is platform code: Create() makes the implementation for this
// platform.

#include "io/FileSystem.h"

namespace Nimbrel::IO {

class NativeFileSystem : public FileSystem {
public:
    // The file system of this platform rooted at the given folder; one reference for the
    // caller.
    static NativeFileSystem* Create(const String& root);

    // A NativeFile for root + path.
    Stream* OpenFile(const String& path, FileMode mode) override;

    // Throws "FileSystem can not delete files. (NOT IMPLEMENTED!)".
    void DeleteFile(const String& path) override;
    // Renames root + from to root + to, replacing a file already there. Moves files only:
    // a folder as `from` throws, as does any failure of the rename.
    void MoveFile(const String& from, const String& to) override;
    // Each throws "FileSystem can not ... (NOT IMPLEMENTED!)".
    void CreateDirectory(const String& path) override;
    void DeleteDirectory(const String& path) override;
    void MoveDirectory(const String& from, const String& to) override;

    bool CanMoveFiles() const override { return true; }

    // The root with its trailing '/' ("" for an empty root).
    const String& GetRoot() const { return root; }

protected:
    explicit NativeFileSystem(const String& root);

    String root;
};

}  // namespace Nimbrel::IO
