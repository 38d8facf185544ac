#pragma once
// GUI::DefaultScrollBar: the skin's scroll bar, a track panel and a knob panel dragged along it.
//
// The position is kept as a fraction of the knob's travel (double precision, so long ranges do
// not drift near their end) and as the knob's offset in pixels. A position p places the knob at
// (p + 1) / range of its travel, and reads back as floor((range - 1) x fraction): the position
// last set. A range below 1 becomes 1; a knob that fills its track has fraction 0.

#include "utils/gui/ScrollBar.h"

namespace Nimbrel::Utils::GUI {

class Panel;
class Skin;

class DefaultScrollBar : public ScrollBar {
public:
    explicit DefaultScrollBar(Skin* skin);
    ~DefaultScrollBar() override;

    void Refresh() override {}
    void SetRange(int range) override;
    int GetRange() const override { return range; }
    void SetScrollPosition(int position) override;
    int GetScrollPosition() override;
    void SetPageSize(int pageSize) override;
    int GetPageSize() const override { return pageSize; }
    void SetHorizontal() override;
    void SetVertical() override;
    Panel* GetKnob() const { return knob; }

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnMouseDown(Widget* sender, const Input::MouseEvent& event) override;
    void OnMouseMove(Widget* sender, const Input::MouseEvent& event) override;
    void OnDrag(Widget* sender, const Input::MouseEvent& event) override;
    void OnButtonReleased(Widget* sender, int button) override;

private:
    void Layout();
    void DragTo(const Input::MouseEvent& event);
    int Travel() const { return trackLength - knobLength; }

    Panel* track;
    Panel* knob;
    bool horizontal = false;
    int range = 1;
    int pageSize = 1;
    double fraction = 0.0;
    int knobOffset = 0;
    int trackLength = 0;
    int knobLength = 0;
    bool dragging = false;
    int grab = 0;
    bool dirty = true;
};

}  // namespace Nimbrel::Utils::GUI
