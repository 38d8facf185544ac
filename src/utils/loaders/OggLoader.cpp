#include "utils/loaders/OggLoader.h"

#include "io/Stream.h"
#include "utils/loaders/OggStream.h"
#include "utils/loaders/PrivateRequest.h"

namespace Nimbrel::Utils::Loaders {

Object* OggLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Managed<IO::Stream> input = RequestPrivate<IO::Stream>(proxy, ResourceType::InputStream, descriptor);
    return new OggStream(input.Get());
}

}  // namespace Nimbrel::Utils::Loaders
