#include "utils/loaders/COLLADALoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/Buffer.h"
#include "utils/Resource.h"
#include "utils/Scene.h"
#include "utils/loaders/PugiXmlDocumentWrapper.h"
#include "utils/loaders/collada/Parser.h"
#include "utils/loaders/collada/TexturePath.h"
#include "utils/xml/Document.h"

#include <pugixml.hpp>

#include <memory>

namespace Nimbrel::Utils::Loaders {

namespace collada_loader_detail {

// A byte-order mark of UTF-16 either way, or "<" written as two bytes.
bool LooksUtf16(const uint8_t* bytes, int64_t size)
{
    if (size < 2)
        return false;
    return (bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF) ||
           (bytes[0] == '<' && bytes[1] == 0) || (bytes[0] == 0 && bytes[1] == '<');
}

// The XML loader's options: pugixml's defaults, attribute values left as written.
constexpr unsigned int ParseOptions = pugi::parse_default & ~pugi::parse_wconv_attribute;

Xml::Document* ParseUtf16(const IO::Buffer& bytes)
{
    auto document = std::make_unique<pugi::xml_document>();
    pugi::xml_parse_result parsed = document->load_buffer(bytes.Data(), static_cast<size_t>(bytes.GetSize()),
                                                          ParseOptions, pugi::encoding_auto);
    if (!parsed)
        throw Exception(String::Format("%s at byte offset %td", parsed.description(), static_cast<ptrdiff_t>(parsed.offset)));
    return new PugiXmlDocumentWrapper(std::move(document));
}

}  // namespace collada_loader_detail

Object* COLLADALoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Managed<Xml::Document> document;
    {
        Resource<IO::Buffer, ResourceType::Buffer> bytes(proxy, descriptor);
        if (collada_loader_detail::LooksUtf16(static_cast<const uint8_t*>(bytes->Data()), bytes->GetSize()))
            document.Set(collada_loader_detail::ParseUtf16(*bytes));
    }
    if (!document) {
        Resource<Xml::Document, ResourceType::XmlDocument> xml(proxy, descriptor);
        xml->AddRef();
        document.Set(xml.Get());
    }
    Xml::Element* root = document->GetRoot();
    if (!root || !(root->GetName() == "COLLADA"))
        throw Exception("Not a COLLADA document");
    COLLADA::Parser parser(root);
    return parser.BuildScene(proxy, COLLADA::FolderOf(descriptor));
}

}  // namespace Nimbrel::Utils::Loaders
