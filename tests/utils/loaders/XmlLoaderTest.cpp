// XML files into read-only documents: navigation, attributes, inner text, the faults that
// stop a load, documents of 200,000 elements, and which proxy the file comes through.
#include "utils/loaders/XmlLoader.h"

#include "core/LinearMap.h"
#include "core/Managed.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"
#include "utils/xml/Document.h"

#include "support/Expect.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace xml_loader_test {

class XmlLoaderTest : public testing::Test {
protected:
    XmlLoaderTest() { proxy->SetFileSystem(files.Get()); }

    // The document the loader makes of the text, or its exception.
    Managed<Xml::Document> Load(const std::string& text)
    {
        (*files)["doc.xml"].assign(text.begin(), text.end());
        proxy->Collect();  // drops the buffer cached by the previous load
        return Managed<Xml::Document>(
            static_cast<Xml::Document*>(loader->Load(ResourceType::XmlDocument, "doc.xml", proxy.Get())));
    }

    // The message of the exception that loading the text and visiting every element of it
    // throws.
    std::string LoadFailure(const std::string& text)
    {
        try {
            Managed<Xml::Document> document = Load(text);
            Visit(document->GetRoot());
        } catch (const Exception& error) {
            return error.GetMessage().CStr();
        }
        return "(loaded)";
    }

    static void Visit(Xml::Element* element)
    {
        for (; element; element = element->GetNextSibling())
            Visit(element->GetFirstChild());
    }

    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
    Managed<Loaders::XmlLoader> loader{new Loaders::XmlLoader()};
};

std::vector<std::string> ChildNames(Xml::Element* parent)
{
    std::vector<std::string> names;
    for (Xml::Element* child = parent->GetFirstChild(); child; child = child->GetNextSibling()) {
        EXPECT_EQ(child->GetParent(), parent) << child->GetName().CStr();
        names.push_back(child->GetName().CStr());
    }
    return names;
}

TEST_F(XmlLoaderTest, NavigationVisitsElementsOnlyAndKeepsTheWrappersItMade)
{
    Managed<Xml::Document> document = Load("<?xml version=\"1.0\"?>\n<!DOCTYPE r>\n<!-- before -->\n"
                                           "<r><!-- c --><a>text<!-- only --></a> between <?pi x?><b/><![CDATA[z]]>"
                                           "<!-- last --></r>\n<!-- after -->\n");
    Xml::Element* root = document->GetRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->GetName().CStr(), "r");
    EXPECT_EQ(root->GetParent(), nullptr);
    EXPECT_EQ(root->GetNextSibling(), nullptr);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(root->GetFirstChild()->GetFirstChild(), nullptr);

    EXPECT_EQ(document->GetRoot(), root);
    Xml::Element* a = root->GetFirstChild();
    EXPECT_EQ(root->GetFirstChild(), a);
    EXPECT_EQ(a->GetNextSibling(), a->GetNextSibling());
}

TEST_F(XmlLoaderTest, InnerTextIsTheLeadingTextCondensed)
{
    struct Case {
        const char* xml;
        const char* text;
    };
    for (const Case& c : {
             Case{"<a>plain</a>", "plain"},
             Case{"<a>  trimmed at both ends \t</a>", "trimmed at both ends"},
             Case{"<a>one\n\t two\r\n  three</a>", "one two three"},
             Case{"<a>x&#9;&#10;y</a>", "x y"},
             Case{"<a>&lt;tag&gt; &amp; &quot;q&quot;</a>", "<tag> & \"q\""},
             Case{"<a><![CDATA[  <raw>   & ]]></a>", "<raw> &"},
             Case{"<a>first<b>inner</b>second</a>", "first"},
             Case{"<a><b>inner</b>after</a>", ""},
             Case{"<a><!-- invisible -->after</a>", "after"},
             Case{"<a> \n\t </a>", ""},
             Case{"<a/>", ""},
         }) {
        Managed<Xml::Document> document = Load(c.xml);
        EXPECT_STREQ(document->GetRoot()->GetInnerText().CStr(), c.text) << c.xml;
    }
}

