#include "utils/gui/DefaultSkin.h"

#include "core/Exception.h"
#include "utils/gui/DefaultButton.h"
#include "utils/gui/DefaultGauge.h"
#include "utils/gui/DefaultScrollBar.h"
#include "utils/gui/DefaultSlider.h"
#include "utils/gui/Image.h"
#include "utils/gui/Panel.h"
#include "utils/typography/FontFace.h"

#include <cstdint>
#include <initializer_list>
#include <memory>

namespace Nimbrel::Utils::GUI {

namespace {

// A bitmap of the pixels in stored order (bottom row first), each (r, g, b, a).
Managed<Bitmap2D> SkinBitmap(int width, int height, std::initializer_list<uint32_t> rgba)
{
    if (static_cast<int>(rgba.size()) != width * height)
        throw Exception("GUI::DefaultSkin: Built-in bitmap of the wrong size");
    auto data = std::make_unique<uint8_t[]>(rgba.size() * 4);
    int i = 0;
    for (uint32_t pixel : rgba) {
        data[i++] = static_cast<uint8_t>(pixel >> 24);
        data[i++] = static_cast<uint8_t>(pixel >> 16);
        data[i++] = static_cast<uint8_t>(pixel >> 8);
        data[i++] = static_cast<uint8_t>(pixel);
    }
    return Managed<Bitmap2D>(new Bitmap2D(width, height, Graphics::PixelFormatR8G8B8A8, std::move(data)));
}

// A grey pixel of level g and alpha a.
constexpr uint32_t SkinGrey(uint32_t g, uint32_t a)
{
    return g << 24 | g << 16 | g << 8 | a;
}

// A black pixel of alpha a (all zero when a is).
constexpr uint32_t SkinBlack(uint32_t a)
{
    return a;
}

// A white pixel of alpha a, stored as (0, 0, 0, 0) when fully transparent.
constexpr uint32_t SkinWhite(uint32_t a)
{
    return a == 0 ? 0 : (0xffffff00u | a);
}

void BuildFrameSet(Managed<Bitmap2D> (&set)[DefaultSkin::SegmentCount])
{
    const auto g = SkinGrey;
    set[0] = SkinBitmap(2, 2, {g(182, 191), g(210, 255), g(182, 79), g(182, 191)});
    set[1] = SkinBitmap(1, 2, {g(255, 255), g(182, 191)});
    set[2] = SkinBitmap(2, 2, {g(210, 255), g(182, 191), g(182, 191), g(182, 79)});
    set[3] = SkinBitmap(2, 4, {g(239, 191), g(255, 255), g(218, 255), g(255, 255), g(194, 255), g(255, 255),
                               g(182, 191), g(255, 255)});
    set[4] = SkinBitmap(1, 4, {g(239, 191), g(218, 255), g(194, 255), g(182, 191)});
    set[5] = SkinBitmap(2, 4, {g(255, 255), g(239, 191), g(255, 255), g(218, 255), g(255, 255), g(194, 255),
                               g(255, 255), g(182, 191)});
    set[6] = SkinBitmap(2, 2, {g(239, 79), g(239, 191), g(239, 191), g(210, 255)});
    set[7] = SkinBitmap(1, 2, {g(239, 191), g(255, 255)});
    set[8] = SkinBitmap(2, 2, {g(239, 191), g(239, 79), g(210, 255), g(239, 191)});
}

void BuildShadowSet(Managed<Bitmap2D> (&set)[DefaultSkin::SegmentCount])
{
    const auto b = SkinBlack;
    set[0] = SkinBitmap(2, 2, {b(0), b(255), b(0), b(0)});
    set[1] = SkinBitmap(1, 2, {b(255), b(0)});
    set[2] = SkinBitmap(2, 2, {b(255), b(0), b(0), b(0)});
    set[3] = SkinBitmap(2, 1, {b(0), b(255)});
    set[4] = SkinBitmap(1, 1, {b(0)});
    set[5] = SkinBitmap(2, 1, {b(255), b(0)});
    set[6] = SkinBitmap(2, 2, {b(0), b(0), b(0), b(255)});
    set[7] = SkinBitmap(1, 2, {b(0), b(255)});
    set[8] = SkinBitmap(2, 2, {b(0), b(0), b(255), b(0)});
}

Managed<Bitmap2D> BuildSkinIcon()
{
    const uint8_t alpha[8][8] = {
        {0, 0, 0, 127, 127, 0, 0, 0},         {0, 127, 255, 255, 255, 255, 127, 0},
        {0, 255, 255, 127, 127, 255, 255, 0}, {127, 255, 127, 0, 0, 127, 255, 127},
        {127, 255, 127, 0, 0, 127, 255, 127}, {0, 255, 255, 127, 127, 255, 255, 0},
        {0, 127, 255, 255, 255, 255, 127, 0}, {0, 0, 0, 127, 127, 0, 0, 0},
    };
    Managed<Bitmap2D> bitmap(new Bitmap2D(8, 8, Graphics::PixelFormatR8G8B8A8));
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 8; ++x) {
            const uint32_t pixel = SkinWhite(alpha[row][x]);
            uint8_t* p = bitmap->GetData() + (row * 8 + x) * 4;
            p[0] = p[1] = p[2] = static_cast<uint8_t>(pixel >> 8);
            p[3] = static_cast<uint8_t>(pixel);
        }
    return bitmap;
}

Managed<Bitmap2D> BuildSkinArrow()
{
    const uint8_t alpha[9][8] = {
        {0, 36, 50, 36, 0, 0, 0, 0}, {0, 50, 50, 50, 50, 0, 0, 0},  {0, 50, 50, 50, 50, 50, 0, 0},
        {0, 50, 50, 50, 50, 50, 36, 0}, {0, 50, 50, 50, 50, 50, 50, 0}, {0, 50, 50, 50, 50, 50, 36, 0},
        {0, 50, 50, 50, 50, 50, 0, 0}, {0, 50, 50, 50, 50, 0, 0, 0},  {0, 36, 50, 36, 0, 0, 0, 0},
    };
    Managed<Bitmap2D> bitmap(new Bitmap2D(8, 9, Graphics::PixelFormatR8G8B8A8));
    for (int row = 0; row < 9; ++row)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = bitmap->GetData() + (row * 8 + x) * 4;
            p[0] = p[1] = p[2] = 0;
            p[3] = alpha[row][x];
        }
    return bitmap;
}

