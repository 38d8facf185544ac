#pragma once
// Utils::Loaders::ShaderLoader: the service that compiles vertex, pixel and geometry shaders.
//
// A descriptor is "source" or "source:entry". The source text is the String resource named by
// the part before the first ':', requested through the proxy, so every stage and entry point
// of one file shares one cached text. Without an entry point a stage compiles "vsMain",
// "psMain" or "gsMain"; an empty one ("source:") is handed to the compiler as it is. Its
// `#include "name"` lines are resolved through the proxy first (ShaderIncludes). Pieces
// after the second are ignored. A request for any other type is refused with "Unknown asset
// type".

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class ShaderLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override;
    String GetName() override { return "ShaderLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
