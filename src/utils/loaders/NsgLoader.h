#pragma once
// Utils::Loaders::NsgLoader: the service that loads an NSG library (loaders/Nsg.h) on its own
// as a Scene: its controllers and geometries by name, and no root, so the scene is a source of
// shared objects rather than something to draw. The file is the InputStream of the same
// descriptor, read from its start; geometries go to the proxy's graphics device.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class NsgLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Scene); }
    String GetName() override { return "Nimbrel Scene Library (Nsg) Loader"; }
};

}  // namespace Nimbrel::Utils::Loaders
