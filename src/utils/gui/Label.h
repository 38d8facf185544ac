#pragma once
// GUI::Label: one line of text in the font found up the tree, aligned in the widget's
// rectangle (0 left or top, 1 centre, 2 right or bottom) and cut to the parent's clip
// rectangle. Control codes show as "?"; characters are unsigned bytes.

#include "core/Managed.h"
#include "core/String.h"
#include "utils/gui/Color.h"
#include "utils/gui/Widget.h"
#include "utils/typography/Text.h"

namespace Nimbrel::Utils::GUI {

class Label : public Widget {
public:
    explicit Label(Draw2D::Blitter* painter);
    Label(Draw2D::Blitter* painter, const String& text);
    ~Label() override;

    void SetText(const String& text);
    const String& GetText() const { return text; }
    void SetTextColor(const Color& color);
    Color GetTextColor() const { return textColor; }
    void SetAlignment(int horizontal, int vertical);
    // The laid-out text's size: the sum of the advances by ascender + descender.
    Point GetTextSize();
    void FitToText();
    void FitWidthToText();
    void FitHeightToText();

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;

private:
    void Build();

    String text;
    bool dirty = true;
    Managed<Typography::Text> laidOut;
    Color textColor;
    int horizontalAlignment = 0;
    int verticalAlignment = 0;
};

}  // namespace Nimbrel::Utils::GUI
