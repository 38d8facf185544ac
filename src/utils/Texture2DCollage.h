#pragma once
// Utils::Texture2DCollage: a collage whose atlas has been uploaded to a texture.
//
// It holds the tile table of the bitmap collage it was made from and a counted reference to
// the atlas texture; Collage2DBuilder::BuildTextureCollage makes one.

#include "core/Managed.h"
#include "graphics/Texture.h"
#include "utils/Collage2D.h"

namespace Nimbrel::Utils {

class Texture2DCollage : public Collage2D {
public:
    // Adds a reference to the atlas, whose size is the collage's atlas size. Throws
    // "Collage2D: Invalid atlas size" for a null atlas.
    Texture2DCollage(int tileCount, Graphics::Texture2D* atlas);

    Graphics::Texture2D* GetTexture() const { return atlas.Get(); }

private:
    Managed<Graphics::Texture2D> atlas;
};

}  // namespace Nimbrel::Utils
