#pragma once
// Utils::Loaders::GUILoader: the service that turns an XML element into widgets.
//
// The descriptor names an element registered with the proxy (ResourceProxy::Add) or, failing
// that, an XML file, whose root element is used. The document is read privately, bypassing
// the proxy's records, so loading the same file again builds what the file says now.
//
// Elements:
//   "widget"       a plain Widget painted with the skin's painter
//   "studio_root"  a plain Widget holding one widget per child element, built directly from
//                  the child (no descriptor is made for it); its own attributes are not read
// Any other name throws "Unsupported widget name '<name>', try another loader". On a widget
// that is not a container, "pos" and "size" (text as in GUI/PointText.h) set its position and
// size; a malformed one throws "Invalid Vector2 String". Containers nest at most MaximumDepth
// deep, so a hostile file cannot exhaust the stack. Any failure frees what was built so far
// and ends the whole load.
//
// It uses the proxy's skin (GetSkin throws when none is set).
#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Xml {
class Element;
}
namespace Nimbrel::Utils::GUI {
class Skin;
class Widget;
}  // namespace Nimbrel::Utils::GUI

namespace Nimbrel::Utils::Loaders {

class GUILoader : public ResourceProxy::Service {
public:
    static constexpr int MaximumDepth = 16;

    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::GUIWidget); }
    String GetName() override { return "GUI Loader"; }

    // A new widget, with the creator's reference, built from an element of a layout and its
    // children; `depth` is the element's nesting level (0 for a layout's root).
    static GUI::Widget* Build(Xml::Element* element, ResourceProxy* proxy, int depth);
};

}  // namespace Nimbrel::Utils::Loaders