TEST_F(XmlLoaderTest, AttributesReadAsWrittenAndAMissingOneStaysMissing)
{
    Managed<Xml::Document> document =
        Load("<e z=\"1\" empty=\"\" a=\"x\ty\nz\" amp=\"&amp;&lt;&gt;&quot;\" bytes=\"\xC3\xA9 \xE9\"/>");
    Xml::Element* e = document->GetRoot();
    EXPECT_STREQ(e->GetAttribute("missing").CStr(), "");
    EXPECT_FALSE(e->HasAttribute("missing"));
    EXPECT_TRUE(e->HasAttribute("empty"));
    EXPECT_STREQ(e->GetAttribute("empty").CStr(), "");
    EXPECT_STREQ(e->GetAttribute("a").CStr(), "x\ty\nz");  // no white-space conversion
    EXPECT_STREQ(e->GetAttribute("amp").CStr(), "&<>\"");
    EXPECT_STREQ(e->GetAttribute("bytes").CStr(), "\xC3\xA9 \xE9");  // no encoding conversion
    EXPECT_FALSE(e->HasAttribute(String("z\0", 2)));

    LinearMap<String, String> out;
    e->GetAttributes(out);
    std::vector<std::string> names;
    Managed<Iterator<Pair<String, String>>> entries = out.GetIterator();
    while (entries->MoveNext())
        names.push_back(entries->Current().Key.CStr());
    EXPECT_EQ(names, (std::vector<std::string>{"z", "empty", "a", "amp", "bytes"}));  // document order

    LinearMap<String, String> holdsOne;
    holdsOne.Add("a", "already");
    EXPECT_THROW_MESSAGE(e->GetAttributes(holdsOne),
                         "Map::Add(): Can't add element. Map allready contains the given key");
}

TEST_F(XmlLoaderTest, ChangingAReadOnlyElementThrowsButLinkingWorks)
{
    Managed<Xml::Document> document = Load("<r n=\"1\">t<a/></r>");
    Xml::Element* root = document->GetRoot();
    EXPECT_THROW_MESSAGE(root->SetName("s"), "Xml::Element::SetName(): Document is read-only");
    EXPECT_THROW_MESSAGE(root->SetAttribute("n", "2"), "Xml::Element::SetAttribute(): Document is read-only");
    EXPECT_THROW_MESSAGE(root->SetAttribute("m", "2"), "Xml::Element::SetAttribute(): Document is read-only");
    EXPECT_THROW_MESSAGE(root->SetInnerText("u"), "Xml::Element::SetInnerText(): Document is read-only");
    EXPECT_STREQ(root->GetName().CStr(), "r");
    EXPECT_STREQ(root->GetAttribute("n").CStr(), "1");
    EXPECT_STREQ(root->GetInnerText().CStr(), "t");

    // An element appended to a wrapper comes after the document's own children and goes
    // with the document.
    Managed<Xml::Document> other = Load("<added/>");
    Xml::Element* added = other->GetRoot();
    added->AddRef();
    root->AppendChild(added);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a", "added"}));
}

TEST_F(XmlLoaderTest, MalformedXmlThrowsTheParsersDescriptionAndWhereItStopped)
{
    struct Case {
        const char* xml;
        const char* message;
    };
    for (const Case& c : {
             Case{"", "No document element found at byte offset 0"},
             Case{"just text", "No document element found at byte offset 9"},
             Case{"<r><a></r>", "Start-end tags mismatch at byte offset 8"},
             Case{"<r>", "Start-end tags mismatch at byte offset 2"},
             Case{"<r><a", "Error parsing start element tag at byte offset 4"},
             Case{"<r a=1/>", "Error parsing element attribute at byte offset 5"},
             Case{"<r><!-- open", "Error parsing comment at byte offset 11"},
         })
        EXPECT_EQ(LoadFailure(c.xml), c.message) << c.xml;
}

