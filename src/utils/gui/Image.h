#pragma once
// GUI::Image: a bitmap (or, with bitmap index 0, the blitter's white pixel) stretched over the
// widget's rectangle, tinted by its colour and cut to its clip rectangle. One quad.
//
// An image without a bitmap (index -1, the start) draws nothing.

#include "core/Managed.h"
#include "utils/draw2d/Blitter.h"
#include "utils/gui/Color.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils {
class Bitmap2D;
}

namespace Nimbrel::Utils::GUI {

class Image : public Widget {
public:
    // The painter must not be null: the image creates its quad in it.
    explicit Image(Draw2D::Blitter* painter);
    ~Image() override;

    // Pins the bitmap (unpinning one pinned before) and takes its size.
    void SetBitmap(Bitmap2D* bitmap);
    // A blitter bitmap index the caller keeps pinned (0 is the white pixel).
    void SetBitmapIndex(int index);
    int GetBitmapIndex() const { return bitmapIndex; }
    void SetColor(const Color& color);
    Color GetColor() const { return color; }

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;

private:
    void UnpinOwnBitmap();

    bool dirty = true;
    int bitmapIndex = -1;
    bool pinned = false;  // whether bitmapIndex is this image's own pin
    Managed<Draw2D::Blitter::Quads> quads;
    Color color;
};

}  // namespace Nimbrel::Utils::GUI
