#include "utils/SubFileSystem.h"

namespace Nimbrel::Utils {

SubFileSystem::SubFileSystem(const String& folder,
                             const Resource<IO::FileSystem, ResourceType::FileSystem>& parent)
    : folder(folder), parent(parent)
{
    if (this->folder.Length() > 0 && !this->folder.EndsWith("/"))
        this->folder += "/";
}

IO::Stream* SubFileSystem::OpenFile(const String& path, IO::FileMode mode)
{
    return parent->OpenFile(folder + path, mode);
}

void SubFileSystem::GetFiles(const String& path, Array<IO::FileInfo*>& files)
{
    parent->GetFiles(folder + path, files);
}

void SubFileSystem::DeleteFile(const String& path)
{
    parent->DeleteFile(folder + path);
}

void SubFileSystem::MoveFile(const String& from, const String& to)
{
    parent->MoveFile(folder + from, folder + to);
}

void SubFileSystem::CreateDirectory(const String& path)
{
    parent->CreateDirectory(folder + path);
}

void SubFileSystem::DeleteDirectory(const String& path)
{
    parent->DeleteDirectory(folder + path);
}

void SubFileSystem::MoveDirectory(const String& from, const String& to)
{
    parent->MoveDirectory(folder + from, folder + to);
}

}  // namespace Nimbrel::Utils