TEST_F(XmlLoaderTest, AnAttributeNamedTwiceInOneElementIsRejectedWhenReached)
{
    std::string many = "<r><big";
    for (int i = 0; i < 20; ++i)
        many += " a" + std::to_string(i) + "=\"\"";
    EXPECT_EQ(LoadFailure(many + "/></r>"), "(loaded)");
    EXPECT_EQ(LoadFailure(many + " a7=\"again\"/></r>"), "Duplicate attribute 'a7' in element 'big' at byte offset 4");
    EXPECT_EQ(LoadFailure("<r x=\"1\"><c x=\"1\" y=\"2\" x=\"3\"/></r>"),
              "Duplicate attribute 'x' in element 'c' at byte offset 10");
    // Found after climbing out of nested elements and past text.
    EXPECT_EQ(LoadFailure("<r><a><b>t<c/></b>u</a>v<d/><e y=\"1\" y=\"2\"/></r>"),
              "Duplicate attribute 'y' in element 'e' at byte offset 29");
    EXPECT_EQ(LoadFailure("<r><c x=\"1\"/><c x=\"2\"/></r>"), "(loaded)");

    // The element is refused each time it is asked for, not once and then skipped.
    Managed<Xml::Document> document = Load("<r><c/><d x=\"1\" x=\"2\"/></r>");
    Xml::Element* c = document->GetRoot()->GetFirstChild();
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_THROW_MESSAGE(c->GetNextSibling(), "Duplicate attribute 'x' in element 'd' at byte offset 8");
}

// 200,000 elements side by side and nested inside each other: parsing, walking and
// releasing the wrappers takes no stack in proportion to the count.
constexpr int Many = 200000;

TEST_F(XmlLoaderTest, AWideDocumentLoadsWalksAndGoesAway)
{
    std::string xml = "<r>";
    for (int i = 0; i < Many; ++i)
        xml += "<e i=\"" + std::to_string(i) + "\"/>";
    Managed<Xml::Document> document = Load(xml + "</r>");
    int count = 0;
    Xml::Element* last = nullptr;
    for (Xml::Element* child = document->GetRoot()->GetFirstChild(); child; child = child->GetNextSibling()) {
        last = child;
        ++count;
    }
    EXPECT_EQ(count, Many);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->GetAttribute("i").ToInt(), Many - 1);
    document.Set(nullptr);
}

TEST_F(XmlLoaderTest, ADeepDocumentLoadsWalksAndGoesAway)
{
    std::string xml;
    for (int i = 0; i < Many; ++i)
        xml += "<e>";
    xml += "deepest";
    for (int i = 0; i < Many; ++i)
        xml += "</e>";
    Managed<Xml::Document> document = Load(xml);
    int depth = 0;
    Xml::Element* element = document->GetRoot();
    while (Xml::Element* child = element->GetFirstChild()) {
        element = child;
        ++depth;
    }
    EXPECT_EQ(depth, Many - 1);
    EXPECT_STREQ(element->GetInnerText().CStr(), "deepest");
    document.Set(nullptr);
}

TEST(XmlLoader, LoadsThroughTheProxyItIsGivenNotTheGlobalOne)
{
    Managed<ResourceProxy> global(new DefaultResourceProxy());
    global->SetGlobal();
    Managed<ResourceProxy> other(new DefaultResourceProxy());
    Managed<Testing::MemoryFileSystem> files(new Testing::MemoryFileSystem());
    (*files)["maps/level.xml"].assign({'<', 'l', '/', '>'});
    other->SetFileSystem(files.Get());

    Resource<Xml::Document, ResourceType::XmlDocument> document(other.Get(), "level.xml{Path=maps}");
    EXPECT_STREQ(document->GetRoot()->GetName().CStr(), "l");
    EXPECT_EQ(global->GetRecordCount(), 0);
    EXPECT_EQ(files->operations, (std::vector<std::string>{"open r maps/level.xml"}));
}

}  // namespace xml_loader_test
