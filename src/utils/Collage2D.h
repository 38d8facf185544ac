#pragma once
// Utils::Collage2D: where each of a set of images went in an atlas.
//
// One tile per packed image, fixed in count at construction. A tile's four corners are
// texture coordinates in the atlas: u from 0 to 1 left to right, v from 0 to 1 bottom to top.
// The image's top-left, bottom-left, bottom-right and top-right ended up at corners 3, 0, 1
// and 2, so a quad drawn through them in that order shows the image upright. A rotated tile
// holds its image turned a quarter clockwise.
//
// Bitmap2DCollage adds the atlas bitmap, Texture2DCollage (Texture2DCollage.h) the
// atlas texture; both hold a counted reference to it.

#include "core/Managed.h"
#include "core/Object.h"
#include "math/Vector2t.h"
#include "utils/Bitmap2D.h"

#include <memory>

namespace Nimbrel::Utils {

class Collage2D : public Object {
public:
    using Point = Math::Vector2t<float>;

    struct Tile {
        Point corners[4]{};
        bool rotated = false;
    };

    // `tileCount` tiles with all corners at (0, 0) in an atlas of the given pixel size.
    // Throws "Collage2D: Invalid tile count" for a negative count and "Collage2D: Invalid
    // atlas size" for an atlas without pixels.
    Collage2D(int tileCount, int atlasWidth, int atlasHeight);
    Collage2D(const Collage2D&) = delete;
    Collage2D& operator=(const Collage2D&) = delete;

    int GetTileCount() const { return tileCount; }
    Math::Vector2t<int> GetAtlasSize() const { return Math::Vector2t<int>(atlasWidth, atlasHeight); }

    // Each throws "Collage2D: Invalid tile index" for an index outside the table.
    Point GetCorner0(int tile) const { return At(tile).corners[0]; }
    Point GetCorner1(int tile) const { return At(tile).corners[1]; }
    Point GetCorner2(int tile) const { return At(tile).corners[2]; }
    Point GetCorner3(int tile) const { return At(tile).corners[3]; }
    bool IsRotated(int tile) const { return At(tile).rotated; }
    void SetTile(int tile, Point corner0, Point corner1, Point corner2, Point corner3, bool rotated);

    // Converts `count` points given in the tile's image in pixels (x to the right, y down from
    // the image's top-left corner) to atlas texture coordinates.
    void MapPoints(int tile, int count, const Point* in, Point* out) const;

private:
    // The tile at an index, checked against the table.
    Tile& At(int tile) const;

    int tileCount;
    int atlasWidth;
    int atlasHeight;
    std::unique_ptr<Tile[]> tiles;
};

class Bitmap2DCollage : public Collage2D {
public:
    // Adds a reference to the atlas, whose size is the collage's atlas size.
    Bitmap2DCollage(int tileCount, Bitmap2D* atlas);

    Bitmap2D* GetBitmap() const { return atlas.Get(); }

private:
    Managed<Bitmap2D> atlas;
};

}  // namespace Nimbrel::Utils
