#include "utils/TileNode.h"

#include "core/Exception.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace Nimbrel::Utils {

namespace tile_node_detail {

int CheckedSize(int64_t size)
{
    if (size > INT_MAX)
        throw Exception("Collage2DBuilder: Atlas too large");
    return static_cast<int>(size);
}

}  // namespace tile_node_detail

using namespace tile_node_detail;

SingleTileNode::SingleTileNode(const Collage2DBuilder::Tile& tile, int padding)
    : tile(tile), padding(padding), rotated(tile.bitmap->GetHeight() > tile.bitmap->GetWidth())
{
    CheckedSize(int64_t(tile.bitmap->GetWidth()) + 2 * int64_t(padding));
    CheckedSize(int64_t(tile.bitmap->GetHeight()) + 2 * int64_t(padding));
}

Math::Vector2t<int> SingleTileNode::GetSize() const
{
    const int w = tile.bitmap->GetWidth() + 2 * padding;
    const int h = tile.bitmap->GetHeight() + 2 * padding;
    return rotated ? Math::Vector2t<int>(h, w) : Math::Vector2t<int>(w, h);
}

void SingleTileNode::Place(Bitmap2DCollage* collage, int x, int y)
{
    Bitmap2D* atlas = collage->GetBitmap();
    const Bitmap2D* image = tile.bitmap.Get();
    const int w = image->GetWidth();
    const int h = image->GetHeight();
    const int left = x + padding;
    const int top = y + padding;
    const float atlasWidth = float(atlas->GetWidth());
    const float atlasHeight = float(atlas->GetHeight());
    auto corner = [&](int px, int py) { return Collage2D::Point(float(px) / atlasWidth, 1.0f - float(py) / atlasHeight); };

    // Corners 3, 0, 1, 2 are where the image's top-left, bottom-left, bottom-right and
    // top-right end up; turned clockwise its bottom-left lands at the top-left.
    if (rotated)
        collage->SetTile(tile.index, corner(left, top), corner(left, top + w), corner(left + h, top + w),
                         corner(left + h, top), true);
    else
        collage->SetTile(tile.index, corner(left, top + h), corner(left + w, top + h), corner(left + w, top),
                         corner(left, top), false);
    atlas->CopyRotated(image, 0, 0, left, top, w, h, tile.components, rotated ? 1 : 0, tile.premultiply);

    // The border repeats the edge pixels: columns first, then whole padded rows, which
    // fills the corners from the corner pixels.
    const int placedWidth = rotated ? h : w;
    const int placedHeight = rotated ? w : h;
    if (placedWidth == 0 || placedHeight == 0)
        return;
    for (int i = 0; i < padding; ++i) {
        atlas->Copy(atlas, left, top, x + i, top, 1, placedHeight);
        atlas->Copy(atlas, left + placedWidth - 1, top, left + placedWidth + i, top, 1, placedHeight);
    }
    const int paddedWidth = placedWidth + 2 * padding;
    for (int i = 0; i < padding; ++i) {
        atlas->Copy(atlas, x, top, x, y + i, paddedWidth, 1);
        atlas->Copy(atlas, x, top + placedHeight - 1, x, top + placedHeight + i, paddedWidth, 1);
    }
}

DoubleTileNode::DoubleTileNode(std::unique_ptr<TileNode> a, std::unique_ptr<TileNode> b)
    : a(std::move(a)), b(std::move(b))
{
    const Math::Vector2t<int> sizeA = this->a->GetSize();
    const Math::Vector2t<int> sizeB = this->b->GetSize();
    size = Math::Vector2t<int>(std::max(sizeA.x, sizeB.x), CheckedSize(int64_t(sizeA.y) + sizeB.y));
    if (size.x < size.y)
        Rotate();
}

void DoubleTileNode::Rotate()
{
    rotated = !rotated;
    a->Rotate();
    b->Rotate();
}

Math::Vector2t<int> DoubleTileNode::GetSize() const
{
    return rotated ? Math::Vector2t<int>(size.y, size.x) : size;
}

void DoubleTileNode::Place(Bitmap2DCollage* collage, int x, int y)
{
    const Math::Vector2t<int> sizeA = a->GetSize();
    a->Place(collage, x, y);
    if (rotated)
        b->Place(collage, x + sizeA.x, y);
    else
        b->Place(collage, x, y + sizeA.y);
}

}  // namespace Nimbrel::Utils
