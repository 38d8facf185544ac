#pragma once
// Utils::Loaders::PugiXmlWrapperElement: a read-only element over an element of a document
// parsed by pugixml (see PugiXmlDocumentWrapper).
//
// The wrapper of the first child element and of the next sibling element are made on their
// first request and kept; they belong to this wrapper and go with it. Navigation skips every
// node that is not an element. Attributes are read in document order, the first of a name
// answering for it; a missing attribute reads as an empty string. The inner text is the text
// (or CDATA) node that leads the element's content, condensed: white space (space, tab,
// carriage return, line feed) trimmed at both ends and every run inside it written as one
// space; empty when the content does not start with text.
//
// pugixml keeps an attribute that an element names twice, which XML forbids: making the
// wrapper of such an element (GetRoot, GetFirstChild, GetNextSibling) throws "Duplicate
// attribute 'x' in element 'c' at byte offset 3", every time it is asked for.
//
// SetName, SetAttribute and SetInnerText throw "Xml::Element::<operation>(): Document is
// read-only". The linking operations work as on any element: an element appended to a
// wrapper comes after the document's own children or siblings and belongs to the wrapper.

#include "utils/xml/ElementLinks.h"

namespace pugi {
struct xml_node_struct;
}

namespace Nimbrel::Utils::Loaders {

class PugiXmlWrapperElement : public Xml::Element {
public:
    // `node` is an element of a document that outlives the wrapper.
    PugiXmlWrapperElement(pugi::xml_node_struct* node, Xml::Element* parent);
    ~PugiXmlWrapperElement() override;
    PugiXmlWrapperElement(const PugiXmlWrapperElement&) = delete;
    PugiXmlWrapperElement& operator=(const PugiXmlWrapperElement&) = delete;

    Xml::Element* GetParent() override { return parent; }
    void SetParent(Xml::Element* parent) override { this->parent = parent; }
    void AppendChild(Xml::Element* child) override;
    Xml::Element* AppendSibling(Xml::Element* element) override;
    String GetName() override { return name; }
    void SetName(const String& name) override;
    String GetAttribute(const String& name) override;
    void SetAttribute(const String& name, const String& value) override;
    bool HasAttribute(const String& name) override;
    void GetAttributes(AbstractMap<String, String>& out) override;
    String GetInnerText() override;
    void SetInnerText(const String& text) override;
    Xml::Element* GetFirstChild() override;
    Xml::Element* GetNextSibling() override;

private:
    String name;
    Xml::Element* parent;
    Xml::ElementLinks links;
    pugi::xml_node_struct* node;
    // Set once the document was searched for the link, so a missing one is looked for once.
    bool firstChildSought = false;
    bool nextSiblingSought = false;
};

}  // namespace Nimbrel::Utils::Loaders
