#include "utils/Collage2DBuilder.h"

#include "core/Exception.h"
#include "graphics/Device.h"
#include "utils/TileNode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace Nimbrel::Utils {

namespace collage2d_builder_detail {

// Orders by width, then height, as GetSize reports them (so orientation counts).
bool Smaller(const TileNode& a, const TileNode& b)
{
    const Math::Vector2t<int> sa = a.GetSize();
    const Math::Vector2t<int> sb = b.GetSize();
    return sa.x < sb.x || (sa.x == sb.x && sa.y < sb.y);
}

// Keeps the list largest first: a node goes before the first one smaller than it, so equal
// nodes stay in the order they came.
void Insert(std::vector<std::unique_ptr<TileNode>>& list, std::unique_ptr<TileNode> node)
{
    auto at = list.begin();
    while (at != list.end() && !Smaller(**at, *node))
        ++at;
    list.insert(at, std::move(node));
}

}  // namespace collage2d_builder_detail

using namespace collage2d_builder_detail;

int Collage2DBuilder::Add(Bitmap2D* bitmap, int components, bool premultiply)
{
    if (!bitmap)
        throw Exception("Collage2DBuilder: No bitmap");
    Tile tile;
    bitmap->AddRef();
    tile.bitmap.Set(bitmap);
    tile.components = components;
    tile.premultiply = premultiply;
    tile.index = tiles.Count();
    return tiles.Add(std::move(tile));
}

Bitmap2DCollage* Collage2DBuilder::BuildBitmapCollage(Graphics::PixelFormat format, int padding) const
{
    if (padding < 0)
        throw Exception("Collage2DBuilder: Invalid padding");
    if (tiles.Count() == 0) {
        Managed<Bitmap2D> atlas(new Bitmap2D(1, 1, format));
        std::memset(atlas->GetData(), 0, size_t(atlas->GetDataSize()));
        return new Bitmap2DCollage(0, atlas.Get());
    }

    std::vector<std::unique_ptr<TileNode>> list;
    for (int i = 0; i < tiles.Count(); ++i)
        Insert(list, std::make_unique<SingleTileNode>(tiles[i], padding));
    while (list.size() > 1) {
        std::unique_ptr<TileNode> a = std::move(list.back());
        list.pop_back();
        std::unique_ptr<TileNode> b = std::move(list.back());
        list.pop_back();
        Insert(list, std::make_unique<DoubleTileNode>(std::move(a), std::move(b)));
    }

    // Tiles without pixels still get an atlas with one.
    const Math::Vector2t<int> size = list.front()->GetSize();
    Managed<Bitmap2D> atlas(new Bitmap2D(std::max(size.x, 1), std::max(size.y, 1), format));
    std::memset(atlas->GetData(), 0, size_t(atlas->GetDataSize()));
    Managed<Bitmap2DCollage> collage(new Bitmap2DCollage(tiles.Count(), atlas.Get()));
    list.front()->Place(collage.Get(), 0, 0);
    return collage.Detach();
}

Texture2DCollage* Collage2DBuilder::BuildTextureCollage(Graphics::Device* device, Graphics::PixelFormat format,
                                                        int padding) const
{
    Managed<Bitmap2DCollage> bitmaps(BuildBitmapCollage(format, padding));
    Bitmap2D* atlas = bitmaps->GetBitmap();
    Managed<Graphics::Texture2D> texture(device->CreateTexture2D(atlas->GetWidth(), atlas->GetHeight(), format, false));
    texture->SetData(0, atlas->GetData(), true);
    auto* collage = new Texture2DCollage(bitmaps->GetTileCount(), texture.Get());
    for (int tile = 0; tile < bitmaps->GetTileCount(); ++tile)
        collage->SetTile(tile, bitmaps->GetCorner0(tile), bitmaps->GetCorner1(tile), bitmaps->GetCorner2(tile),
                         bitmaps->GetCorner3(tile), bitmaps->IsRotated(tile));
    return collage;
}

}  // namespace Nimbrel::Utils
