#pragma once
// GUI::Gauge: a bar showing a value between a minimum and a maximum.

#include "utils/gui/Color.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::GUI {

class Gauge : public Widget {
public:
    explicit Gauge(Draw2D::Blitter* painter) : Widget(painter) {}

    virtual void SetBarColor(const Color& color) = 0;
    virtual void SetMinimum(float minimum) = 0;
    virtual void SetMaximum(float maximum) = 0;
    virtual void SetValue(float value) = 0;
    virtual float GetMinimum() const = 0;
    virtual float GetMaximum() const = 0;
    virtual float GetValue() const = 0;
};

}  // namespace Nimbrel::Utils::GUI
