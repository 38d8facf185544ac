#pragma once
// Utils::Loaders::PugiXmlDocumentWrapper: a read-only document over a document parsed by
// pugixml, as the XmlLoader returns it.
//
// The wrapper owns the parsed document. The root's wrapper is made on the first GetRoot and
// kept, and the wrappers below it are made as navigation reaches them; all of them go with
// the document (a wrapper that someone else still references, say a proxy record, outlives
// it, but must not be read any more).

#include "core/Managed.h"
#include "utils/xml/Document.h"

#include <memory>

namespace pugi {
class xml_document;
}

namespace Nimbrel::Utils::Loaders {

class PugiXmlDocumentWrapper : public Xml::Document {
public:
    explicit PugiXmlDocumentWrapper(std::unique_ptr<pugi::xml_document> document);
    ~PugiXmlDocumentWrapper() override;
    PugiXmlDocumentWrapper(const PugiXmlDocumentWrapper&) = delete;
    PugiXmlDocumentWrapper& operator=(const PugiXmlDocumentWrapper&) = delete;

    // The document element, with no parent; null when the document has none.
    Xml::Element* GetRoot() override;

private:
    std::unique_ptr<pugi::xml_document> document;
    // Declared after the document, so it goes first.
    Managed<Xml::Element> root;
};

}  // namespace Nimbrel::Utils::Loaders
