// Element trees built in memory: attributes, appending, and trees too wide or too deep for
// anything that recurses along them.
#include "utils/xml/RWDocument.h"
#include "utils/xml/RWElement.h"

#include "core/LinearMap.h"
#include "core/Managed.h"

#include "support/Expect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace rw_element_test {

std::vector<std::string> Keys(const LinearMap<String, String>& map)
{
    std::vector<std::string> keys;
    Managed<Iterator<Pair<String, String>>> entries = map.GetIterator();
    while (entries->MoveNext())
        keys.push_back(entries->Current().Key.CStr());
    return keys;
}

TEST(RWElement, ReadingAMissingAttributeAddsItEmptyAndSettingAPresentOneThrows)
{
    Managed<Xml::RWElement> element(Xml::CreateElement());
    element->SetAttribute("x", "1");
    EXPECT_STREQ(element->GetAttribute("x").CStr(), "1");

    EXPECT_FALSE(element->HasAttribute("missing"));
    EXPECT_STREQ(element->GetAttribute("missing").CStr(), "");
    EXPECT_TRUE(element->HasAttribute("missing"));

    EXPECT_THROW_MESSAGE(element->SetAttribute("x", "2"),
                         "Map::Add(): Can't add element. Map allready contains the given key");
    EXPECT_THROW_MESSAGE(element->SetAttribute("missing", "2"),
                         "Map::Add(): Can't add element. Map allready contains the given key");
    EXPECT_STREQ(element->GetAttribute("x").CStr(), "1");
}

TEST(RWElement, GivesItsAttributesInNameOrderWhateverTheOrderTheyWereSetIn)
{
    Managed<Xml::RWElement> element(Xml::CreateElement());
    // Set in this order, a tree map's pre-order would give d, b, f, a, c, e, g.
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g"})
        element->SetAttribute(name, name);
    element->SetAttribute("B", "upper case sorts first");
    LinearMap<String, String> out;
    element->GetAttributes(out);
    EXPECT_EQ(Keys(out), (std::vector<std::string>{"B", "a", "b", "c", "d", "e", "f", "g"}));

    LinearMap<String, String> holdsOne;
    holdsOne.Add("c", "already");
    EXPECT_THROW_MESSAGE(element->GetAttributes(holdsOne),
                         "Map::Add(): Can't add element. Map allready contains the given key");
}

TEST(RWElement, AppendsChildrenInOrderAndSetsTheirParent)
{
    Managed<Xml::RWElement> root(Xml::CreateElement());
    Xml::RWElement* first = Xml::CreateElement();
    first->SetName("first");
    root->AppendChild(first);
    Xml::RWElement* second = Xml::CreateElement();
    second->SetName("second");
    root->AppendChild(second);
    // A sibling appended behind the parent's back still ends up last.
    Xml::RWElement* third = Xml::CreateElement();
    third->SetName("third");
    EXPECT_EQ(first->AppendSibling(third), first);
    Xml::RWElement* fourth = Xml::CreateElement();
    fourth->SetName("fourth");
    root->AppendChild(fourth);

    std::vector<std::string> names;
    for (Xml::Element* child = root->GetFirstChild(); child; child = child->GetNextSibling())
        names.push_back(child->GetName().CStr());
    EXPECT_EQ(names, (std::vector<std::string>{"first", "second", "third", "fourth"}));
    EXPECT_EQ(first->GetParent(), root.Get());
    EXPECT_EQ(fourth->GetParent(), root.Get());
    EXPECT_EQ(third->GetParent(), nullptr);  // AppendSibling leaves the parent alone
    EXPECT_EQ(root->GetParent(), nullptr);
    EXPECT_EQ(fourth->GetNextSibling(), nullptr);
    EXPECT_EQ(first->GetFirstChild(), nullptr);

    root->SetInnerText("  kept  as   set ");
    EXPECT_STREQ(root->GetInnerText().CStr(), "  kept  as   set ");
}

TEST(RWElement, AnElementReferencedElsewhereOutlivesItsTreeWithItsOwnSubtree)
{
    Xml::RWElement* root = Xml::CreateElement();
    Xml::RWElement* kept = Xml::CreateElement();
    kept->SetName("kept");
    root->AppendChild(kept);
    Xml::RWElement* below = Xml::CreateElement();
    below->SetName("below");
    kept->AppendChild(below);
    root->AppendChild(Xml::CreateElement());
    kept->AddRef();  // as a proxy record holds an element registered with it

    Managed<Xml::RWDocument> document(Xml::CreateDocument(root));
    document.Set(nullptr);

    ASSERT_EQ(kept->GetRefCount(), 1);
    EXPECT_STREQ(kept->GetFirstChild()->GetName().CStr(), "below");
    kept->Release();
}

// 200,000 elements as siblings and as one line of descendants: appending stays cheap, and
// walking and releasing them uses no stack in proportion to their number (a recursive
// release overflows the stack here, under the address sanitizer all the more).
constexpr int Many = 200000;

TEST(RWElement, AWideTreeBuildsWalksAndGoesAway)
{
    Xml::RWElement* root = Xml::CreateElement();
    for (int i = 0; i < Many; ++i) {
        Xml::RWElement* child = Xml::CreateElement();
        child->SetName("e");
        root->AppendChild(child);
    }
    Managed<Xml::RWDocument> document(Xml::CreateDocument(root));
    int count = 0;
    for (Xml::Element* child = document->GetRoot()->GetFirstChild(); child; child = child->GetNextSibling())
        ++count;
    EXPECT_EQ(count, Many);
    document.Set(nullptr);
}

TEST(RWElement, ADeepTreeBuildsWalksAndGoesAway)
{
    Xml::RWElement* root = Xml::CreateElement();
    Xml::RWElement* innermost = root;
    for (int i = 0; i < Many; ++i) {
        Xml::RWElement* child = Xml::CreateElement();
        innermost->AppendChild(child);
        innermost = child;
    }
    Managed<Xml::RWDocument> document(Xml::CreateDocument(root));
    int depth = 0;
    Xml::Element* element = document->GetRoot();
    while (Xml::Element* child = element->GetFirstChild()) {
        ASSERT_EQ(child->GetParent(), element);
        element = child;
        ++depth;
    }
    EXPECT_EQ(depth, Many);
    EXPECT_EQ(element, innermost);
    document.Set(nullptr);
}

}  // namespace rw_element_test
