#include "utils/gui/Label.h"

#include "utils/draw2d/Blitter.h"
#include "utils/typography/FontFace.h"

namespace Nimbrel::Utils::GUI {

Label::Label(Draw2D::Blitter* painter) : Widget(painter)
{
    SetSize(100, 15);
}

Label::Label(Draw2D::Blitter* painter, const String& value) : Widget(painter), text(value)
{
    SetSize(100, 15);
}

Label::~Label() = default;

void Label::SetText(const String& value)
{
    if (value == text)
        return;
    text = value;
    dirty = true;
}

void Label::SetTextColor(const Color& value)
{
    if (value == textColor)
        return;
    textColor = value;
    dirty = true;
}

void Label::SetAlignment(int horizontal, int vertical)
{
    if (horizontal == horizontalAlignment && vertical == verticalAlignment)
        return;
    horizontalAlignment = horizontal;
    verticalAlignment = vertical;
    dirty = true;
}

void Label::Build()
{
    Typography::FontFace* face = GetFontFacePointer();
    const int width = face->Measure(text.CStr(), text.Length());
    const Point size = GetSize();
    int x = 0;
    if (horizontalAlignment == 1)
        x = (size.x - width) / 2;
    else if (horizontalAlignment == 2)
        x = size.x - width;
    int y = 0;
    if (verticalAlignment == 1)
        y = (size.y - face->GetLineHeight()) / 2;
    else if (verticalAlignment == 2)
        y = size.y - face->GetLineHeight();
    const Point screen = GetScreenPosition();
    const ClipRect clip = GetParent() ? GetParent()->GetClipRect() : ClipRect{0, 0, 32767, 32767};
    laidOut.Set(new Typography::Text(GetPainter(), face, textColor.Packed(), text, screen.x + x, screen.y + y, clip.x0,
                                     clip.y0, clip.x1, clip.y1, Draw2D::Blitter::PinPrintableGlyphs));
    dirty = false;
}

// Built again when the text changed since, so the size is the current text's.
Point Label::GetTextSize()
{
    if (!laidOut || dirty)
        Build();
    return laidOut->GetSize();
}

void Label::FitToText()
{
    SetSize(GetTextSize());
}

void Label::FitWidthToText()
{
    SetSize(GetTextSize().x, GetSize().y);
}

void Label::FitHeightToText()
{
    SetSize(GetSize().x, GetTextSize().y);
}

void Label::Draw(Widget* widget)
{
    if (widget != this)
        return;
    if (dirty)
        Build();
    laidOut->Draw();
}

void Label::OnLayout(Widget*)
{
    dirty = true;
}

}  // namespace Nimbrel::Utils::GUI
