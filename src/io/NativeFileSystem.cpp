#include "io/NativeFileSystem.h"

#include "core/Exception.h"
#include "io/NativeFile.h"

#include <filesystem>
#include <system_error>

namespace Nimbrel::IO {

NativeFileSystem::NativeFileSystem(const String& folder) : root(folder)
{
    if (root.Length() > 0 && !root.EndsWith("/"))
        root += "/";
}

Stream* NativeFileSystem::OpenFile(const String& path, FileMode mode)
{
    return new NativeFile(root + path, mode);
}

void NativeFileSystem::DeleteFile(const String& path)
{
    String target = root + path;
    std::error_code error;
    if (std::filesystem::is_directory(target.CStr(), error))
        throw Exception("Could not delete file " + target + ": it is a folder");
    if (!std::filesystem::remove(target.CStr(), error) && !error)
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    if (error)
        throw Exception("Could not delete file " + target + ": " + String(error.message().c_str()));
}

void NativeFileSystem::MoveFile(const String& from, const String& to)
{
    String source = root + from;
    String target = root + to;
    std::error_code error;
    if (std::filesystem::is_directory(source.CStr(), error))
        throw Exception("Could not move file " + source + " to " + target + ": it is a folder");
    // A missing source is reported by the rename, in its own words.
    if (std::filesystem::exists(source.CStr(), error)) {
        SyncFile(source);
        SyncFolderOf(source);
    }
    std::filesystem::rename(source.CStr(), target.CStr(), error);
    if (error)
        throw Exception("Could not move file " + source + " to " + target + ": " + String(error.message().c_str()));
    SyncFolderOf(target);
}

void NativeFileSystem::SyncFile(const String&)
{
}

void NativeFileSystem::SyncFolderOf(const String&)
{
}

void NativeFileSystem::CreateDirectory(const String&)
{
    throw Exception("FileSystem can not create directories. (NOT IMPLEMENTED!)");
}

void NativeFileSystem::DeleteDirectory(const String&)
{
    throw Exception("FileSystem can not delete directories. (NOT IMPLEMENTED!)");
}

void NativeFileSystem::MoveDirectory(const String&, const String&)
{
    throw Exception("FileSystem can not move directories. (NOT IMPLEMENTED!)");
}

}  // namespace Nimbrel::IO
