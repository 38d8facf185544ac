#pragma once
// Utils::Loaders::TextureLoader: the service for "a texture of whatever kind the descriptor
// gives".
//
// The same descriptor is requested as a Texture2D, then as a TextureCube, then as a
// Texture3D; the first that loads is returned (and so is cached under its own type as well).
// When all three fail the message is "Could not be loaded as a texture: \n" followed by
// "Texture2D: \n", "TextureCube: \n" and "Texture3D: \n", each with the report of its attempt.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class TextureLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Texture); }
    String GetName() override { return "TextureLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
