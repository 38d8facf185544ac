#pragma once
// IO::NativeFileSystem: a folder of the operating system's file system.
//
// A path is the root followed by the path exactly as passed: nothing is normalised, so "."
// and ".." reach the operating system. The root "." becomes "./", an empty root leaves paths
// unchanged. Files are deleted with DeleteFile and renamed with MoveFile (which replaces an
// existing target); the other editing operations are not supported.
//
// A rename is made durable where the platform can: the file's data is flushed to the disk
// before it takes the new name, and the folders are flushed before and after, so after a
// crash the target holds either the old file or the whole new one.
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

    // Removes the file root + path. Throws "Could not delete file <path>: <reason>" when
    // there is none or it is a folder.
    void DeleteFile(const String& path) override;
    // Renames root + from to root + to, replacing a file already there. Moves files only:
    // a folder as `from` throws, as does any failure of the rename or of the flushes.
    void MoveFile(const String& from, const String& to) override;
    // Each throws "FileSystem can not ... (NOT IMPLEMENTED!)".
    void CreateDirectory(const String& path) override;
    void DeleteDirectory(const String& path) override;
    void MoveDirectory(const String& from, const String& to) override;

    bool CanDeleteFiles() const override { return true; }
    bool CanMoveFiles() const override { return true; }

    // The root with its trailing '/' ("" for an empty root).
    const String& GetRoot() const { return root; }

protected:
    explicit NativeFileSystem(const String& root);

    // Flush a file's data, or a folder's entries, to the disk; both take the native path
    // of the file (the folder is the one holding it). They throw when the flush fails;
    // where the platform has no such flush they do nothing, as here.
    virtual void SyncFile(const String& nativePath);
    virtual void SyncFolderOf(const String& nativePath);

    String root;
};

}  // namespace Nimbrel::IO
