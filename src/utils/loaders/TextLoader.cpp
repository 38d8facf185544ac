#include "utils/loaders/TextLoader.h"

#include "io/Stream.h"
#include "utils/FileOpener.h"
#include "utils/Resource.h"

#include <cstring>

namespace Nimbrel::Utils::Loaders {

Object* TextLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Resource<IO::Stream, ResourceType::InputStream> stream(proxy, descriptor);
    Managed<IO::Buffer> bytes(FileOpener::ReadWhole(stream.Get(), descriptor));
    const char* text = reinterpret_cast<const char*>(bytes->Data());
    size_t length = ::strnlen(text, static_cast<size_t>(bytes->GetSize()));
    return new String(text, static_cast<int>(length));
}

}  // namespace Nimbrel::Utils::Loaders
