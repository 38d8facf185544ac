#pragma once
// Utils::Loaders::Ngm: the service that loads NGM geometry files as Geometry.
//
// The file is the InputStream of the same descriptor, requested through the proxy (so it is
// cached and the descriptor's hints apply) and read from its start, which lets a file be
// loaded again from the cached stream. The geometry is created on the proxy's graphics
// device; without one the load fails with "ResoruceProxy: No GraphicsDevice set".

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class Ngm : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Geometry); }
    String GetName() override { return "Nimbrel Geometry (Ngm) Loader"; }
};

}  // namespace Nimbrel::Utils::Loaders
