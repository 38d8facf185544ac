#pragma once
// GUI::TextBox: one line of editable text with a blinking caret, a selection and an overwrite
// mode, as the Tracker's cells use it.
//
// Keys (engine key codes): characters 32 to 255 are typed (replacing a selection; in overwrite
// mode over the character at the caret), other character codes are ignored; Left and Right
// move the caret (with Shift held they extend the selection, without it they collapse one);
// Home and End go to either end; Insert toggles overwrite; Delete and Backspace remove the
// selection or one character. Every key then goes on to the parent's OnKey with the text box as
// sender. When the text changed, the next Draw tells the parent with OnNotify(text box, 0,
// null). Characters are unsigned bytes.
//
// BeginEdit selects the whole text, so the first character typed replaces it; EndEdit (also on
// losing the activation) ends the selection. While active, the caret shows for the first half
// of every second of GUI::Now().

#include "core/Managed.h"
#include "core/String.h"
#include "utils/draw2d/Blitter.h"
#include "utils/gui/Color.h"
#include "utils/gui/Widget.h"
#include "utils/typography/Text.h"

#include <string>

namespace Nimbrel::Utils::GUI {

class TextBox : public Widget {
public:
    explicit TextBox(Draw2D::Blitter* painter);
    ~TextBox() override;

    // The caret goes to the end.
    void SetText(const String& text);
    String GetText() const;
    int GetLength() const { return static_cast<int>(text.size()); }
    int GetCaret() const { return caret; }
    // Clamped to the text.
    void SetCaret(int position);
    bool HasSelection() const { return selectionActive && caret != anchor; }
    bool IsSelectionActive() const { return selectionActive; }
    int GetSelectionAnchor() const { return anchor; }
    bool IsOverwrite() const { return overwrite; }
    void SetTextColor(const Color& color);
    Color GetTextColor() const { return textColor; }
    virtual void BeginEdit();
    virtual void EndEdit();

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnKey(Widget* sender, int key, int state) override;
    void OnDeactivated(Widget* sender) override;

private:
    void HandleCharacter(int code);
    void HandleKeyDown(int key);
    void DeleteSelection();
    void Erase(int position, int count);
    void MoveCaret(int position);
    void BuildQuads(Typography::FontFace* face);
    void BuildText(Typography::FontFace* face);
    Draw2D::Quad MakeQuad(int x, int width, int height, const Color& color, int bitmap) const;

    Managed<Typography::Text> laidOut;
    Managed<Draw2D::Blitter::Quads> caretQuad;
    Managed<Draw2D::Blitter::Quads> selectionQuad;
    Color textColor{0, 0, 0, 0};
    bool overwrite = false;
    bool shiftHeld = false;
    bool quadsDirty = true;
    bool textDirty = true;
    std::string text;
    int caret = 0;
    bool selectionActive = false;
    int anchor = 0;
    // The glyph table the caret is drawn from, pinned for the face it came from.
    const int* fontTable = nullptr;
    Typography::FontFace* pinnedFace = nullptr;
};

}  // namespace Nimbrel::Utils::GUI
