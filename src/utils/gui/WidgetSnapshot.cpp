#include "utils/gui/WidgetSnapshot.h"

#include "utils/gui/Widget.h"

#include <memory>

namespace Nimbrel::Utils::GUI {

namespace {
std::vector<std::unique_ptr<std::vector<Widget*>>>& SnapshotBuffers()
{
    static std::vector<std::unique_ptr<std::vector<Widget*>>> buffers;
    return buffers;
}
size_t snapshotDepth = 0;
}  // namespace

WidgetSnapshot::WidgetSnapshot(const Array<Widget*>& widgets)
{
    auto& buffers = SnapshotBuffers();
    if (snapshotDepth == buffers.size())
        buffers.push_back(std::make_unique<std::vector<Widget*>>());
    items = buffers[snapshotDepth++].get();
    items->assign(widgets.begin(), widgets.end());
    for (Widget* widget : *items)
        widget->AddRef();
}

WidgetSnapshot::~WidgetSnapshot()
{
    for (Widget* widget : *items)
        widget->Release();
    items->clear();
    --snapshotDepth;
}

}  // namespace Nimbrel::Utils::GUI
