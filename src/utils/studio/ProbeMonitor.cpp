#include "utils/studio/ProbeMonitor.h"

#include "utils/gui/Clock.h"
#include "utils/gui/Gauge.h"
#include "utils/gui/Label.h"
#include "utils/gui/Skin.h"
#include "utils/gui/Table.h"
#include "utils/xml/RWElement.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Nimbrel::Utils::Studio {

namespace probe_monitor_detail {

constexpr double ResyncSeconds = 1.0;

// Four significant digits, which fit the value column whatever the magnitude ("-1.235e-05");
// to_chars ignores the process locale.
String FormatValue(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer) - 1, value, std::chars_format::general, 4);
    *result.ptr = '\0';
    return String(buffer);
}

void Fill(GUI::Widget* cell, GUI::Widget* content)
{
    cell->AddChild(content);
    content->SetPosition(0, 0);
    content->SetSize(cell->GetSize());
    content->SetAnchors(GUI::Widget::AnchorLeft | GUI::Widget::AnchorRight | GUI::Widget::AnchorTop |
                        GUI::Widget::AnchorBottom);
}

void CollectLeaves(Probe* probe, Array<int>& indices)
{
    if (probe->GetChildCount() == 0) {
        if (!indices.Contains(probe->GetIndex()))
            indices.Add(probe->GetIndex());
        return;
    }
    for (int i = 0; i < probe->GetChildCount(); ++i)
        CollectLeaves(probe->GetChild(i), indices);
}

}  // namespace probe_monitor_detail

ProbeMonitor::ProbeMonitor(GUI::Skin* skin) : GUI::Applet(skin), nextUpdate(GUI::Now())
{
    SetTitle("Probe Monitor");
    SetSize(400, 400);
    table = new GUI::Table(GetPainter(), 3, MaxRows);
    AddChild(table);
    table->SetPosition(0, 0);
    table->SetSize(GetClient()->GetSize());
    table->SetAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
    table->SetColumnWidth(0, 1.0f);
    table->SetColumnWidth(1, 80);
    table->SetColumnWidth(2, 150);
    for (int row = 0; row < MaxRows; ++row)
        table->SetRowHeight(row, 16);
    table->UpdateLayout();
    for (int row = 0; row < MaxRows; ++row) {
        names[row] = new GUI::Label(GetPainter());
        probe_monitor_detail::Fill(table->GetCell(0, row), names[row]);
        values[row] = new GUI::Label(GetPainter());
        probe_monitor_detail::Fill(table->GetCell(1, row), values[row]);
        gauges[row] = skin->CreateGauge();
        probe_monitor_detail::Fill(table->GetCell(2, row), gauges[row]);
    }
}

ProbeMonitor::~ProbeMonitor() = default;

void ProbeMonitor::AddWatch(Probe* probe)
{
    watches.Add(probe);
    probe_monitor_detail::CollectLeaves(probe, indices);
    // Names never change: written here, so the updates only write values.
    ProbeProxy* probes = ProbeProxy::GetGlobal();
    for (int i = 0; i < std::min(MaxRows, indices.Count()); ++i)
        names[i]->SetText(probes->GetProbeName(indices[i]));
}

void ProbeMonitor::Draw(Widget* widget)
{
    GUI::Applet::Draw(widget);
    if (widget != this || !IsVisible())
        return;
    const double now = GUI::Now();
    if (now - nextUpdate > probe_monitor_detail::ResyncSeconds)
        nextUpdate = now;
    while (now >= nextUpdate) {
        Update();
        nextUpdate += UpdateInterval;
    }
}

void ProbeMonitor::Update()
{
    if (!IsCollapsed() && indices.Count() > 0)
        SetSize(GetSize().x, indices.Count() * 15 + 28);
    ProbeProxy* probes = ProbeProxy::GetGlobal();
    const int rows = std::min(MaxRows, indices.Count());
    for (int i = 0; i < rows; ++i) {
        const float current = probes->GetValue(indices[i]);
        smoothed[i] = smoothed[i] * 0.6f + current * 0.4f;
        values[i]->SetText(probe_monitor_detail::FormatValue(smoothed[i]));
        GUI::Gauge* gauge = gauges[i];
        gauge->SetValue(smoothed[i]);
        gauge->SetMaximum(peak);
        const float range = gauge->GetMaximum() - gauge->GetMinimum();
        // An empty range (no value above the minimum yet) shows as the bottom of the scale.
        const float t = range > 0.0f ? std::clamp((smoothed[i] - gauge->GetMinimum()) / range, 0.0f, 1.0f) : 0.0f;
        gauge->SetBarColor(GUI::Color(static_cast<uint8_t>(std::sqrt(t) * 255.0f), static_cast<uint8_t>(255.0f - t * t * 255.0f), 0, 255));
        if (current > peak)
            peak = peak * 0.8f + current * 0.2f;
    }
}

Xml::Element* ProbeMonitor::SaveLayout()
{
    Managed<Xml::RWElement> layout(CreateLayoutElement("probe_monitor"));
    for (Probe* probe : watches) {
        Xml::RWElement* watch = Xml::CreateElement();
        watch->SetName("watch");
        watch->SetAttribute("probe", probe->GetFullName());
        layout->AppendChild(watch);
    }
    return layout.Detach();
}

}  // namespace Nimbrel::Utils::Studio
