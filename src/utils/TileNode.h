#pragma once
// Utils::TileNode: the binary tree that Collage2DBuilder packs with.
//
// A SingleTileNode is one image and its padding; a DoubleTileNode stacks node b below node a
// (or, turned, beside it). Turning a node turns everything below it, so a node's size is
// always its children's laid out in its orientation. Positions are atlas pixels counted
// from the top-left corner. Internal to the builder.

#include "math/Vector2t.h"
#include "utils/Collage2D.h"
#include "utils/Collage2DBuilder.h"

#include <memory>

namespace Nimbrel::Utils {

class TileNode {
public:
    virtual ~TileNode() = default;
    // Puts the node's images into the collage's atlas with their top-left corner at (x, y)
    // and records their tiles.
    virtual void Place(Bitmap2DCollage* collage, int x, int y) = 0;
    // A quarter turn; GetSize swaps.
    virtual void Rotate() = 0;
    virtual Math::Vector2t<int> GetSize() const = 0;
};

class SingleTileNode : public TileNode {
public:
    // Starts turned when the image is taller than wide. Throws "Collage2DBuilder: Atlas too
    // large" when the padded size does not fit an int.
    SingleTileNode(const Collage2DBuilder::Tile& tile, int padding);

    void Place(Bitmap2DCollage* collage, int x, int y) override;
    void Rotate() override { rotated = !rotated; }
    Math::Vector2t<int> GetSize() const override;

private:
    const Collage2DBuilder::Tile& tile;
    int padding;
    bool rotated;
};

class DoubleTileNode : public TileNode {
public:
    // Turns itself when the stacked pair is narrower than tall. Throws "Collage2DBuilder:
    // Atlas too large" when the pair does not fit an int.
    DoubleTileNode(std::unique_ptr<TileNode> a, std::unique_ptr<TileNode> b);

    void Place(Bitmap2DCollage* collage, int x, int y) override;
    void Rotate() override;
    Math::Vector2t<int> GetSize() const override;

private:
    std::unique_ptr<TileNode> a;
    std::unique_ptr<TileNode> b;
    Math::Vector2t<int> size;  // unturned: b below a
    bool rotated = false;
};

}  // namespace Nimbrel::Utils
