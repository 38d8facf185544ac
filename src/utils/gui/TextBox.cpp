#include "utils/gui/TextBox.h"

#include "input/KeyCodes.h"
#include "utils/Bitmap2D.h"
#include "utils/gui/Clock.h"
#include "utils/typography/FontFace.h"

#include <algorithm>
#include <cmath>

namespace Nimbrel::Utils::GUI {

namespace {
constexpr int TextBoxCaretCode = '|';
}

TextBox::TextBox(Draw2D::Blitter* painter) : Widget(painter) {}

TextBox::~TextBox()
{
    if (fontTable)
        GetPainter()->UnpinFont(fontTable);
}

void TextBox::SetText(const String& value)
{
    text.assign(value.CStr(), static_cast<size_t>(value.Length()));
    caret = GetLength();
    anchor = std::min(anchor, GetLength());
    quadsDirty = textDirty = true;
}

String TextBox::GetText() const
{
    return String(text.data(), GetLength());
}

void TextBox::SetCaret(int position)
{
    MoveCaret(std::clamp(position, 0, GetLength()));
}

void TextBox::MoveCaret(int position)
{
    if (position == caret)
        return;
    caret = position;
    quadsDirty = true;
}

void TextBox::SetTextColor(const Color& color)
{
    textColor = color;
    quadsDirty = textDirty = true;
}

void TextBox::BeginEdit()
{
    anchor = 0;
    caret = GetLength();
    selectionActive = true;
    quadsDirty = true;
}

void TextBox::EndEdit()
{
    selectionActive = false;
    quadsDirty = true;
}

void TextBox::Erase(int position, int count)
{
    if (count <= 0)
        return;
    text.erase(static_cast<size_t>(position), static_cast<size_t>(count));
    quadsDirty = textDirty = true;
}

void TextBox::DeleteSelection()
{
    const int from = std::min(caret, anchor);
    const int to = std::max(caret, anchor);
    Erase(from, to - from);
    MoveCaret(from);
    selectionActive = false;
    quadsDirty = true;
}

void TextBox::HandleCharacter(int code)
{
    if (code < 32 || code > 255)
        return;
    if (selectionActive) {
        if (HasSelection())
            DeleteSelection();
        selectionActive = false;
    }
    const char character = static_cast<char>(static_cast<unsigned char>(code));
    if (overwrite && caret < GetLength())
        text[static_cast<size_t>(caret)] = character;
    else
        text.insert(static_cast<size_t>(caret), 1, character);
    ++caret;
    quadsDirty = textDirty = true;
}

void TextBox::HandleKeyDown(int key)
{
    switch (key) {
    case Input::KeyShift:
        shiftHeld = true;
        if (!selectionActive) {
            selectionActive = true;
            anchor = caret;
            quadsDirty = true;
        }
        break;
    case Input::KeyLeft:
        if (!selectionActive || shiftHeld) {
            if (caret > 0)
                MoveCaret(caret - 1);
        } else {
            MoveCaret(std::min(caret, anchor));
            selectionActive = false;
            quadsDirty = true;
        }
        break;
    case Input::KeyRight:
        if (!selectionActive || shiftHeld) {
            if (caret < GetLength())
                MoveCaret(caret + 1);
        } else {
            MoveCaret(std::max(caret, anchor));
            selectionActive = false;
            quadsDirty = true;
        }
        break;
    case Input::KeyHome:
    case Input::KeyEnd:
        if (selectionActive && !shiftHeld) {
            selectionActive = false;
            quadsDirty = true;
        }
        MoveCaret(key == Input::KeyHome ? 0 : GetLength());
        break;
    case Input::KeyInsert:
        overwrite = !overwrite;
        break;
    case Input::KeyDelete:
        if (HasSelection())
            DeleteSelection();
        else if (caret < GetLength())
            Erase(caret, 1);
        break;
    case Input::KeyBackspace:
        if (HasSelection()) {
            DeleteSelection();
        } else if (caret > 0) {
            MoveCaret(caret - 1);
            Erase(caret, 1);
            if (selectionActive)
                anchor = caret;
        }
        break;
    default:
        break;
    }
}

void TextBox::OnKey(Widget*, int key, int state)
{
    if (state == Input::KeyActionCharacter)
        HandleCharacter(key);
    else if (state == Input::KeyActionDown)
        HandleKeyDown(key);
    else if (state == Input::KeyActionUp && key == Input::KeyShift)
        shiftHeld = false;
    Widget::OnKey(this, key, state);
}

void TextBox::OnDeactivated(Widget* sender)
{
    if (sender == this)
        EndEdit();
    Widget::OnDeactivated(sender);
}

void TextBox::OnLayout(Widget*)
{
    quadsDirty = textDirty = true;
}

Draw2D::Quad TextBox::MakeQuad(int x, int width, int height, const Color& color, int bitmap) const
{
    const Point screen = GetScreenPosition();
    const ClipRect clip = GetClipRect();
    Draw2D::Quad quad;
    quad.x = static_cast<int16_t>(screen.x + x);
    quad.y = static_cast<int16_t>(screen.y);
    quad.width = static_cast<int16_t>(std::clamp(width, 0, 32767));
    quad.height = static_cast<int16_t>(std::clamp(height, 0, 32767));
    quad.clipLeft = static_cast<int16_t>(clip.x0);
    quad.clipTop = static_cast<int16_t>(clip.y0);
    quad.clipRight = static_cast<int16_t>(clip.x1);
    quad.clipBottom = static_cast<int16_t>(clip.y1);
    quad.color = color.Packed();
    quad.bitmap = bitmap;
    return quad;
}

void TextBox::BuildQuads(Typography::FontFace* face)
{
    const Bitmap2D* glyph = face->GetGlyph(TextBoxCaretCode);
    const int glyphWidth = glyph ? glyph->GetWidth() : 0;
    const int glyphHeight = glyph ? glyph->GetHeight() : 0;
    const int caretX = face->Measure(text.data(), caret);
    const Draw2D::Quad caretRecord =
        MakeQuad(caretX, glyphWidth, glyphHeight, textColor, fontTable[TextBoxCaretCode]);
    if (caretQuad)
        GetPainter()->SetQuads(caretQuad.Get(), 0, 1, &caretRecord);
    else
        caretQuad.Set(GetPainter()->CreateQuads(1, &caretRecord));
    if (HasSelection()) {
        const int from = face->Measure(text.data(), std::min(caret, anchor));
        const int to = face->Measure(text.data(), std::max(caret, anchor));
        const Draw2D::Quad selectionRecord = MakeQuad(from, to - from, glyphHeight, Color(204, 204, 204, 255), 0);
        if (selectionQuad)
            GetPainter()->SetQuads(selectionQuad.Get(), 0, 1, &selectionRecord);
        else
            selectionQuad.Set(GetPainter()->CreateQuads(1, &selectionRecord));
    }
    quadsDirty = false;
}

void TextBox::BuildText(Typography::FontFace* face)
{
    textDirty = false;
    if (GetParent())
        GetParent()->OnNotify(this, 0, nullptr);
    if (text.empty()) {
        laidOut.Set(nullptr);
        return;
    }
    const Point screen = GetScreenPosition();
    const ClipRect clip = GetClipRect();
    laidOut.Set(new Typography::Text(GetPainter(), face, textColor.Packed(), GetText(), screen.x, screen.y, clip.x0,
                                     clip.y0, clip.x1, clip.y1, Draw2D::Blitter::PinPrintableGlyphs));
}

void TextBox::Draw(Widget* widget)
{
    if (widget != this)
        return;
    Typography::FontFace* face = GetFontFacePointer();
    if (face != pinnedFace) {
        const int* table = GetPainter()->PinFont(face, Draw2D::Blitter::PinPrintableGlyphs);
        if (fontTable)
            GetPainter()->UnpinFont(fontTable);
        fontTable = table;
        pinnedFace = face;
        quadsDirty = textDirty = true;
    }
    if (quadsDirty)
        BuildQuads(face);
    if (textDirty)
        BuildText(face);
    const bool caretShows = IsActive() && std::fmod(static_cast<float>(Now()), 1.0f) < 0.5f;
    if (HasSelection())
        GetPainter()->DrawQuads(selectionQuad.Get());
    if (caretShows)
        GetPainter()->DrawQuads(caretQuad.Get());
    if (laidOut)
        laidOut->Draw();
}

}  // namespace Nimbrel::Utils::GUI
