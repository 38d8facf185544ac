#include "utils/xml/RWElement.h"

#include "core/Exception.h"
#include "utils/xml/AttributeOrder.h"

namespace Nimbrel::Utils::Xml {

RWElement::~RWElement()
{
    ReleaseLinks(links, [](Element* element) -> ElementLinks* {
        auto* owned = dynamic_cast<RWElement*>(element);
        return owned ? &owned->links : nullptr;
    });
}

void RWElement::AppendChild(Element* child)
{
    child->SetParent(this);
    if (!links.firstChild)
        links.firstChild = child;
    else
        LastSibling(lastChild ? lastChild : links.firstChild)->AppendSibling(child);
    lastChild = child;
}

Element* RWElement::AppendSibling(Element* element)
{
    Element* last = LastSibling(this);
    if (last == this)
        links.nextSibling = element;
    else
        last->AppendSibling(element);
    return this;
}

void RWElement::SetAttribute(const String& name, const String& value)
{
    if (attributes.Contains(name))
        throw Exception("Map::Add(): Can't add element. Map allready contains the given key");
    attributes.Add(name, value);
}

void RWElement::GetAttributes(AbstractMap<String, String>& out)
{
    for (const Pair<String, String>& attribute : InNameOrder(attributes))
        out.Add(attribute.Key, attribute.Value);
}

RWElement* CreateElement()
{
    return new RWElement();
}

}  // namespace Nimbrel::Utils::Xml
