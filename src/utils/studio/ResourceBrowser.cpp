#include "utils/studio/ResourceBrowser.h"

#include "utils/ResourceProxy.h"
#include "utils/gui/Clock.h"
#include "utils/gui/ListBox.h"

namespace Nimbrel::Utils::Studio {

ResourceBrowser::ResourceBrowser(GUI::Skin* skin, ResourceProxy* proxy) : GUI::Applet(skin)
{
    proxy->AddRef();
    this->proxy.Set(proxy);
    SetTitle("Resource Browser");
    SetSize(420, 260);
    list = new GUI::ListBox(skin);
    AddChild(list);
    const GUI::Point client = GetClient()->GetSize();
    list->SetPosition(0, 0);
    list->SetSize(client);
    list->SetAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
    Refresh();
}

String ResourceBrowser::DescribeRecord(const ResourceProxy& proxy, int index)
{
    const ResourceProxy::AssetRecord& record = proxy.GetRecord(index);
    return proxy.GetTypeName(record.type) + "  " + record.descriptor + "  (" + String(record.object->GetRefCount()) +
           " refs)";
}

void ResourceBrowser::Draw(Widget* widget)
{
    if (widget == this && GUI::Now() - refreshedAt >= RefreshSeconds)
        Refresh();
    GUI::Applet::Draw(widget);
}

void ResourceBrowser::Refresh()
{
    refreshedAt = GUI::Now();
    const int selected = list->GetSelectedIndex();
    list->Clear();
    for (int i = 0; i < proxy->GetRecordCount(); ++i)
        list->AddItem(DescribeRecord(*proxy, i));
    if (selected < list->GetItemCount())
        list->SetSelectedIndex(selected);
}

}  // namespace Nimbrel::Utils::Studio
