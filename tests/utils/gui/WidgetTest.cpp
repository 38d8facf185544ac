// The widget tree: geometry and anchors, clip rectangles, the active path, mouse hit, drag,
// click, release and hover, keyboard routing, Close and Collect.

#include "utils/gui/Widget.h"

#include "core/Exception.h"
#include "support/GuiFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils::GUI;
using Nimbrel::Testing::AddTo;
using Nimbrel::Testing::MouseDown;
using Nimbrel::Testing::MouseMove;
using Nimbrel::Testing::MouseUp;

namespace widget_test {

// A widget that writes the handler calls it receives (its own and its descendants') into a
// shared log as "name:Handler:sender".
class Probe : public Widget {
public:
    Probe(std::vector<std::string>* log, const char* name) : Widget(nullptr), log(log), name(name) {}

    void OnClick(Widget* sender, const Input::MouseEvent& event) override
    {
        Note("Click", sender);
        if (closeOnClick && sender == this)
            Close();
        Widget::OnClick(sender, event);
    }
    void OnMouseDown(Widget* sender, const Input::MouseEvent&) override { Note("Down", sender); }
    void OnMouseEnter(Widget* sender) override { Note("Enter", sender); }
    void OnMouseLeave(Widget* sender) override { Note("Leave", sender); }
    void OnDrag(Widget* sender, const Input::MouseEvent&) override { Note("Drag", sender); }
    void OnActivated(Widget* sender) override
    {
        if (sender == this)
            Note("Activated", sender);
    }
    void OnDeactivated(Widget* sender) override
    {
        if (sender == this)
            Note("Deactivated", sender);
    }
    void OnKey(Widget* sender, int key, int state) override
    {
        Note(("Key" + std::to_string(key)).c_str(), sender);
        Widget::OnKey(sender, key, state);
    }
    void OnButtonReleased(Widget* sender, int button) override
    {
        Note(("Released" + std::to_string(button)).c_str(), sender);
    }

    bool closeOnClick = false;

private:
    void Note(const char* what, Widget* sender)
    {
        const Probe* from = dynamic_cast<const Probe*>(sender);
        log->push_back(std::string(name) + ":" + what + ":" + (from ? from->name : "?"));
    }

