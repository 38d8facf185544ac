#include "utils/gui/Image.h"

#include "core/Exception.h"
#include "utils/Bitmap2D.h"

#include <algorithm>

namespace Nimbrel::Utils::GUI {

namespace {
Draw2D::Quad ImageBlankQuad()
{
    Draw2D::Quad quad;
    quad.bitmap = -1;
    return quad;
}
}  // namespace

Image::Image(Draw2D::Blitter* painter) : Widget(painter)
{
    if (!painter)
        throw Exception("GUI::Image: No painter");
    const Draw2D::Quad quad = ImageBlankQuad();
    quads.Set(painter->CreateQuads(1, &quad));
}

Image::~Image()
{
    UnpinOwnBitmap();
}

void Image::UnpinOwnBitmap()
{
    if (pinned)
        GetPainter()->UnpinBitmap(bitmapIndex);
    pinned = false;
}

void Image::SetBitmap(Bitmap2D* bitmap)
{
    const int index = GetPainter()->PinBitmap(bitmap);
    UnpinOwnBitmap();
    bitmapIndex = index;
    pinned = true;
    SetSize(bitmap->GetWidth(), bitmap->GetHeight());
    dirty = true;
}

void Image::SetBitmapIndex(int index)
{
    UnpinOwnBitmap();
    bitmapIndex = index;
    dirty = true;
}

void Image::SetColor(const Color& value)
{
    color = value;
    dirty = true;
}

void Image::Draw(Widget* widget)
{
    if (widget != this || bitmapIndex < 0)
        return;
    if (dirty) {
        const Point screen = GetScreenPosition();
        const Point size = GetSize();
        const ClipRect clip = GetClipRect();
        Draw2D::Quad quad;
        quad.x = static_cast<int16_t>(screen.x);
        quad.y = static_cast<int16_t>(screen.y);
        quad.width = static_cast<int16_t>(std::min(size.x, 32767));
        quad.height = static_cast<int16_t>(std::min(size.y, 32767));
        quad.clipLeft = static_cast<int16_t>(clip.x0);
        quad.clipTop = static_cast<int16_t>(clip.y0);
        quad.clipRight = static_cast<int16_t>(clip.x1);
        quad.clipBottom = static_cast<int16_t>(clip.y1);
        quad.color = color.Packed();
        quad.bitmap = bitmapIndex;
        quad.reserved = 0;
        GetPainter()->SetQuads(quads.Get(), 0, 1, &quad);
        dirty = false;
    }
    GetPainter()->DrawQuads(quads.Get());
}

void Image::OnLayout(Widget*)
{
    dirty = true;
}

}  // namespace Nimbrel::Utils::GUI
