#include "utils/loaders/XmlLoader.h"

#include "core/Exception.h"
#include "io/Buffer.h"
#include "utils/Resource.h"
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
    auto document = std::make_unique<pugi::xml_document>();
    {
        Resource<IO::Buffer, ResourceType::Buffer> bytes(proxy, descriptor);
        pugi::xml_parse_result parsed = document->load_buffer(bytes->Data(), static_cast<size_t>(bytes->GetSize()),
                                                              xml_loader_detail::ParseOptions,
                                                              pugi::encoding_utf8);
        if (!parsed)
            throw Exception(
                String::Format("%s at byte offset %td", parsed.description(), static_cast<ptrdiff_t>(parsed.offset)));
    }
    return new PugiXmlDocumentWrapper(std::move(document));
}

}  // namespace Nimbrel::Utils::Loaders
