#pragma once
// IO::FileInfo: one entry of a folder listing (FileSystem::GetFiles).
//
// A plain polymorphic value, not an Object: the listing creates each with new and the
// caller deletes it. Name, extension and folder are cut from GetPath() here; the file system
// that listed the entry supplies the rest.
//
// Times are 64-bit counts of 100-nanosecond ticks since 1 January 1601 UTC.

#include "core/String.h"

#include <cstdint>

namespace Nimbrel::IO {

class FileInfo {
public:
    virtual ~FileInfo() = default;

    virtual bool IsReadOnly() const = 0;
    virtual bool IsDirectory() const = 0;
    // Relative to the root of the file system that listed the entry.
    virtual String GetPath() const = 0;
    // The text after the last '/' that is not the final character; the whole path when
    // there is none ("a/b/" gives "b/").
    virtual String GetName() const;
    // From the last '.' of the name to the end, dot included; empty when the name has no
    // '.' or its only '.' is the path's first character.
    virtual String GetExtension() const;
    // The path up to and including the '/' that GetName splits at; empty when there is none.
    virtual String GetFolder() const;
    virtual uint64_t GetCreationTime() const = 0;
    virtual uint64_t GetLastAccessTime() const = 0;
    virtual uint64_t GetLastWriteTime() const = 0;

protected:
    // Index of the '/' that separates folder and name, or -1.
    int NameSeparator() const;
};

}  // namespace Nimbrel::IO
