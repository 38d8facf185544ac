#include "utils/loaders/GUILoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/gui/PointText.h"
#include "utils/gui/Skin.h"
#include "utils/gui/Widget.h"
#include "utils/ProbeProxy.h"
#include "utils/studio/FramebufferBrowser.h"
#include "utils/studio/ProbeBrowser.h"
#include "utils/studio/ProbeMonitor.h"
#include "utils/studio/Root.h"
#include "utils/studio/Sequencer.h"
#include "utils/studio/Tracker.h"
#include "utils/loaders/PrivateRequest.h"
#include "utils/xml/Document.h"
#include "utils/xml/Element.h"

namespace Nimbrel::Utils::Loaders {

Object* GUILoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Managed<Xml::Element> element;
    Managed<Xml::Document> document;
    try {
        // Only elements recorded with Add resolve: no service makes one.
        Object* recorded = proxy->Get(ResourceType::XmlElement, descriptor);
        element.Set(dynamic_cast<Xml::Element*>(recorded));
        if (!element) {
            recorded->Release();
            throw Exception("Resource '" + descriptor + "' is not of the requested type");
        }
    } catch (const Exception&) {
        document = RequestPrivate<Xml::Document>(proxy, ResourceType::XmlDocument, descriptor);
        Xml::Element* root = document->GetRoot();
        if (!root)
            throw Exception("The document '" + descriptor + "' has no root element");
        root->AddRef();
        element.Set(root);
    }
    return Build(element.Get(), proxy, 0);
}

GUI::Widget* GUILoader::Build(Xml::Element* element, ResourceProxy* proxy, int depth)
{
    const String name = element->GetName();
    GUI::Skin* skin = proxy->GetSkin();
    if (name == "studio_root") {
        if (depth >= MaximumDepth)
            throw Exception(String::Format("Containers nest deeper than %d levels", MaximumDepth));
        // Released (and left to Widget::Collect) when a child fails.
        Managed<GUI::Widget> container(new GUI::Widget(skin->GetPainter()));
        for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling())
            container->AddChild(Build(child, proxy, depth + 1));
        return container.Detach();
    }
    Managed<GUI::Widget> widget;
    if (name == "widget") {
        widget.Set(new GUI::Widget(skin->GetPainter()));
    } else if (name == "tracker") {
        widget.Set(new Studio::Tracker(proxy->GetStudioRoot()));
    } else if (name == "sequencer") {
        widget.Set(new Studio::Sequencer(proxy->GetStudioRoot(), skin));
    } else if (name == "framebuffer_browser") {
        widget.Set(new Studio::FramebufferBrowser(skin, proxy->GetStudioRoot()));
    } else if (name == "probe_browser") {
        widget.Set(new Studio::ProbeBrowser(skin, proxy->GetStudioRoot()));
    } else if (name == "probe_monitor") {
        auto* monitor = new Studio::ProbeMonitor(skin);
        widget.Set(monitor);
        for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling())
            if (child->GetName() == "watch" && child->HasAttribute("probe"))
                monitor->AddWatch(ProbeProxy::GetGlobal()->GetProbe(child->GetAttribute("probe")));
    } else {
        throw Exception("Unsupported widget name '" + name + "', try another loader");
    }
    if (element->HasAttribute("pos"))
        widget->SetPosition(GUI::ParsePoint(element->GetAttribute("pos")));
    if (element->HasAttribute("size"))
        widget->SetSize(GUI::ParsePoint(element->GetAttribute("size")));
    // Only a tracker that was fully built becomes the root's.
    if (name == "tracker")
        proxy->GetStudioRoot()->SetTracker(widget.Get());
    return widget.Detach();
}

}  // namespace Nimbrel::Utils::Loaders