    std::vector<std::string>* log;
    const char* name;
};

class WidgetTest : public Testing::GuiTest {
protected:
    Probe* Make(Widget* parent, const char* name, int x, int y, int w, int h)
    {
        Probe* probe = AddTo<Probe>(parent, &log, name);
        probe->SetPosition(x, y);
        probe->SetSize(w, h);
        return probe;
    }
    std::vector<std::string> log;
};

TEST_F(WidgetTest, AnchorsMoveOrStretchWithTheParentsEdges)
{
    const struct {
        int anchors;
        Point position, size;
    } cases[] = {
        {0, {10, 20}, {30, 40}},
        {Widget::AnchorLeft | Widget::AnchorTop, {10, 20}, {30, 40}},
        {Widget::AnchorRight, {60, 20}, {30, 40}},
        {Widget::AnchorLeft | Widget::AnchorRight, {10, 20}, {80, 40}},
        {Widget::AnchorBottom, {10, 50}, {30, 40}},
        {Widget::AnchorTop | Widget::AnchorBottom, {10, 20}, {30, 70}},
        {Widget::AnchorRight | Widget::AnchorBottom, {60, 50}, {30, 40}},
        {15, {10, 20}, {80, 70}},
    };
    for (const auto& c : cases) {
        Widget* parent = AddTo<Widget>(root.Get(), nullptr);
        parent->SetSize(100, 100);
        Widget* child = AddTo<Widget>(parent, nullptr);
        child->SetPosition(10, 20);
        child->SetSize(30, 40);
        child->SetAnchors(c.anchors);
        parent->SetSize(150, 130);
        EXPECT_EQ(child->GetPosition(), c.position) << c.anchors;
        EXPECT_EQ(child->GetSize(), c.size) << c.anchors;
        EXPECT_EQ(child->GetOrigin(), parent->GetScreenPosition());
        parent->Close();
    }
}

TEST_F(WidgetTest, SizesAreClampedMinimumWinningAndANonResizableWidgetKeepsItsSize)
{
    Widget* w = AddTo<Widget>(root.Get(), nullptr);
    EXPECT_EQ(w->GetSize(), Point(100, 100));
    EXPECT_EQ(w->GetPosition(), Point(0, 0));
    w->SetSize(1, 1);
    EXPECT_EQ(w->GetSize(), Point(2, 2));
    w->SetSize(70000, 5);
    EXPECT_EQ(w->GetSize(), Point(64000, 5));
    // A new limit applies to the current size at once.
    w->SetMaximumSize(500, 500);
    EXPECT_EQ(w->GetSize(), Point(500, 5));
    w->SetMinimumSize(600, 50);
    EXPECT_EQ(w->GetSize(), Point(600, 50));
    w->SetResizable(false);
    w->SetSize(700, 60);
    EXPECT_EQ(w->GetSize(), Point(600, 50));
}

TEST_F(WidgetTest, ClipRectangleIsTheIntersectionOfTheClippingAncestors)
{
    Widget* outer = AddTo<Widget>(root.Get(), nullptr);
    outer->SetPosition(10, 10);
    outer->SetSize(100, 50);
    Widget* inner = AddTo<Widget>(outer, nullptr);
    inner->SetPosition(80, 20);
    inner->SetSize(50, 50);
    Widget* leaf = AddTo<Widget>(inner, nullptr);
    leaf->SetPosition(5, 5);
    leaf->SetSize(500, 500);

    EXPECT_EQ(leaf->GetClipRect(), (ClipRect{0, 0, 32767, 32767}));
    outer->SetClipping(true);
    inner->SetClipping(true);
    EXPECT_EQ(outer->GetClipRect(), (ClipRect{10, 10, 110, 60}));
    EXPECT_EQ(inner->GetClipRect(), (ClipRect{90, 30, 110, 60}));
    EXPECT_EQ(leaf->GetClipRect(), (ClipRect{90, 30, 110, 60}));  // a widget that does not clip inherits
    EXPECT_EQ(leaf->GetScreenPosition(), Point(95, 35));
    EXPECT_EQ(leaf->LocalToScreen(Point(1, 2)), Point(96, 37));
    EXPECT_EQ(leaf->ScreenToLocal(Point(96, 37)), Point(1, 2));
}

TEST_F(WidgetTest, HitTestingTakesEdgesInclusivelyTheTopmostChildAndSkipsHiddenOnes)
{
    Probe* back = Make(root.Get(), "back", 10, 10, 50, 50);
    Probe* front = Make(root.Get(), "front", 40, 40, 50, 50);
    const struct {
        int x, y;
        const char* expected;
    } cases[] = {
        {60, 60, "front:Down:front"},  // both hit: the later child
        {60, 20, "back:Down:back"},    // back's right edge
        {90, 90, "front:Down:front"},  // front's bottom-right corner
        {91, 90, nullptr},             // just outside
    };
    for (const auto& c : cases) {
        log.clear();
        Send(MouseDown(c.x, c.y));
        const std::vector<std::string> pressed = log;  // the release walk then reaches everyone
        Send(MouseUp(c.x, c.y));
        if (c.expected)
            EXPECT_EQ(pressed, std::vector<std::string>{c.expected}) << c.x << "," << c.y;
        else
            EXPECT_TRUE(pressed.empty()) << c.x << "," << c.y;
    }
    front->Hide();
    log.clear();
    Send(MouseDown(45, 45));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "back:Down:back");
    Send(MouseUp(45, 45));
    (void)back;
}

