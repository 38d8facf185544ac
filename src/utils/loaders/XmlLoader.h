#pragma once
// Utils::Loaders::XmlLoader: the service that reads XML files into read-only documents.
//
// The file's bytes are the Buffer of the same descriptor, requested privately through the
// proxy doing the load (the descriptor's hints apply; the bytes are not kept in the records). pugixml parses exactly those
// bytes, as they are (no conversion of encoding, none of white space in attribute values);
// entities and CDATA are resolved, comments, processing instructions and the declaration
// are dropped. The result is a PugiXmlDocumentWrapper.
//
// Malformed XML throws pugixml's description of the fault and the byte offset where it was
// found ("Start-end tags mismatch at byte offset 12"). An element that names an attribute
// twice is refused when navigation reaches it (see PugiXmlWrapperElement): checking every
// element up front would cost as much again as the parse.

#include "utils/ResourceProxy.h"

#include <cstddef>
#include <cstdint>

namespace Nimbrel::Utils::Xml {
class Document;
}

namespace Nimbrel::Utils::Loaders {

class XmlLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::XmlDocument); }
    String GetName() override { return "XmlLoader"; }

    // A new document parsed from exactly these bytes, with the creator's reference; throws as
    // Load does on malformed XML.
    static Xml::Document* Parse(const uint8_t* bytes, size_t size);
};

}  // namespace Nimbrel::Utils::Loaders