Panel* SkinPanel(Draw2D::Blitter* painter, const Managed<Bitmap2D> (&set)[DefaultSkin::SegmentCount])
{
    Panel* panel = new Panel(painter);
    for (int i = 0; i < DefaultSkin::SegmentCount; ++i)
        panel->SetSegment(i, set[i].Get());
    return panel;
}

Image* SkinImage(Draw2D::Blitter* painter, Bitmap2D* bitmap)
{
    Image* image = new Image(painter);
    image->SetBitmap(bitmap);
    return image;
}

}  // namespace

DefaultSkin::DefaultSkin(Draw2D::Blitter* blitter)
{
    if (!blitter)
        throw Exception("GUI::DefaultSkin: No painter");
    blitter->AddRef();
    painter.Set(blitter);
    BuildFrameSet(frame);
    BuildShadowSet(shadow);
    icon = BuildSkinIcon();
    arrow = BuildSkinArrow();
}

DefaultSkin::~DefaultSkin() = default;

Panel* DefaultSkin::CreatePanel()
{
    return SkinPanel(painter.Get(), frame);
}

Panel* DefaultSkin::CreateShadowPanel()
{
    Panel* panel = SkinPanel(painter.Get(), shadow);
    panel->SetBorders(10, 10, 10, 10);
    return panel;
}

Button* DefaultSkin::CreateButton()
{
    Bitmap2D* segments[SegmentCount];
    for (int i = 0; i < SegmentCount; ++i)
        segments[i] = frame[i].Get();
    return new DefaultButton(painter.Get(), segments);
}

Image* DefaultSkin::CreateIcon()
{
    return SkinImage(painter.Get(), icon.Get());
}

Image* DefaultSkin::CreateArrow()
{
    return SkinImage(painter.Get(), arrow.Get());
}

Slider* DefaultSkin::CreateSlider()
{
    return new DefaultSlider(this);
}

Gauge* DefaultSkin::CreateGauge()
{
    return new DefaultGauge(this);
}

void DefaultSkin::SetFont(const FontResource& value)
{
    font = value;
}

FontResource DefaultSkin::GetFont()
{
    return font;
}

ScrollBar* DefaultSkin::CreateScrollBar()
{
    return new DefaultScrollBar(this);
}

}  // namespace Nimbrel::Utils::GUI
