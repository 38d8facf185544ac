#pragma once
// Studio::ProbeMonitor: live, smoothed values of chosen probes, one row each with the name, the
// value and a bar gauge, refreshed twenty times per second.
//
// Watching a probe shows every leaf below it (a leaf once, however often it is watched; the
// layout keeps every watch as added). At most 20 rows are shown. Each update moves a row's
// value 40 % of the way to the probe's current value; the gauges share a peak that follows
// the largest values, and a gauge turns from green to red as its value nears the peak.
// Updates run on the GUI clock in steps of 0.05 seconds from the moment the monitor is made;
// a monitor more than a second behind (hidden, or the program stalled) starts afresh from now
// instead of replaying what it missed.

#include "core/Array.h"
#include "utils/ProbeProxy.h"
#include "utils/gui/Applet.h"

namespace Nimbrel::Utils::GUI {
class Gauge;
class Label;
class Table;
}  // namespace Nimbrel::Utils::GUI

namespace Nimbrel::Utils::Studio {

class ProbeMonitor : public GUI::Applet {
public:
    static constexpr int MaxRows = 20;
    static constexpr double UpdateInterval = 0.05;

    explicit ProbeMonitor(GUI::Skin* skin);
    ~ProbeMonitor() override;

    // A probe of the global probe proxy.
    void AddWatch(Probe* probe);
    const Array<Probe*>& GetWatches() const { return watches; }
    const Array<int>& GetIndices() const { return indices; }
    float GetSmoothed(int row) const { return smoothed[row]; }
    float GetPeak() const { return peak; }
    GUI::Label* GetNameLabel(int row) const { return names[row]; }
    GUI::Label* GetValueLabel(int row) const { return values[row]; }
    GUI::Gauge* GetGauge(int row) const { return gauges[row]; }

    Xml::Element* SaveLayout() override;
    void Draw(Widget* widget) override;

private:
    void Update();

    Array<Probe*> watches;
    Array<int> indices;
    GUI::Table* table;
    GUI::Label* names[MaxRows];
    GUI::Label* values[MaxRows];
    GUI::Gauge* gauges[MaxRows];
    float smoothed[MaxRows] = {};
    float peak = 0.0f;
    double nextUpdate;
};

}  // namespace Nimbrel::Utils::Studio
