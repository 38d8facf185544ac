#pragma once
// GUI::Panel: a nine-segment frame. The widget's rectangle is cut into a 3 x 3 grid by the
// border sizes; the corners take exactly the border sizes, the edges stretch along one axis and
// the centre along both. Segments are indexed row by row from the top-left: 0 top-left corner,
// 1 top edge, 2 top-right corner, 3 left edge, 4 centre, 5 right edge, 6 bottom-left corner,
// 7 bottom edge, 8 bottom-right corner.
//
// The quads take the parent's clip rectangle: a panel never draws outside its own rectangle.
// Drawing before all nine segments are set throws "GUI::Panel::Build(): All segment bitmaps
// not set".

#include "core/Managed.h"
#include "utils/draw2d/Blitter.h"
#include "utils/gui/Color.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils {
class Bitmap2D;
}

namespace Nimbrel::Utils::GUI {

class Panel : public Widget {
public:
    static constexpr int SegmentCount = 9;

    explicit Panel(Draw2D::Blitter* painter);
    ~Panel() override;

    // Pins the bitmap for the segment, unpinning the one it replaces.
    void SetSegment(int index, Bitmap2D* bitmap);
    void SetColor(const Color& color);
    Color GetColor() const { return color; }
    void SetBorders(int top, int left, int right, int bottom);

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;

private:
    void Build();

    Color color;
    int borderTop = 2;
    int borderLeft = 2;
    int borderRight = 2;
    int borderBottom = 2;
    Managed<Draw2D::Blitter::Quads> quads;
    bool dirty = true;
    int segments[SegmentCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
};

}  // namespace Nimbrel::Utils::GUI
