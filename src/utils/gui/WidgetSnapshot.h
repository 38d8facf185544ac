#pragma once
// GUI::WidgetSnapshot: the widgets of a list as they were when the snapshot was taken, each
// held by a reference until the snapshot goes. Walks that call handlers go over a snapshot, so
// a handler may add, remove or close widgets (even the one it was called on) safely.
//
// Snapshots nest (a walk inside a handler inside a walk); their buffers are kept by depth and
// reused, so a steady frame allocates nothing. Main thread only.

#include "core/Array.h"

#include <vector>

namespace Nimbrel::Utils::GUI {

class Widget;

class WidgetSnapshot {
public:
    explicit WidgetSnapshot(const Array<Widget*>& widgets);
    ~WidgetSnapshot();
    WidgetSnapshot(const WidgetSnapshot&) = delete;
    WidgetSnapshot& operator=(const WidgetSnapshot&) = delete;

    int Count() const { return static_cast<int>(items->size()); }
    Widget* operator[](int index) const { return (*items)[static_cast<size_t>(index)]; }

private:
    std::vector<Widget*>* items;
};

}  // namespace Nimbrel::Utils::GUI
