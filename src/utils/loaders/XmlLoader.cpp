#include "utils/loaders/XmlLoader.h"

#include "core/Exception.h"
#include "io/Buffer.h"
#include "utils/Resource.h"
#include "utils/loaders/PrivateRequest.h"
#include "utils/loaders/PugiXmlDocumentWrapper.h"

#include <pugixml.hpp>

#include <memory>

namespace Nimbrel::Utils::Loaders {

namespace xml_loader_detail {

// pugixml's defaults without the conversion of tabs and line breaks in attribute values.
constexpr unsigned int ParseOptions = pugi::parse_default & ~pugi::parse_wconv_attribute;

}  // namespace xml_loader_detail

Object* XmlLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    // The bytes are needed only while parsing; a private request keeps them out of the
    // records, so a document read afresh sees the file as it is now.
    Managed<IO::Buffer> bytes = RequestPrivate<IO::Buffer>(proxy, ResourceType::Buffer, descriptor);
    return Parse(bytes->Data(), static_cast<size_t>(bytes->GetSize()));
}

Xml::Document* XmlLoader::Parse(const uint8_t* bytes, size_t size)
{
    auto document = std::make_unique<pugi::xml_document>();
    pugi::xml_parse_result parsed =
        document->load_buffer(bytes, size, xml_loader_detail::ParseOptions, pugi::encoding_utf8);
    if (!parsed)
        throw Exception(
            String::Format("%s at byte offset %td", parsed.description(), static_cast<ptrdiff_t>(parsed.offset)));
    return new PugiXmlDocumentWrapper(std::move(document));
}

}  // namespace Nimbrel::Utils::Loaders
