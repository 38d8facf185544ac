// Writing documents as XML text: the exact bytes.
#include "utils/xml/WriteDocument.h"

#include "core/Managed.h"
#include "utils/xml/RWDocument.h"
#include "utils/xml/RWElement.h"

#include "support/Expect.h"
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

}  // namespace write_document_test
