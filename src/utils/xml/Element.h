#pragma once
// Xml::Element: one element of an XML document, as every reader and writer of XML in the
// engine sees it.
//
// Only elements take part in navigation: GetFirstChild and then GetNextSibling until null
// visit an element's child elements in document order; text, comments and declarations are
// invisible. Elements returned by the getters belong to their document and are not released
// by the caller. An element owns its first child and its next sibling: AppendChild and
// AppendSibling take over the caller's reference to the element given.
//
// The order of the virtual operations is part of the interface; new ones go at the end.

#include "core/AbstractMap.h"
#include "core/Object.h"
#include "core/String.h"

namespace Nimbrel::Utils::Xml {

class Element : public Object {
public:
    // The enclosing element, null for a root.
    virtual Element* GetParent() = 0;
    virtual void SetParent(Element* parent) = 0;
    // Makes this element the child's parent and appends the child after the last of this
    // element's children (it becomes the first child when there is none).
    virtual void AppendChild(Element* child) = 0;
    // Appends the element after the last element of this element's sibling chain; returns
    // this element. The parent of the appended element is left as it is.
    virtual Element* AppendSibling(Element* element) = 0;
    virtual String GetName() = 0;
    virtual void SetName(const String& name) = 0;
    // The attribute's value; an empty string when the element has no such attribute.
    virtual String GetAttribute(const String& name) = 0;
    virtual void SetAttribute(const String& name, const String& value) = 0;
    virtual bool HasAttribute(const String& name) = 0;
    // Adds every attribute (name, value) to `out` with its Add, so a map that already holds
    // one of the names throws that map's message.
    virtual void GetAttributes(AbstractMap<String, String>& out) = 0;
    // The element's text content, empty when there is none.
    virtual String GetInnerText() = 0;
    virtual void SetInnerText(const String& text) = 0;
    // The first child element, or null.
    virtual Element* GetFirstChild() = 0;
    // The next element at the same level, or null.
    virtual Element* GetNextSibling() = 0;
};

}  // namespace Nimbrel::Utils::Xml