TEST_F(WidgetTest, AClickIsAPressAndAReleaseOfOneButtonOnOneWidgetActivatedFirst)
{
    Probe* panel = Make(root.Get(), "panel", 0, 0, 200, 200);
    Probe* a = Make(panel, "a", 10, 10, 20, 20);
    Probe* b = Make(panel, "b", 50, 10, 20, 20);

    Send(MouseDown(15, 15));
    EXPECT_TRUE(a->IsButtonDown(0));
    log.clear();
    Send(MouseUp(15, 15));
    // The click reaches the panel by forwarding, after a is activated.
    EXPECT_EQ(log, (std::vector<std::string>{"a:Activated:a", "panel:Activated:panel", "a:Activated:a", "a:Click:a",
                                             "panel:Click:a", "panel:Released0:a", "a:Released0:a", "b:Released0:a"}));
    EXPECT_FALSE(a->IsButtonDown(0));

    // Pressed on a, released on b: no click, and a's pressed state is cleared anyway.
    Send(MouseDown(15, 15));
    log.clear();
    Send(MouseUp(55, 15));
    for (const std::string& line : log)
        EXPECT_EQ(line.find("Click"), std::string::npos) << line;
    EXPECT_FALSE(a->IsButtonDown(0));
    EXPECT_FALSE(b->IsButtonDown(0));

    // A right release while the left button is held on the widget is not a left click.
    Send(MouseDown(15, 15, Input::MouseButtonLeft));
    Send(MouseDown(15, 15, Input::MouseButtonRight));
    log.clear();
    Send(MouseUp(15, 15, Input::MouseButtonRight));
    int clicks = 0;
    for (const std::string& line : log)
        clicks += line == "a:Click:a";
    EXPECT_EQ(clicks, 1);  // the right button's own click
    EXPECT_TRUE(a->IsButtonDown(0));
    Send(MouseUp(15, 15, Input::MouseButtonLeft));
}

TEST_F(WidgetTest, ActivatingAWidgetDeactivatesEveryWidgetOffItsPathIncludingItsChildren)
{
    Probe* left = Make(root.Get(), "left", 0, 0, 100, 100);
    Probe* leftChild = Make(left, "leftChild", 0, 0, 10, 10);
    Probe* right = Make(root.Get(), "right", 200, 0, 100, 100);
    leftChild->Activate();
    EXPECT_TRUE(root->IsActive() && left->IsActive() && leftChild->IsActive());
    EXPECT_FALSE(right->IsActive());

    log.clear();
    left->Activate();
    EXPECT_TRUE(left->IsActive());
    EXPECT_FALSE(leftChild->IsActive());
    // Only the widget that was active hears of it; left was already active.
    EXPECT_EQ(log, (std::vector<std::string>{"leftChild:Deactivated:leftChild", "left:Activated:left"}));

    log.clear();
    right->Activate();
    EXPECT_EQ(log, (std::vector<std::string>{"left:Deactivated:left", "right:Activated:right", "right:Activated:right"}));

    // Raising on activation moves the widget to the front of its parent's children.
    left->SetRaiseOnActivate(true);
    left->Activate();
    EXPECT_EQ(root->GetChild(root->GetChildCount() - 1), left);
    EXPECT_EQ(left->GetParent(), root.Get());
}

TEST_F(WidgetTest, KeysFollowTheActivePathAndAHiddenActiveChildSwallowsThem)
{
    Probe* panel = Make(root.Get(), "panel", 0, 0, 100, 100);
    Probe* field = Make(panel, "field", 0, 0, 10, 10);
    root->HandleKey(65, 0);
    EXPECT_TRUE(log.empty());  // no active child: the root's own OnKey, which has no parent
    field->Activate();
    log.clear();
    root->HandleKey(65, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"field:Key65:field", "panel:Key65:field"}));
    field->Hide();
    log.clear();
    root->HandleKey(66, 2);
    EXPECT_TRUE(log.empty());
}

