#include "utils/gui/DefaultGauge.h"

#include "utils/gui/Panel.h"
#include "utils/gui/Skin.h"

namespace Nimbrel::Utils::GUI {

DefaultGauge::DefaultGauge(Skin* skin) : Gauge(skin->GetPainter())
{
    background = skin->CreatePanel();
    background->SetColor(Color(0, 0, 0, 255));
    AddChild(background);
    bar = skin->CreatePanel();
    bar->SetColor(Color(51, 102, 166, 255));
    bar->SetMinimumSize(0, 0);  // an empty gauge shows no bar
    AddChild(bar);
    SetSize(150, 20);
}

DefaultGauge::~DefaultGauge() = default;

void DefaultGauge::SetBarColor(const Color& color)
{
    bar->SetColor(color);
}

void DefaultGauge::SetMinimum(float minimum)
{
    range.SetMinimum(minimum);
    dirty = true;
}

void DefaultGauge::SetMaximum(float maximum)
{
    range.SetMaximum(maximum);
    dirty = true;
}

void DefaultGauge::SetValue(float value)
{
    range.SetValue(value);
    dirty = true;
}

void DefaultGauge::Draw(Widget* widget)
{
    if (widget != this || !dirty)
        return;
    const Point size = GetSize();
    background->SetPosition(0, 0);
    background->SetSize(size);
    bar->SetPosition(1, 1);
    bar->SetSize(static_cast<int>((size.x - 2) * range.Fraction()), size.y - 2);
    dirty = false;
}

void DefaultGauge::OnLayout(Widget*)
{
    dirty = true;
}

}  // namespace Nimbrel::Utils::GUI
