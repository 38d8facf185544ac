#pragma once
// The native file system on POSIX systems: the directory listing and its entries, and the
// flushes to the disk (fsync) that make a rename durable.
//
// A listing holds every entry of the folder, "." and ".." first, then the others in the
// order the operating system yields them. Symbolic links are described by their targets; an
// entry whose target is missing is listed with no attributes and zero times.

#include "io/FileInfo.h"
#include "io/NativeFileSystem.h"

namespace Nimbrel::IO {

class NativeFileSystemPosix : public NativeFileSystem {
public:
    explicit NativeFileSystemPosix(const String& root) : NativeFileSystem(root) {}

    // Appends one NativeFileInfoPosix per entry of root + folder; each path is the folder
    // (with a '/' added unless empty or already there) followed by the entry name. A folder
    // that does not exist, or is not a folder, gives no entries and no error.
    void GetFiles(const String& folder, Array<FileInfo*>& files) override;

protected:
    // fsync of the file, and of the folder holding it. Throws "Could not flush <path> to the
    // disk: <reason>"; a file system that cannot flush a folder is not an error.
    void SyncFile(const String& nativePath) override;
    void SyncFolderOf(const String& nativePath) override;
};

class NativeFileInfoPosix : public FileInfo {
public:
    // Describes the entry at `nativePath`, listed as `path`.
    NativeFileInfoPosix(const String& path, const String& nativePath);

    // True when the owner may not write the entry.
    bool IsReadOnly() const override { return readOnly; }
    bool IsDirectory() const override { return directory; }
    String GetPath() const override { return path; }
    // The birth time where the file system records one, the last status change otherwise.
    uint64_t GetCreationTime() const override { return creationTime; }
    uint64_t GetLastAccessTime() const override { return lastAccessTime; }
    uint64_t GetLastWriteTime() const override { return lastWriteTime; }

private:
    String path;
    bool readOnly = false;
    bool directory = false;
    uint64_t creationTime = 0;
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
};

}  // namespace Nimbrel::IO
