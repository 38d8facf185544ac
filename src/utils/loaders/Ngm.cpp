#include "utils/loaders/Ngm.h"

#include "io/Stream.h"
#include "utils/Resource.h"
#include "utils/loaders/NgmReader.h"

namespace Nimbrel::Utils::Loaders {

Object* Ngm::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Resource<IO::Stream, ResourceType::InputStream> stream(proxy, descriptor);
    Graphics::Device* device = proxy->GetGraphicsDevice();
    if (stream->IsSeekable())
        stream->Seek(0, 0);
    return ReadNgm(stream.Get(), device);
}

}  // namespace Nimbrel::Utils::Loaders
