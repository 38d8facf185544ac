#include "utils/loaders/XmlLoader.h"

#include "core/Exception.h"
#include "io/Buffer.h"
#include "utils/Resource.h"
#include "utils/loaders/PugiXmlDocumentWrapper.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace Nimbrel::Utils::Loaders {

namespace xml_loader_detail {

// pugixml's defaults without the conversion of tabs and line breaks in attribute values.
constexpr unsigned int ParseOptions = pugi::parse_default & ~pugi::parse_wconv_attribute;

// Elements with more attributes than this are checked by sorting their names, so a hostile
// element with a great many attributes costs n log n, not n squared.
constexpr size_t PairwiseLimit = 8;

[[noreturn]] void FailDuplicate(pugi::xml_node element, const char* attribute)
{
    throw Exception(String::Format("Duplicate attribute '%s' in element '%s' at byte offset %td", attribute,
                                   element.name(), element.offset_debug()));
}

// The attributes from `first` on, whose second is `second`, name no attribute twice.
void CheckAttributes(pugi::xml_node element, pugi::xml_attribute first, pugi::xml_attribute second,
                     std::vector<const char*>& names)
{
    names.clear();
    names.push_back(first.name());
    for (pugi::xml_attribute attribute = second; attribute; attribute = attribute.next_attribute())
        names.push_back(attribute.name());
    if (names.size() <= PairwiseLimit) {
        for (size_t i = 1; i < names.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                if (std::strcmp(names[i], names[j]) == 0)
                    FailDuplicate(element, names[i]);
        return;
    }
    std::sort(names.begin(), names.end(), [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
    auto twice = std::adjacent_find(names.begin(), names.end(),
                                    [](const char* a, const char* b) { return std::strcmp(a, b) == 0; });
    if (twice != names.end())
        FailDuplicate(element, *twice);
}

// pugixml keeps every attribute it reads, repeated names included; XML forbids them. The
// walk goes through the tree in document order without recursion, asking pugixml as little
// as it can: it is a pass over every node the parse made, and costs about as much again as
// the parse itself.
void RejectDuplicateAttributes(const pugi::xml_document& document)
{
    std::vector<const char*> names;
    pugi::xml_node node = document.first_child();
    while (node) {
        if (node.type() == pugi::node_element) {
            if (pugi::xml_attribute first = node.first_attribute())
                if (pugi::xml_attribute second = first.next_attribute())
                    CheckAttributes(node, first, second, names);
            if (pugi::xml_node child = node.first_child()) {
                node = child;
                continue;
            }
        }
        // Only elements have children: on to the next sibling here or further up.
        while (node) {
            if (pugi::xml_node sibling = node.next_sibling()) {
                node = sibling;
                break;
            }
            node = node.parent();
        }
    }
}

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
    xml_loader_detail::RejectDuplicateAttributes(*document);
    return new PugiXmlDocumentWrapper(std::move(document));
}

}  // namespace Nimbrel::Utils::Loaders
