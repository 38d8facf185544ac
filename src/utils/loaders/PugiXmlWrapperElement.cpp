#include "utils/loaders/PugiXmlWrapperElement.h"

#include "core/Exception.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace Nimbrel::Utils::Loaders {

namespace pugi_xml_wrapper_detail {

bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool NameIs(const char* candidate, const String& name)
{
    const size_t length = static_cast<size_t>(name.Length());
    return std::strlen(candidate) == length && std::memcmp(candidate, name.CStr(), length) == 0;
}

pugi::xml_attribute FindAttribute(pugi::xml_node node, const String& name)
{
    for (pugi::xml_attribute attribute = node.first_attribute(); attribute; attribute = attribute.next_attribute())
        if (NameIs(attribute.name(), name))
            return attribute;
    return pugi::xml_attribute();
}

// The first element among `node` and the siblings after it.
pugi::xml_node FirstElementFrom(pugi::xml_node node)
{
    while (node && node.type() != pugi::node_element)
        node = node.next_sibling();
    return node;
}

// Element text runs to megabytes in scene files (number arrays), so this writes through a
// pointer into one buffer of the text's size instead of appending character by character.
String Condensed(const char* text)
{
    // Text already condensed (words with single spaces between, as exporters mostly write
    // number arrays) is taken as it is.
    const char* end = text;
    bool condensedAlready = !IsXmlSpace(*text);
    for (; *end && condensedAlready; ++end)
        if (IsXmlSpace(*end) && (*end != ' ' || end[1] == 0 || IsXmlSpace(end[1])))
            condensedAlready = false;
    if (condensedAlready)
        return String(text, static_cast<int>(end - text));

    const size_t length = std::strlen(text);
    std::unique_ptr<char[]> condensed(new char[length + 1]);
    char* out = condensed.get();
    bool spacePending = false;
    for (; *text; ++text) {
        if (IsXmlSpace(*text)) {
            spacePending = out != condensed.get();
            continue;
        }
        if (spacePending)
            *out++ = ' ';
        spacePending = false;
        *out++ = *text;
    }
    return String(condensed.get(), static_cast<int>(out - condensed.get()));
}

// Elements with more attributes than this are checked by sorting their names, so a hostile
// element with a great many attributes costs n log n, not n squared.
constexpr int PairwiseLimit = 8;

[[noreturn]] void FailDuplicate(pugi::xml_node element, const char* attribute)
{
    throw Exception(String::Format("Duplicate attribute '%s' in element '%s' at byte offset %td", attribute,
                                   element.name(), element.offset_debug()));
}

void RejectRepeatedAttributes(pugi::xml_node element)
{
    const pugi::xml_attribute first = element.first_attribute();
    if (!first || !first.next_attribute())
        return;
    int count = 0;
    for (pugi::xml_attribute attribute = first; attribute; attribute = attribute.next_attribute())
        ++count;
    if (count <= PairwiseLimit) {
        for (pugi::xml_attribute a = first.next_attribute(); a; a = a.next_attribute())
            for (pugi::xml_attribute b = first; b != a; b = b.next_attribute())
                if (std::strcmp(a.name(), b.name()) == 0)
                    FailDuplicate(element, a.name());
        return;
    }
    std::vector<const char*> names;
    names.reserve(static_cast<size_t>(count));
    for (pugi::xml_attribute attribute = first; attribute; attribute = attribute.next_attribute())
        names.push_back(attribute.name());
    std::sort(names.begin(), names.end(), [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
    auto twice = std::adjacent_find(names.begin(), names.end(),
                                    [](const char* a, const char* b) { return std::strcmp(a, b) == 0; });
    if (twice != names.end())
        FailDuplicate(element, *twice);
}

}  // namespace pugi_xml_wrapper_detail

PugiXmlWrapperElement::PugiXmlWrapperElement(pugi::xml_node_struct* node, Xml::Element* parent)
    : name(pugi::xml_node(node).name()), parent(parent), node(node)
{
    pugi_xml_wrapper_detail::RejectRepeatedAttributes(pugi::xml_node(node));
}

PugiXmlWrapperElement::~PugiXmlWrapperElement()
{
    Xml::ReleaseLinks(links, [](Xml::Element* element) -> Xml::ElementLinks* {
        auto* owned = dynamic_cast<PugiXmlWrapperElement*>(element);
        return owned ? &owned->links : nullptr;
    });
}

void PugiXmlWrapperElement::AppendChild(Xml::Element* child)
{
    child->SetParent(this);
    if (Xml::Element* first = GetFirstChild())
        Xml::LastSibling(first)->AppendSibling(child);
    else
        links.firstChild = child;
}

Xml::Element* PugiXmlWrapperElement::AppendSibling(Xml::Element* element)
{
    Xml::Element* last = Xml::LastSibling(this);
    if (last == this)
        links.nextSibling = element;
    else
        last->AppendSibling(element);
    return this;
}

void PugiXmlWrapperElement::SetName(const String&)
{
    throw Exception("Xml::Element::SetName(): Document is read-only");
}

String PugiXmlWrapperElement::GetAttribute(const String& name)
{
    pugi::xml_attribute attribute = pugi_xml_wrapper_detail::FindAttribute(pugi::xml_node(node), name);
    return attribute ? String(attribute.value()) : String();
}

void PugiXmlWrapperElement::SetAttribute(const String&, const String&)
{
    throw Exception("Xml::Element::SetAttribute(): Document is read-only");
}

bool PugiXmlWrapperElement::HasAttribute(const String& name)
{
    return static_cast<bool>(pugi_xml_wrapper_detail::FindAttribute(pugi::xml_node(node), name));
}

void PugiXmlWrapperElement::GetAttributes(AbstractMap<String, String>& out)
{
    for (pugi::xml_attribute attribute = pugi::xml_node(node).first_attribute(); attribute;
         attribute = attribute.next_attribute())
        out.Add(attribute.name(), attribute.value());
}

String PugiXmlWrapperElement::GetInnerText()
{
    pugi::xml_node first = pugi::xml_node(node).first_child();
    if (first.type() != pugi::node_pcdata && first.type() != pugi::node_cdata)
        return String();
    return pugi_xml_wrapper_detail::Condensed(first.value());
}

void PugiXmlWrapperElement::SetInnerText(const String&)
{
    throw Exception("Xml::Element::SetInnerText(): Document is read-only");
}

Xml::Element* PugiXmlWrapperElement::GetFirstChild()
{
    if (!links.firstChild && !firstChildSought) {
        if (pugi::xml_node child = pugi_xml_wrapper_detail::FirstElementFrom(pugi::xml_node(node).first_child()))
            links.firstChild = new PugiXmlWrapperElement(child.internal_object(), this);
        firstChildSought = true;
    }
    return links.firstChild;
}

Xml::Element* PugiXmlWrapperElement::GetNextSibling()
{
    if (!links.nextSibling && !nextSiblingSought) {
        if (pugi::xml_node sibling = pugi_xml_wrapper_detail::FirstElementFrom(pugi::xml_node(node).next_sibling()))
            links.nextSibling = new PugiXmlWrapperElement(sibling.internal_object(), parent);
        nextSiblingSought = true;
    }
    return links.nextSibling;
}

}  // namespace Nimbrel::Utils::Loaders
