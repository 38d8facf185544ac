#include "io/FileSystem.h"

#include "core/Exception.h"

namespace Nimbrel::IO {

void FileSystem::DeleteFile(const String&)
{
    throw Exception("FileSystem can not delete files.");
}

void FileSystem::MoveFile(const String&, const String&)
{
    throw Exception("FileSystem can not move files.");
}

void FileSystem::CreateDirectory(const String&)
{
    throw Exception("FileSystem can not create directories.");
}

void FileSystem::DeleteDirectory(const String&)
{
    throw Exception("FileSystem can not delete directories.");
}

void FileSystem::MoveDirectory(const String&, const String&)
{
    throw Exception("FileSystem can not move directories.");
}

}  // namespace Nimbrel::IO
