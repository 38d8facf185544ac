#pragma once
// GUI::Slider: a value between a minimum and a maximum, set by dragging.

#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::GUI {

class Slider : public Widget {
public:
    explicit Slider(Draw2D::Blitter* painter) : Widget(painter) {}

    virtual void SetMinimum(float minimum) = 0;
    virtual void SetMaximum(float maximum) = 0;
    // The value change per pixel dragged.
    virtual void SetStep(float step) = 0;
    virtual void SetValue(float value) = 0;
    virtual float GetMinimum() const = 0;
    virtual float GetMaximum() const = 0;
    virtual float GetStep() const = 0;
    virtual float GetValue() const = 0;
};

}  // namespace Nimbrel::Utils::GUI
