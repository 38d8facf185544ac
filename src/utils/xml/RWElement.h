#pragma once
// Xml::RWElement: an element built in memory, for documents the engine writes.
//
// Attributes live in a Map, so they come out in name order whatever order they were set in.
// GetAttribute of a name the element does not have answers an empty string and adds the
// attribute with that empty value (it reads through the map's index access); SetAttribute
// of a name the element already has throws "Map::Add(): Can't add element. Map allready
// contains the given key". The inner text is kept as set.
//
// The element owns its first child and its next sibling, so releasing a root releases the
// whole tree. Appending is constant time while children are only added through AppendChild
// (the element remembers the child it appended last); nothing recurses, however wide or
// deep the tree.

#include "core/Map.h"
#include "utils/xml/ElementLinks.h"

namespace Nimbrel::Utils::Xml {

class RWElement : public Element {
public:
    // Name and text empty, no attributes, no children.
    explicit RWElement(Element* parent = nullptr) : parent(parent) {}
    ~RWElement() override;
    RWElement(const RWElement&) = delete;
    RWElement& operator=(const RWElement&) = delete;

    Element* GetParent() override { return parent; }
    void SetParent(Element* parent) override { this->parent = parent; }
    void AppendChild(Element* child) override;
    Element* AppendSibling(Element* element) override;
    String GetName() override { return name; }
    void SetName(const String& name) override { this->name = name; }
    String GetAttribute(const String& name) override { return attributes[name]; }
    void SetAttribute(const String& name, const String& value) override;
    bool HasAttribute(const String& name) override { return attributes.Contains(name); }
    // In name order.
    void GetAttributes(AbstractMap<String, String>& out) override;
    String GetInnerText() override { return innerText; }
    void SetInnerText(const String& text) override { innerText = text; }
    Element* GetFirstChild() override { return links.firstChild; }
    Element* GetNextSibling() override { return links.nextSibling; }

private:
    Element* parent;
    String name;
    Map<String, String> attributes;
    ElementLinks links;
    // The child appended last: the walk to the end of the children starts there.
    Element* lastChild = nullptr;
    String innerText;
};

// A new element with no parent, with one reference for the caller.
RWElement* CreateElement();

}  // namespace Nimbrel::Utils::Xml
