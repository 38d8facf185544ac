#pragma once
// Utils::Collage2DBuilder: collects bitmaps and packs them into one atlas.
//
// Packing keeps a list of tile nodes sorted largest first (wider first, then taller) and
// joins the two smallest into a node that stacks them, until one node is left; a node
// narrower than tall is turned a quarter, so the atlas grows about evenly. The atlas is
// exactly the root node's size (no rounding to powers of two). Each image sits inside a
// border of `padding` pixels that repeats its edge pixels, so filtering at its edge does not
// reach a neighbour; whatever no tile covers stays zero.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Object.h"
#include "graphics/Enumerations.h"
#include "utils/Bitmap2D.h"
#include "utils/Collage2D.h"
#include "utils/Texture2DCollage.h"

namespace Nimbrel::Graphics {
class Device;
}

namespace Nimbrel::Utils {

class Collage2DBuilder : public Object {
public:
    struct Tile {
        Managed<Bitmap2D> bitmap;
        int components = Bitmap2D::ComponentsRGBA;
        bool premultiply = false;
        int index = 0;
    };

    // Appends a tile, taking a counted reference to the bitmap, and returns its index (0, 1,
    // 2 ...). The component mode and premultiply flag are those of Bitmap2D::CopyRotated.
    // Throws "Collage2DBuilder: No bitmap" for a null bitmap.
    int Add(Bitmap2D* bitmap, int components, bool premultiply);
    int GetTileCount() const { return tiles.Count(); }

    // Packs the tiles into an atlas of the given format and returns the collage, owned by the
    // caller; tile i of the collage is the bitmap added as i. With no tiles the atlas is 1 by
    // 1. Throws "Collage2DBuilder: Invalid padding" for a negative padding, "Collage2DBuilder:
    // Atlas too large" when the packed size does not fit an int, and what CopyRotated throws
    // for a tile that the format cannot take.
    Bitmap2DCollage* BuildBitmapCollage(Graphics::PixelFormat format, int padding) const;
    // Packs as BuildBitmapCollage does and uploads the atlas into a new texture of the
    // device (not renderable, mipmaps generated); the collage is owned by the caller. What the
    // device throws for the format passes on.
    Texture2DCollage* BuildTextureCollage(Graphics::Device* device, Graphics::PixelFormat format, int padding) const;

private:
    Array<Tile> tiles;
};

}  // namespace Nimbrel::Utils
