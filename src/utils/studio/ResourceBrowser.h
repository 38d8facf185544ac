#pragma once
// Studio::ResourceBrowser: a tool window listing the resource proxy's records, one line each:
// type, descriptor and reference count. The list is rebuilt when the window opens and then
// every RefreshSeconds of the GUI clock while it draws, so it follows loads and collections
// without rebuilding every frame.

#include "core/Managed.h"
#include "utils/gui/Applet.h"

namespace Nimbrel::Utils {
class ResourceProxy;
}
namespace Nimbrel::Utils::GUI {
class ListBox;
}

namespace Nimbrel::Utils::Studio {

class ResourceBrowser : public GUI::Applet {
public:
    static constexpr double RefreshSeconds = 0.5;

    // Holds a counted reference to the proxy.
    ResourceBrowser(GUI::Skin* skin, ResourceProxy* proxy);

    GUI::ListBox* GetList() const { return list; }
    // "<type>  <descriptor>  (<count> refs)".
    static String DescribeRecord(const ResourceProxy& proxy, int index);

    void Draw(Widget* widget) override;

private:
    void Refresh();

    Managed<ResourceProxy> proxy;
    GUI::ListBox* list;
    double refreshedAt;
};

}  // namespace Nimbrel::Utils::Studio
