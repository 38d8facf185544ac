#pragma once
// GUI::DefaultSkin: the skin whose bitmaps are built into the program, so the Studio needs no
// image files. Two nine-segment sets (a grey frame for panels and buttons, a black alpha-only
// one for shadows), an 8 x 8 white ring icon and an 8 x 9 black arrow pointing right, all
// PixelFormatR8G8B8A8 and built at construction.

#include "core/Managed.h"
#include "utils/Bitmap2D.h"
#include "utils/draw2d/Blitter.h"
#include "utils/gui/Skin.h"

namespace Nimbrel::Utils::GUI {

class DefaultSkin : public Skin {
public:
    static constexpr int SegmentCount = 9;

    // Holds a reference to the blitter, which every widget the skin creates draws with.
    explicit DefaultSkin(Draw2D::Blitter* painter);
    ~DefaultSkin() override;

    Draw2D::Blitter* GetPainter() override { return painter.Get(); }
    Panel* CreatePanel() override;
    Panel* CreateShadowPanel() override;
    Button* CreateButton() override;
    Image* CreateIcon() override;
    Image* CreateArrow() override;
    Slider* CreateSlider() override;
    Gauge* CreateGauge() override;
    ScrollBar* CreateScrollBar() override;
    void SetFont(const FontResource& value) override;
    FontResource GetFont() override;

    // The built-in bitmaps, for those who build their own parts from them.
    Bitmap2D* GetFrameSegment(int index) const { return frame[index].Get(); }
    Bitmap2D* GetShadowSegment(int index) const { return shadow[index].Get(); }
    Bitmap2D* GetIconBitmap() const { return icon.Get(); }
    Bitmap2D* GetArrowBitmap() const { return arrow.Get(); }

private:
    Managed<Draw2D::Blitter> painter;
    Managed<Bitmap2D> frame[SegmentCount];
    Managed<Bitmap2D> shadow[SegmentCount];
    Managed<Bitmap2D> icon;
    Managed<Bitmap2D> arrow;
    FontResource font;
};

}  // namespace Nimbrel::Utils::GUI
