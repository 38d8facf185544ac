#pragma once
// GUI::DefaultSlider: the skin's slider, a thin track panel and a knob panel. A left-button
// press on it starts a drag; each pixel the pointer moves right adds the step to the value.
// The drag follows the pointer off the slider (moves and drags of the active path alike) until
// a button is released.

#include "core/Managed.h"
#include "utils/gui/Slider.h"
#include "utils/gui/ValueRange.h"

namespace Nimbrel::Utils::GUI {

class Panel;
class Skin;

class DefaultSlider : public Slider {
public:
    explicit DefaultSlider(Skin* skin);
    ~DefaultSlider() override;

    void SetMinimum(float minimum) override;
    void SetMaximum(float maximum) override;
    void SetStep(float step) override;
    void SetValue(float value) override;
    float GetMinimum() const override { return range.minimum; }
    float GetMaximum() const override { return range.maximum; }
    float GetStep() const override { return step; }
    float GetValue() const override { return range.value; }
    Panel* GetKnob() const { return knob; }

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnMouseDown(Widget* sender, const Input::MouseEvent& event) override;
    void OnMouseMove(Widget* sender, const Input::MouseEvent& event) override;
    void OnDrag(Widget* sender, const Input::MouseEvent& event) override;
    void OnButtonReleased(Widget* sender, int button) override;

private:
    void DragTo(const Input::MouseEvent& event);

    ValueRange range;
    float step = 1.0f;
    bool dirty = true;
    bool dragging = false;
    Point lastMouse{0, 0};
    Panel* track;
    Panel* knob;
};

}  // namespace Nimbrel::Utils::GUI
