#include "utils/loaders/ZipLoader.h"

#include "io/Stream.h"
#include "utils/Resource.h"
#include "utils/loaders/ZipFileSystem.h"

namespace Nimbrel::Utils::Loaders {

Object* ZipLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Resource<IO::Stream, ResourceType::InputStream> stream(proxy, descriptor);
    return new ZipFileSystem(stream.Get());
}

}  // namespace Nimbrel::Utils::Loaders
