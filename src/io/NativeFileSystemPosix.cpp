#include "io/NativeFileSystemPosix.h"

#include "core/Exception.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Nimbrel::IO {

NativeFileSystem* NativeFileSystem::Create(const String& root)
{
    return new NativeFileSystemPosix(root);
}

namespace native_file_system_posix_detail {

// 100-nanosecond ticks from 1 January 1601 to 1 January 1970.
constexpr int64_t UnixEpochTicks = 116444736000000000;

uint64_t ToFileTime(const struct statx_timestamp& time)
{
    int64_t ticks = UnixEpochTicks + time.tv_sec * 10000000 + time.tv_nsec / 100;
    return ticks < 0 ? 0 : static_cast<uint64_t>(ticks);
}

// fsync of what `path` names, opened with `flags`. For a folder, the errors that mean the
// file system cannot flush one are no failure.
void Sync(const String& path, int flags, bool folder)
{
    const int descriptor = open(path.CStr(), flags | O_CLOEXEC);
    int error = 0;
    if (descriptor < 0) {
        error = errno;
    } else {
        if (fsync(descriptor) != 0)
            error = errno;
        close(descriptor);
    }
    if (error == 0 || (folder && (error == EINVAL || error == ENOTSUP || error == EROFS)))
        return;
    throw Exception("Could not flush " + path + " to the disk: " + String(std::strerror(error)));
}

}  // namespace native_file_system_posix_detail

void NativeFileSystemPosix::SyncFile(const String& nativePath)
{
    native_file_system_posix_detail::Sync(nativePath, O_RDONLY, false);
}

void NativeFileSystemPosix::SyncFolderOf(const String& nativePath)
{
    const std::string path = nativePath.CStr();
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    native_file_system_posix_detail::Sync(folder.c_str(), O_RDONLY | O_DIRECTORY, true);
}

void NativeFileSystemPosix::GetFiles(const String& folder, Array<FileInfo*>& files)
{
    String prefix = folder;
    if (prefix.Length() > 0 && !prefix.EndsWith("/"))
        prefix += "/";
    String nativeFolder = root + prefix;
    const char* searched = nativeFolder.Length() > 0 ? nativeFolder.CStr() : ".";

    std::error_code error;
    std::filesystem::directory_iterator entries(searched, error);
    if (error)
        return;
    for (const char* dots : {".", ".."})
        files.Add(new NativeFileInfoPosix(prefix + dots, nativeFolder + dots));
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        String name = entries->path().filename().c_str();
        files.Add(new NativeFileInfoPosix(prefix + name, nativeFolder + name));
    }
}

NativeFileInfoPosix::NativeFileInfoPosix(const String& path, const String& nativePath) : path(path)
{
    using namespace native_file_system_posix_detail;
    struct statx status;
    if (statx(AT_FDCWD, nativePath.Length() > 0 ? nativePath.CStr() : ".", 0, STATX_BASIC_STATS | STATX_BTIME,
              &status) != 0)
        return;
    readOnly = (status.stx_mode & S_IWUSR) == 0;
    directory = S_ISDIR(status.stx_mode);
    creationTime = ToFileTime((status.stx_mask & STATX_BTIME) ? status.stx_btime : status.stx_ctime);
    lastAccessTime = ToFileTime(status.stx_atime);
    lastWriteTime = ToFileTime(status.stx_mtime);
}

}  // namespace Nimbrel::IO
