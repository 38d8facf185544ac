#include "io/NativeFile.h"

#include "core/Exception.h"

#include <climits>
#include <filesystem>
#include <system_error>

namespace Nimbrel::IO {

NativeFile::NativeFile(const String& path, FileMode mode) : path(path)
{
    const char* flags = nullptr;
    switch (mode) {
    case FileModeRead:
        flags = "rb";
        readable = true;
        break;
    case FileModeWrite:
        flags = "wb";
        writable = true;
        break;
    case FileModeAppend:
        flags = "ab";
        writable = true;
        break;
    }
    // Linux opens a folder for reading without complaint; only its reads fail.
    std::error_code error;
    if (flags && !std::filesystem::is_directory(path.CStr(), error))
        file = std::fopen(path.CStr(), flags);
    if (!file)
        throw Exception("File not found: " + path);
}

NativeFile::~NativeFile()
{
    std::fclose(file);
}

int NativeFile::GetLength() const
{
    long position = std::ftell(file);
    std::fseek(file, 0, SEEK_END);
    long length = std::ftell(file);
    std::fseek(file, position, SEEK_SET);
    if (length > INT_MAX)
        throw Exception("File too large for a stream: " + path);
    return static_cast<int>(length);
}

int NativeFile::GetPosition() const
{
    long position = std::ftell(file);
    return position > INT_MAX ? INT_MAX : static_cast<int>(position);
}

int NativeFile::Read(void* data, int size, int count)
{
    if (!readable)
        throw Exception("File not readable!\n");
    if (size <= 0 || count <= 0)
        return 0;
    return static_cast<int>(std::fread(data, static_cast<size_t>(size), static_cast<size_t>(count), file));
}

int NativeFile::Write(const void* data, int size, int count)
{
    if (!writable)
        throw Exception("File not writeable");
    if (size <= 0 || count <= 0)
        return 0;
    return static_cast<int>(std::fwrite(data, static_cast<size_t>(size), static_cast<size_t>(count), file));
}

int NativeFile::Seek(int origin, int offset)
{
    switch (origin) {
    case 0:
        std::fseek(file, offset, SEEK_SET);
        break;
    case 1:
        std::fseek(file, offset, SEEK_CUR);
        break;
    case 2:
        std::fseek(file, offset, SEEK_END);
        break;
    }
    return GetPosition();
}

void NativeFile::Flush()
{
    if (writable && std::fflush(file) != 0)
        throw Exception("Unable to write data to stream");
}

}  // namespace Nimbrel::IO