TEST_F(WidgetTest, TheDragFollowsTheActivePathWhereverThePointerIs)
{
    Probe* window = Make(root.Get(), "window", 0, 0, 100, 100);
    Probe* handle = Make(window, "handle", 0, 0, 100, 20);
    Probe* other = Make(root.Get(), "other", 300, 300, 50, 50);
    Send(MouseMove(10, 10));
    EXPECT_TRUE(handle->IsHovered());
    window->Activate();
    log.clear();
    Send(MouseMove(320, 320, Input::MouseButtonLeft));  // far outside the window
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "window:Drag:window");
    // The hover moved to the other widget.
    EXPECT_NE(std::find(log.begin(), log.end(), "handle:Leave:handle"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "other:Enter:other"), log.end());
    EXPECT_FALSE(handle->IsHovered());
    EXPECT_TRUE(other->IsHovered());
    EXPECT_FALSE(root->IsHovered());
}

// Counts the destructors Collect runs.
class Counted : public Widget {
public:
    explicit Counted(int* destroyed) : Widget(nullptr), destroyed(destroyed) {}
    ~Counted() override { ++*destroyed; }
    int* destroyed;
};

TEST_F(WidgetTest, CloseDetachesAndCollectFreesWhatOnlyTheListHolds)
{
    int destroyed = 0;
    Counted* window = AddTo<Counted>(root.Get(), &destroyed);
    Counted* child = AddTo<Counted>(window, &destroyed);
    AddTo<Counted>(child, &destroyed);
    Counted* kept = AddTo<Counted>(root.Get(), &destroyed);
    kept->AddRef();  // someone else still holds it

    EXPECT_EQ(Widget::Collect(), 0);  // everything is attached
    window->Close();
    EXPECT_EQ(root->GetChildCount(), 1);
    EXPECT_EQ(destroyed, 0);  // closed, not freed yet
    EXPECT_EQ(Widget::Collect(), 3);
    EXPECT_EQ(destroyed, 3);

    kept->Close();
    EXPECT_EQ(Widget::Collect(), 0);
    kept->Release();
    EXPECT_EQ(Widget::Collect(), 1);
    EXPECT_EQ(destroyed, 4);
}

TEST_F(WidgetTest, AWidgetClosedFromInsideItsClickIsDetachedAndTheReleaseWalkCarriesOn)
{
    Probe* panel = Make(root.Get(), "panel", 0, 0, 200, 200);
    Probe* button = Make(panel, "button", 10, 10, 20, 20);
    Probe* sibling = Make(panel, "sibling", 50, 10, 20, 20);
    button->closeOnClick = true;
    Send(MouseDown(15, 15));
    Send(MouseDown(55, 15, Input::MouseButtonLeft));
    log.clear();
    Send(MouseUp(15, 15));
    EXPECT_EQ(panel->GetChildCount(), 1);
    EXPECT_FALSE(sibling->IsButtonDown(0));  // the walk reached the rest of the tree
    EXPECT_NE(std::find(log.begin(), log.end(), "sibling:Released0:button"), log.end());
    EXPECT_EQ(Widget::Collect(), 1);
}

TEST_F(WidgetTest, CloseTellsTheListenersAndASecondCloseDoesNothing)
{
    struct Listener : Widget {
        Listener() : Widget(nullptr) {}
        void OnNotify(Widget* sender, int id, Widget*) override { heard.push_back({sender, id}); }
        std::vector<std::pair<Widget*, int>> heard;
    };
    Listener* listener = AddTo<Listener>(root.Get());
    Widget* w = AddTo<Widget>(root.Get(), nullptr);
    w->AddListener(listener, 7);
    w->AddRef();
    w->Close();
    w->Close();
    EXPECT_EQ(listener->heard, (std::vector<std::pair<Widget*, int>>{{w, 7}}));
    EXPECT_FALSE(w->IsVisible());
    EXPECT_EQ(w->GetRefCount(), 2);  // the test's and the list's
    w->Release();
}

TEST_F(WidgetTest, FontIsFoundUpTheTreeOrReportedMissing)
{
    Widget* w = AddTo<Widget>(root.Get(), nullptr);
    EXPECT_EQ(w->GetFontFacePointer(), face.Get());
    Managed<Widget> loose(new Widget(nullptr));
    try {
        loose->GetFontFacePointer();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.GetMessage().CStr(), "Widget::GetFontFacePointer(): No default font set");
    }
    loose->Close();
    loose.Detach();
}

}  // namespace widget_test
