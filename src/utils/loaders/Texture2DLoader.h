#pragma once
// Utils::Loaders::Texture2DLoader: the service that uploads bitmaps into 2D textures.
//
// A descriptor is "level0;level1;...", each piece a Bitmap2D descriptor requested through the
// proxy. A single piece gives a texture whose mipmaps are generated from the image; several
// pieces supply levels 0, 1, 2 ... themselves and nothing is generated. Level i must be
// max(1, W >> i) by max(1, H >> i) in the format of level 0 (see TextureLevel.h). The
// texture is not renderable.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class Texture2DLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Texture2D); }
    String GetName() override { return "Texture2DLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
