#pragma once
// GUI::DefaultGauge: the skin's gauge, a black background panel and a bar panel whose width
// is the value's share of the range.

#include "utils/gui/Gauge.h"
#include "utils/gui/ValueRange.h"

namespace Nimbrel::Utils::GUI {

class Panel;
class Skin;

class DefaultGauge : public Gauge {
public:
    explicit DefaultGauge(Skin* skin);
    ~DefaultGauge() override;

    void SetBarColor(const Color& color) override;
    void SetMinimum(float minimum) override;
    void SetMaximum(float maximum) override;
    void SetValue(float value) override;
    float GetMinimum() const override { return range.minimum; }
    float GetMaximum() const override { return range.maximum; }
    float GetValue() const override { return range.value; }
    Panel* GetBar() const { return bar; }

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;

private:
    ValueRange range;
    bool dirty = true;
    Panel* background;
    Panel* bar;
};

}  // namespace Nimbrel::Utils::GUI
