#include "utils/gui/Panel.h"

#include "core/Exception.h"
#include "utils/Bitmap2D.h"

#include <algorithm>

namespace Nimbrel::Utils::GUI {

Panel::Panel(Draw2D::Blitter* painter) : Widget(painter) {}

Panel::~Panel()
{
    for (int index : segments)
        if (index >= 0)
            GetPainter()->UnpinBitmap(index);
}

void Panel::SetSegment(int index, Bitmap2D* bitmap)
{
    if (index < 0 || index >= SegmentCount)
        throw Exception("GUI::Panel::SetSegment(): Invalid segment index");
    const int pinned = GetPainter()->PinBitmap(bitmap);
    if (segments[index] >= 0)
        GetPainter()->UnpinBitmap(segments[index]);
    segments[index] = pinned;
    dirty = true;
}

void Panel::SetColor(const Color& value)
{
    color = value;
    dirty = true;
}

void Panel::SetBorders(int top, int left, int right, int bottom)
{
    borderTop = top;
    borderLeft = left;
    borderRight = right;
    borderBottom = bottom;
    dirty = true;
}

void Panel::Build()
{
    for (int index : segments)
        if (index < 0)
            throw Exception("GUI::Panel::Build(): All segment bitmaps not set");
    const Point size = GetSize();
    const Point screen = GetScreenPosition();
    const ClipRect clip = GetParent() ? GetParent()->GetClipRect() : ClipRect{0, 0, 32767, 32767};
    const int columnX[3] = {0, borderLeft, size.x - borderRight};
    const int columnWidth[3] = {borderLeft, size.x - borderLeft - borderRight, borderRight};
    const int rowY[3] = {0, borderTop, size.y - borderBottom};
    const int rowHeight[3] = {borderTop, size.y - borderTop - borderBottom, borderBottom};
    Draw2D::Quad cells[SegmentCount];
    for (int i = 0; i < SegmentCount; ++i) {
        Draw2D::Quad& quad = cells[i];
        quad.x = static_cast<int16_t>(screen.x + columnX[i % 3]);
        quad.y = static_cast<int16_t>(screen.y + rowY[i / 3]);
        // A panel smaller than its borders gives its centre no area rather than a negative one.
        quad.width = static_cast<int16_t>(std::max(columnWidth[i % 3], 0));
        quad.height = static_cast<int16_t>(std::max(rowHeight[i / 3], 0));
        quad.clipLeft = static_cast<int16_t>(clip.x0);
        quad.clipTop = static_cast<int16_t>(clip.y0);
        quad.clipRight = static_cast<int16_t>(clip.x1);
        quad.clipBottom = static_cast<int16_t>(clip.y1);
        quad.color = color.Packed();
        quad.bitmap = segments[i];
    }
    if (quads)
        GetPainter()->SetQuads(quads.Get(), 0, SegmentCount, cells);
    else
        quads.Set(GetPainter()->CreateQuads(SegmentCount, cells));
    dirty = false;
}

void Panel::Draw(Widget* widget)
{
    if (widget != this)
        return;
    if (dirty)
        Build();
    GetPainter()->DrawQuads(quads.Get());
}

void Panel::OnLayout(Widget*)
{
    dirty = true;
}

}  // namespace Nimbrel::Utils::GUI
