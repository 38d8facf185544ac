#include "utils/loaders/PugiXmlDocumentWrapper.h"

#include "utils/loaders/PugiXmlWrapperElement.h"

#include <pugixml.hpp>

namespace Nimbrel::Utils::Loaders {

PugiXmlDocumentWrapper::PugiXmlDocumentWrapper(std::unique_ptr<pugi::xml_document> document)
    : document(std::move(document))
{
}

PugiXmlDocumentWrapper::~PugiXmlDocumentWrapper() = default;

Xml::Element* PugiXmlDocumentWrapper::GetRoot()
{
    if (!root)
        if (pugi::xml_node element = document->document_element())
            root.Set(new PugiXmlWrapperElement(element.internal_object(), nullptr));
    return root.Get();
}

}  // namespace Nimbrel::Utils::Loaders
