#include "utils/FileOpener.h"

#include "core/Exception.h"
#include "utils/Resource.h"
#include "utils/SubFileSystem.h"

namespace Nimbrel::Utils {

void FileOpener::GetTypes(Array<ResourceType>& types)
{
    types.Add(ResourceType::InputStream);
    types.Add(ResourceType::OutputStream);
    types.Add(ResourceType::FileSystem);
    types.Add(ResourceType::Buffer);
}

Object* FileOpener::Load(ResourceType type, const String& descriptor, ResourceProxy* proxy)
{
    switch (type) {
    case ResourceType::InputStream:
        return OpenInput(descriptor, proxy);
    case ResourceType::OutputStream:
        return proxy->GetFileSystem()->OpenFile(descriptor, IO::FileModeWrite);
    case ResourceType::FileSystem:
        return new SubFileSystem(
            descriptor, Resource<IO::FileSystem, ResourceType::FileSystem>(proxy->GetFileSystem()));
    case ResourceType::Buffer: {
        Resource<IO::Stream, ResourceType::InputStream> stream(proxy, descriptor);
        return ReadWhole(stream.Get(), descriptor);
    }
    default:
        throw Exception("FileOpener can not load the given type");
    }
}

IO::Stream* FileOpener::OpenInput(const String& descriptor, ResourceProxy* proxy)
{
    const Stack<String>& hints = proxy->GetHints();
    for (int i = hints.Count() - 1; i >= 0; --i) {
        const String& hint = hints[i];
        // "Path" and one separator, then the folder; a hint with no folder is skipped (the
        // plain descriptor is tried last anyway).
        if (!hint.StartsWith("Path") || hint.Length() <= 5)
            continue;
        String folder = hint.SubString(5, hint.Length() - 5);
        if (!folder.EndsWith("/"))
            folder += "/";
        try {
            IO::Stream* stream = proxy->GetFileSystem()->OpenFile(folder + descriptor, IO::FileModeRead);
            proxy->NoteFile(folder + descriptor);
            return stream;
        } catch (const Exception&) {
            // The next hint, or the plain descriptor, may still find the file.
        }
    }
    IO::Stream* stream = proxy->GetFileSystem()->OpenFile(descriptor, IO::FileModeRead);
    proxy->NoteFile(descriptor);
    return stream;
}

IO::Buffer* FileOpener::ReadWhole(IO::Stream* stream, const String& descriptor)
{
    if (stream->IsSeekable())
        stream->Seek(0, 0);
    Managed<IO::Buffer> buffer(new IO::Buffer(stream->GetLength()));
    int size = buffer->GetSize();
    int total = 0;
    while (total < size) {
        int moved = stream->Read(buffer->Data() + total, 1, size - total);
        if (moved <= 0 || moved > size - total)
            break;
        total += moved;
    }
    if (total != size)
        throw Exception("Could not read the whole file: " + descriptor);
    return buffer.Detach();
}

}  // namespace Nimbrel::Utils
