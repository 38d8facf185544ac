#include "utils/loaders/OggLoader.h"

#include "utils/Resource.h"
#include "utils/loaders/OggStream.h"
#include "utils/loaders/PrivateDescriptor.h"

namespace Nimbrel::Utils::Loaders {

Object* OggLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Resource<IO::Stream, ResourceType::InputStream> input(proxy, PrivateDescriptor(descriptor));
    return new OggStream(input.Get());
}

}  // namespace Nimbrel::Utils::Loaders
