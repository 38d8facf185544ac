#pragma once
// Xml::Document: a whole XML document, reached through its root element.

#include "core/Object.h"
#include "utils/xml/Element.h"

namespace Nimbrel::Utils::Xml {

class Document : public Object {
public:
    // The root element, owned by the document (not released by the caller); null when the
    // document has none.
    virtual Element* GetRoot() = 0;
};

}  // namespace Nimbrel::Utils::Xml
