#include "utils/loaders/NsgLoader.h"

#include "core/Managed.h"
#include "utils/loaders/Nsg.h"

namespace Nimbrel::Utils::Loaders {

Object* NsgLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Nsg::StreamResource stream(proxy, descriptor);
    Managed<Scene> scene(new Scene());
    Nsg::Load(*scene, stream, *proxy);
    return scene.Detach();
}

}  // namespace Nimbrel::Utils::Loaders
