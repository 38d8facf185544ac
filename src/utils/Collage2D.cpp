#include "utils/Collage2D.h"

#include "core/Exception.h"

namespace Nimbrel::Utils {

Collage2D::Collage2D(int tileCount, int atlasWidth, int atlasHeight)
    : tileCount(tileCount), atlasWidth(atlasWidth), atlasHeight(atlasHeight)
{
    if (tileCount < 0)
        throw Exception("Collage2D: Invalid tile count");
    if (atlasWidth < 1 || atlasHeight < 1)
        throw Exception("Collage2D: Invalid atlas size");
    tiles.reset(new Tile[size_t(tileCount)]);
}

Collage2D::Tile& Collage2D::At(int tile) const
{
    if (tile < 0 || tile >= tileCount)
        throw Exception("Collage2D: Invalid tile index");
    return tiles[size_t(tile)];
}

void Collage2D::SetTile(int tile, Point corner0, Point corner1, Point corner2, Point corner3, bool rotated)
{
    Tile& entry = At(tile);
    entry.corners[0] = corner0;
    entry.corners[1] = corner1;
    entry.corners[2] = corner2;
    entry.corners[3] = corner3;
    entry.rotated = rotated;
}

// Corner 3 is the image's top-left corner. Unrotated, the image's x runs along u and its y
// down the atlas (against v); turned a quarter clockwise, its x runs down the atlas and its
// y against u.
void Collage2D::MapPoints(int tile, int count, const Point* in, Point* out) const
{
    const Tile& entry = At(tile);
    const Point origin = entry.corners[3];
    const float du = 1.0f / float(atlasWidth);
    const float dv = 1.0f / float(atlasHeight);
    for (int i = 0; i < count; ++i) {
        const Point p = in[i];
        if (entry.rotated)
            out[i] = Point(origin.x - p.y * du, origin.y - p.x * dv);
        else
            out[i] = Point(origin.x + p.x * du, origin.y - p.y * dv);
    }
}

Bitmap2DCollage::Bitmap2DCollage(int tileCount, Bitmap2D* atlas)
    : Collage2D(tileCount, atlas ? atlas->GetWidth() : 0, atlas ? atlas->GetHeight() : 0)
{
    atlas->AddRef();
    this->atlas.Set(atlas);
}

}  // namespace Nimbrel::Utils
