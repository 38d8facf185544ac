// The layout loader over files in memory: containers and plain widgets placed from their
// attributes, the text form of positions, and the failures that end a whole load.
#include "utils/loaders/GUILoader.h"

#include "support/Expect.h"
#include "support/MemoryFileSystem.h"
#include "support/RecordingBlitter.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/PointText.h"
#include "utils/gui/Widget.h"
#include "utils/xml/RWElement.h"

#include <gtest/gtest.h>

#include <string>

namespace gui_loader_test {

using namespace Nimbrel;
using Utils::ResourceType;
using Utils::GUI::Point;
using Utils::GUI::Widget;

class GUILoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        startCount = Widget::GetWidgetCount();
        proxy->SetFileSystem(files.Get());
        proxy->SetSkin(skin.Get());
    }
    void TearDown() override
    {
        proxy->SetSkin(static_cast<Utils::GUI::Skin*>(nullptr));
        Widget::Collect();
        EXPECT_EQ(Widget::GetWidgetCount(), startCount) << "widgets left after a load";
    }
    void Write(const std::string& path, const std::string& text) { (*files)[path].assign(text.begin(), text.end()); }
    // The proxy's report of a failed load holds the loader's message.
    void ExpectLoadFails(const char* descriptor, const char* message)
    {
        try {
            LoadWidget(descriptor);
            ADD_FAILURE() << descriptor << " loaded";
        } catch (const Exception& failure) {
            EXPECT_NE(std::string(failure.GetMessage().CStr()).find(message), std::string::npos)
                << failure.GetMessage().CStr();
        }
    }
    Managed<Widget> LoadWidget(const char* descriptor)
    {
        return Managed<Widget>(static_cast<Widget*>(proxy->GetPrivate(ResourceType::GUIWidget, descriptor)));
    }

    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<Testing::RecordingBlitter> blitter{new Testing::RecordingBlitter()};
    Managed<Utils::GUI::DefaultSkin> skin{new Utils::GUI::DefaultSkin(blitter.Get())};
    Managed<Utils::ResourceProxy> proxy{new Utils::DefaultResourceProxy()};
    int startCount = 0;
};

TEST_F(GUILoaderTest, ContainerHoldsOneWidgetPerChildPlacedFromItsAttributes)
{
    Write("layout.xml", "<studio_root pos=\"(5, 5)\">\n"
                        "  <widget pos=\"(10, 20)\" size=\"(300, 200)\"/>\n"
                        "  <widget size=\"( 40 ,7 )\"/>\n"
                        "  <widget/>\n"
                        "</studio_root>\n");
    Managed<Widget> container = LoadWidget("layout.xml");
    EXPECT_EQ(container->GetPosition(), Widget(blitter.Get()).GetPosition()) << "a container's attributes are not read";
    ASSERT_EQ(container->GetChildCount(), 3);
    EXPECT_EQ(container->GetChild(0)->GetPosition(), Point(10, 20));
    EXPECT_EQ(container->GetChild(0)->GetSize(), Point(300, 200));
    EXPECT_EQ(container->GetChild(0)->GetScreenPosition(), Point(10, 20) + container->GetScreenPosition());
    EXPECT_EQ(container->GetChild(1)->GetSize(), Point(40, 7));
    const Widget plain(blitter.Get());
    EXPECT_EQ(container->GetChild(2)->GetPosition(), plain.GetPosition()) << "defaults kept";
    EXPECT_EQ(container->GetChild(0)->GetPainter(), blitter.Get());
    container->Close();
    container.Detach();
}

TEST_F(GUILoaderTest, ARegisteredElementLoadsWithoutAFile)
{
    Managed<Utils::Xml::RWElement> element(Utils::Xml::CreateElement());
    element->SetName("widget");
    element->SetAttribute("pos", "(7, 8)");
    const String descriptor = proxy->Add(ResourceType::XmlElement, element.Get());
    Managed<Widget> widget = LoadWidget(descriptor.CStr());
    EXPECT_EQ(widget->GetPosition(), Point(7, 8));
    widget->Close();
    widget.Detach();
}

TEST_F(GUILoaderTest, LoadingAgainReadsTheFileAsItIsNow)
{
    Write("layout.xml", "<studio_root><widget/></studio_root>");
    Managed<Widget> first = LoadWidget("layout.xml");
    Write("layout.xml", "<studio_root><widget/><widget/></studio_root>");
    Managed<Widget> second = LoadWidget("layout.xml");
    EXPECT_EQ(first->GetChildCount(), 1);
    EXPECT_EQ(second->GetChildCount(), 2);
    for (Managed<Widget>* loaded : {&first, &second}) {
        (*loaded)->Close();
        loaded->Detach();
    }
}

TEST_F(GUILoaderTest, FailuresEndTheWholeLoad)
{
    struct Case {
        const char* xml;
        const char* message;
    };
    const Case cases[] = {
        {"<studio_root><widget/><nonsense/></studio_root>", "Unsupported widget name 'nonsense', try another loader"},
        {"<studio_root><widget/><tracker/></studio_root>", "ResourceProxy: No Studio::Root set"},
        {"<window/>", "Unsupported widget name 'window', try another loader"},
        {"<studio_root><widget pos=\"(10)\"/></studio_root>", "Invalid Vector2 String"},
        {"<widget size=\"(1, 2, 3)\"/>", "Invalid Vector2 String"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        Write("bad.xml", c.xml);
        ExpectLoadFails("bad.xml", c.message);
        Widget::Collect();
        EXPECT_EQ(Widget::GetWidgetCount(), startCount) << "what was built before the failure is freed";
    }
}

TEST_F(GUILoaderTest, ContainersNestOnlySoDeep)
{
    std::string deep;
    for (int i = 0; i <= Utils::Loaders::GUILoader::MaximumDepth; ++i)
        deep += "<studio_root>";
    for (int i = 0; i <= Utils::Loaders::GUILoader::MaximumDepth; ++i)
        deep += "</studio_root>";
    Write("deep.xml", deep);
    ExpectLoadFails("deep.xml", "GUI Loader: Containers nest deeper than 16 levels");
}

TEST_F(GUILoaderTest, WithoutASkinTheProxySaysSo)
{
    proxy->SetSkin(static_cast<Utils::GUI::Skin*>(nullptr));
    Write("one.xml", "<widget/>");
    ExpectLoadFails("one.xml", "ResoruceProxy: No GUI::Skin set");
}

TEST(PointTextTest, ReadsTwoIntegersAndRefusesAnythingElse)
{
    struct Good {
        const char* text;
        Point point;
    };
    const Good good[] = {{"(120, 40)", {120, 40}}, {"(-3,4)", {-3, 4}}, {" ( 0 , 0 ) ", {0, 0}}, {"5,6", {5, 6}}};
    for (const Good& g : good)
        EXPECT_EQ(Utils::GUI::ParsePoint(g.text), g.point) << g.text;
    for (const char* bad : {"", "()", "(10)", "(1, 2, 3)", "(a, 2)", "(1.5, 2)", "(+1, 2)", "(1,\t2)",
                            "(99999999999, 1)", "(1, )"})
        EXPECT_THROW_MESSAGE(Utils::GUI::ParsePoint(bad), "Invalid Vector2 String");
    EXPECT_STREQ(Utils::GUI::FormatPoint(Point(120, -40)).CStr(), "(120, -40)");
}

}  // namespace gui_loader_test
