#pragma once
// IO::FileSystem: a tree of files addressed by relative paths with '/' separators.
//
// Every file the engine reads or writes goes through one of these: the native file system
// (a folder of the operating system), a sub-folder view of another file system, or a
// read-only zip archive. Paths are passed through as given; "." and ".." mean whatever the
// implementation below makes of them.
//
// The editing operations throw unless an implementation supports them; the capability
// queries tell in advance which ones do.

#include "core/Array.h"
#include "core/Object.h"
#include "core/String.h"

#include <cstdint>

namespace Nimbrel::IO {

class Stream;
class FileInfo;

enum FileMode : int32_t {
    FileModeRead = 0,    // readable, not writeable
    FileModeWrite = 1,   // created or truncated; writeable, not readable
    FileModeAppend = 2,  // written at the end; writeable, not readable
};

class FileSystem : public Object {
public:
    // A new stream for the file; the caller owns its one reference. Throws when the file
    // cannot be opened in that mode.
    virtual Stream* OpenFile(const String& path, FileMode mode) = 0;
    // Appends one new FileInfo per entry of the folder; the caller deletes them.
    virtual void GetFiles(const String& folder, Array<FileInfo*>& files) = 0;

    // Each throws "FileSystem can not ..." unless the implementation supports it.
    virtual void DeleteFile(const String& path);
    // Replaces `to` when it exists, so a file written under a temporary name can take the
    // place of the old one in one step.
    virtual void MoveFile(const String& from, const String& to);
    virtual void CreateDirectory(const String& path);
    virtual void DeleteDirectory(const String& path);
    virtual void MoveDirectory(const String& from, const String& to);

    // True when the editing operation of the same name works on this file system.
    virtual bool CanDeleteFiles() const { return false; }
    virtual bool CanMoveFiles() const { return false; }
    virtual bool CanCreateDirectories() const { return false; }
    virtual bool CanDeleteDirectories() const { return false; }
    virtual bool CanMoveDirectories() const { return false; }
};

}  // namespace Nimbrel::IO
