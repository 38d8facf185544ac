// XML files: the XmlDocument request of the default proxy, then a walk over every element
// of the document that asks each for its name, attributes and inner text.
#include "FuzzProxy.h"

#include "core/Map.h"
#include "utils/xml/Document.h"

#include <vector>

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("doc.xml", data, size);
    Fuzzing::Attempt([&] {
        Managed<Utils::Xml::Document> document = proxy.Get<Utils::Xml::Document>(Utils::ResourceType::XmlDocument, "doc.xml");
        // Depth first, with a stack of its own: a deeply nested document must not end the
        // walk on the stack's limit instead of the reader's.
        std::vector<Utils::Xml::Element*> open;
        if (Utils::Xml::Element* root = document->GetRoot())
            open.push_back(root);
        while (!open.empty()) {
            Utils::Xml::Element* element = open.back();
            open.pop_back();
            const String name = element->GetName();
            element->GetInnerText();
            element->HasAttribute(name);
            element->GetAttribute("id");
            Map<String, String> attributes;
            element->GetAttributes(attributes);
            if (Utils::Xml::Element* next = element->GetNextSibling())
                open.push_back(next);
            if (Utils::Xml::Element* child = element->GetFirstChild())
                open.push_back(child);
        }
    });
    return 0;
}
