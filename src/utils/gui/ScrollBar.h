#pragma once
// GUI::ScrollBar: a position in 0 … range - 1, shown as a knob whose length shows the page.

#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::GUI {

class ScrollBar : public Widget {
public:
    explicit ScrollBar(Draw2D::Blitter* painter) : Widget(painter) {}

    // Reserved; the default scroll bar does nothing here.
    virtual void Refresh() = 0;
    virtual void SetRange(int range) = 0;
    virtual int GetRange() const = 0;
    virtual void SetScrollPosition(int position) = 0;
    virtual int GetScrollPosition() = 0;
    virtual void SetPageSize(int pageSize) = 0;
    virtual int GetPageSize() const = 0;
    virtual void SetHorizontal() = 0;
    virtual void SetVertical() = 0;
};

}  // namespace Nimbrel::Utils::GUI
