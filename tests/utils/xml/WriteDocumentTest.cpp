// Writing documents as XML text: the exact bytes, and a round trip through the XML loader.
#include "utils/xml/WriteDocument.h"

#include "core/LinearMap.h"
#include "core/Managed.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/xml/RWDocument.h"
#include "utils/xml/RWElement.h"

#include "support/Expect.h"
#include "support/MemoryFileSystem.h"
#include "support/MemoryStream.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace write_document_test {

using Attributes = std::initializer_list<std::pair<const char*, const char*>>;

const std::string Declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

Xml::RWElement* Make(const char* name, Attributes attributes = {})
{
    Xml::RWElement* element = Xml::CreateElement();
    element->SetName(name);
    for (const auto& [key, value] : attributes)
        element->SetAttribute(key, value);
    return element;
}

Xml::RWElement* Add(Xml::Element* parent, const char* name, Attributes attributes = {})
{
    Xml::RWElement* child = Make(name, attributes);
    parent->AppendChild(child);
    return child;
}

// The bytes written for the document with `root`, which it takes over.
std::string Written(Xml::Element* root)
{
    Managed<Xml::Document> document(Xml::CreateDocument(root));
    Managed<Testing::MemoryStream> stream(new Testing::MemoryStream());
    Xml::WriteDocument(Resource<Xml::Document, ResourceType::XmlDocument>(document.Get()),
                       Resource<IO::Stream, ResourceType::OutputStream>(stream.Get()));
    return std::string(stream->bytes.begin(), stream->bytes.end());
}

TEST(WriteDocument, WritesTheDeclarationThenEachElementOnItsLineWithAttributesInNameOrder)
{
    Xml::RWElement* r = Make("r");
    Add(r, "c", {{"x", "10"}, {"v", "1"}});
    EXPECT_EQ(Written(r), Declaration + "<r >\n  <c v=\"1\" x=\"10\" />\n</r>\n");

    EXPECT_EQ(Written(Make("a", {{"y", "2"}, {"x", "1"}})), Declaration + "<a x=\"1\" y=\"2\" />\n");
    EXPECT_EQ(Written(Make("many", {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}, {"f", "6"}, {"g", "7"}})),
              Declaration + "<many a=\"1\" b=\"2\" c=\"3\" d=\"4\" e=\"5\" f=\"6\" g=\"7\" />\n");

    Xml::RWElement* text = Make("t");
    text->SetInnerText("not written");
    EXPECT_EQ(Written(text), Declaration + "<t />\n");
}

TEST(WriteDocument, IndentsTwoSpacesPerLevelAndClosesEachParentAtItsOwnLevel)
{
    Xml::RWElement* r = Make("r");
    Xml::RWElement* m = Add(r, "m");
    Add(Add(m, "i"), "j", {{"k", "1"}});
    Add(m, "i2");
    Add(r, "s");
    EXPECT_EQ(Written(r), Declaration +
                              "<r >\n"
                              "  <m >\n"
                              "    <i >\n"
                              "      <j k=\"1\" />\n"
                              "    </i>\n"
                              "    <i2 />\n"
                              "  </m>\n"
                              "  <s />\n"
                              "</r>\n");
}

TEST(WriteDocument, WritesTheFourReservedCharactersOfAttributeValuesAsEntities)
{
    EXPECT_EQ(Written(Make("e", {{"q", "a & b < c > d \"e\" 'f'"}})),
              Declaration + "<e q=\"a &amp; b &lt; c &gt; d &quot;e&quot; 'f'\" />\n");
}

TEST(WriteDocument, AStreamThatStopsTakingBytesThrowsItsFailure)
{
    Managed<Xml::Document> document(Xml::CreateDocument(Make("r")));
    Managed<Testing::MemoryStream> stream(new Testing::MemoryStream());
    stream->writeLimit = static_cast<int>(Declaration.size()) + 2;
    EXPECT_THROW_MESSAGE(Xml::WriteDocument(Resource<Xml::Document, ResourceType::XmlDocument>(document.Get()),
                                            Resource<IO::Stream, ResourceType::OutputStream>(stream.Get())),
                         "Unable to write data to stream");
}

TEST(WriteDocument, TwoHundredThousandSiblingsAreWrittenWithoutRecursion)
{
    Xml::RWElement* r = Make("r");
    for (int i = 0; i < 200000; ++i)
        Add(r, "e");
    const std::string text = Written(r);
    EXPECT_EQ(text.size(), Declaration.size() + 5 + 200000 * 8 + 5);
    EXPECT_EQ(text.substr(text.size() - 13), "  <e />\n</r>\n");
}

// What the loader reads back: each element's name, its attributes in document order and its
// children, one line per element, indented by depth.
void Describe(Xml::Element* element, int depth, std::string& out)
{
    for (; element; element = element->GetNextSibling()) {
        out += std::string(static_cast<size_t>(depth) * 2, ' ') + element->GetName().CStr();
        LinearMap<String, String> attributes;
        element->GetAttributes(attributes);
        Managed<Iterator<Pair<String, String>>> entries = attributes.GetIterator();
        while (entries->MoveNext())
            out += std::string(" ") + entries->Current().Key.CStr() + "=[" + entries->Current().Value.CStr() + "]";
        out += "\n";
        Describe(element->GetFirstChild(), depth + 1, out);
    }
}

TEST(WriteDocument, WhatIsWrittenLoadsBackWithTheSameNamesAttributesAndOrder)
{
    Xml::RWElement* root = Make("studio_root");
    Add(root, "tracker", {{"size", "(640, 480)"}, {"pos", "(120, 40)"}});
    Xml::RWElement* monitor = Add(root, "probe_monitor", {{"pos", "(0, 0)"}});
    Add(monitor, "watch", {{"probe", "Scene & <Camera> \"main\""}});
    Add(monitor, "watch", {{"probe", "a&amp;b\ttab\nline"}});
    Add(root, "sequencer");

    Managed<Testing::MemoryFileSystem> files(new Testing::MemoryFileSystem());
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    proxy->SetFileSystem(files.Get());
    {
        Managed<Xml::Document> document(Xml::CreateDocument(root));
        Xml::WriteDocument(Resource<Xml::Document, ResourceType::XmlDocument>(document.Get()),
                           Resource<IO::Stream, ResourceType::OutputStream>(proxy.Get(), "gui_layout.xml"));
    }
    Resource<Xml::Document, ResourceType::XmlDocument> loaded(proxy.Get(), "gui_layout.xml");
    std::string description;
    Describe(loaded->GetRoot(), 0, description);
    EXPECT_EQ(description,
              "studio_root\n"
              "  tracker pos=[(120, 40)] size=[(640, 480)]\n"
              "  probe_monitor pos=[(0, 0)]\n"
              "    watch probe=[Scene & <Camera> \"main\"]\n"
              "    watch probe=[a&amp;b\ttab\nline]\n"
              "  sequencer\n");
}

}  // namespace write_document_test
