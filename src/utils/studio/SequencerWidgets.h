#pragma once
// The Sequencer's plain drawing parts: TrackWidget, the background of one group row, and
// MarkerWidget, the vertical line at the current time. Both are a solid rectangle that fills
// the widget.

#include "utils/gui/Rectangle.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::Studio {

class SequencerStripe : public GUI::Widget {
public:
    SequencerStripe(Draw2D::Blitter* painter, const GUI::Color& colour) : GUI::Widget(painter)
    {
        fill = new GUI::Rectangle(painter);
        AddChild(fill);
        fill->SetColor(colour);
        fill->SetAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
    }
    GUI::Rectangle* GetFill() const { return fill; }

private:
    GUI::Rectangle* fill;  // a child: the tree holds it
};

class TrackWidget : public SequencerStripe {
public:
    TrackWidget(Draw2D::Blitter* painter, int row)
        : SequencerStripe(painter, row % 2 ? GUI::Color(200, 200, 200, 255) : GUI::Color(215, 215, 215, 255))
    {
    }
};

class MarkerWidget : public SequencerStripe {
public:
    static constexpr int Width = 2;
    explicit MarkerWidget(Draw2D::Blitter* painter) : SequencerStripe(painter, GUI::Color(220, 0, 0, 255)) {}
};

}  // namespace Nimbrel::Utils::Studio
