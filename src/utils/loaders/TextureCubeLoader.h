#pragma once
// Utils::Loaders::TextureCubeLoader: the service that uploads six face bitmaps into a cube.
//
// Faces come in the order of TextureFace: +X, +Y, +Z, -X, -Y, -Z. Two descriptor forms:
//   pattern form (no '#'): "sky_*.png;sky_*_1.png" - one pattern per mipmap level; the '*' of
//     each is replaced by "px", "py", "pz", "nx", "ny", "nz", so every face has as many
//     levels as there are patterns;
//   explicit form: six groups separated by '#', group k listing the levels of face k as
//     "level0;level1;...", so faces may have different numbers of levels.
// Every face is square; level m is max(1, S >> m) on a side for the size S of the first
// bitmap, in its format (see TextureLevel.h). A face with one level has its mipmaps
// generated; the generation runs once, after the level 0 of every face is in place and before
// the levels given explicitly, so it never overwrites them. The cube is not renderable.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class TextureCubeLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::TextureCube); }
    String GetName() override { return "TextureCubeLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
