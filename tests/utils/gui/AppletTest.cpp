// Applet windows: moved by the title, resized by the corner, kept inside the parent, collapsed
// and expanded, closed by their button, coloured by activation.

#include "utils/gui/Applet.h"

#include "support/GuiFixtures.h"
#include "utils/gui/Button.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Label.h"
#include "utils/gui/Panel.h"
#include "utils/gui/Slider.h"

#include <gtest/gtest.h>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::GUI;
using Nimbrel::Testing::MouseDown;
using Nimbrel::Testing::MouseMove;
using Nimbrel::Testing::MouseUp;

namespace applet_test {

class AppletTest : public Testing::GuiTest {
protected:
    Applet* MakeApplet(int x, int y)
    {
        Applet* applet = new Applet(skin.Get());
        root->AddChild(applet);
        applet->SetPosition(x, y);
        return applet;
    }
    // Presses the left button at from, moves through each point with it held, and releases.
    void Drag(Point from, std::initializer_list<Point> path)
    {
        Send(MouseDown(from.x, from.y));
        Point last = from;
        for (const Point& p : path) {
            Send(MouseMove(p.x, p.y, Input::MouseButtonLeft));
            last = p;
        }
        Send(MouseUp(last.x, last.y));
    }

    Managed<DefaultSkin> skin{new DefaultSkin(blitter.Get())};
};

TEST_F(AppletTest, TitleDragMovesByThePointersMovementAndStopsAtTheParentsEdges)
{
    const struct {
        Point start, size, delta, expected;
    } cases[] = {
        {{100, 100}, {400, 300}, {30, 20}, {130, 120}},
        {{100, 100}, {400, 300}, {-150, -150}, {0, 0}},   // past the left and top edges
        {{100, 100}, {400, 300}, {500, 500}, {400, 300}},  // past the right and bottom edges
        {{0, 0}, {900, 700}, {10, 10}, {0, 0}},            // larger than the parent
        {{0, 0}, {900, 200}, {10, 600}, {0, 400}},
    };
    for (const auto& c : cases) {
        Applet* applet = MakeApplet(c.start.x, c.start.y);
        applet->SetSize(c.size);
        const Point grab = c.start + Point(60, 10);  // on the title label
        Drag(grab, {grab + Point(c.delta.x / 2, c.delta.y / 2), grab + c.delta});
        EXPECT_EQ(applet->GetPosition(), c.expected) << c.delta.x << "," << c.delta.y;
        applet->Close();
    }
}

TEST_F(AppletTest, AWindowHeldAtAnEdgeFollowsAgainOnlyWhenThePointerIsBackAtItsGrip)
{
    Applet* applet = MakeApplet(100, 100);
    Send(MouseDown(130, 105));
    Send(MouseMove(-20, 105, Input::MouseButtonLeft));  // 150 to the left: held at x 0
    EXPECT_EQ(applet->GetPosition(), Point(0, 100));
    Send(MouseMove(30, 105, Input::MouseButtonLeft));  // the grip is 30 pixels into the window
    EXPECT_EQ(applet->GetPosition(), Point(0, 100));
    Send(MouseMove(80, 115, Input::MouseButtonLeft));
    EXPECT_EQ(applet->GetPosition(), Point(50, 110));
    Send(MouseUp(80, 115));
    Send(MouseMove(300, 300));
    EXPECT_EQ(applet->GetPosition(), Point(50, 110));  // released: no longer moving
}

TEST_F(AppletTest, CornerDragResizesWithinTheMinimumAndTheParent)
{
    const struct {
        Point delta, expected;
    } cases[] = {
        {{50, 40}, {450, 340}},
        {{-350, -290}, {100, 35}},  // the smallest a window gets
        {{500, 500}, {700, 500}},   // the corner stays on the screen
    };
    for (const auto& c : cases) {
        Applet* applet = MakeApplet(100, 100);
        const Point corner(100 + 400 - 1, 100 + 300 - 1);  // on the frame's border
        Drag(corner, {corner + c.delta});
        EXPECT_EQ(applet->GetSize(), c.expected) << c.delta.x << "," << c.delta.y;
        EXPECT_EQ(applet->GetPosition(), Point(100, 100));
        applet->Close();
    }
    // A press 6 pixels from the corner does not resize.
    Applet* applet = MakeApplet(100, 100);
    Drag(Point(494, 494), {Point(520, 520)});
    EXPECT_EQ(applet->GetSize(), Point(400, 300));
}

TEST_F(AppletTest, PartsFollowTheSizeAndChildrenGoIntoTheClient)
{
    Applet* applet = MakeApplet(10, 10);
    applet->SetSize(300, 200);
    EXPECT_EQ(applet->GetClient()->GetPosition(), Point(2, 20));
    EXPECT_EQ(applet->GetClient()->GetSize(), Point(296, 178));
    EXPECT_EQ(applet->GetCloseButton()->GetPosition(), Point(281, 1));
    EXPECT_EQ(applet->GetCollapseButton()->GetPosition(), Point(262, 1));
    EXPECT_EQ(applet->GetTitleBar()->GetSize(), Point(300, 20));
    Widget* content = new Widget(blitter.Get());
    applet->AddChild(content);
    EXPECT_EQ(content->GetParent(), applet->GetClient());
    EXPECT_TRUE(applet->GetClient()->IsClipping());
    applet->SetTitle("Tracker");
    EXPECT_EQ(applet->GetTitleLabel()->GetText(), "Tracker");
}

TEST_F(AppletTest, CollapseKeepsTheRightEdgeAndExpandRestoresTheSize)
{
    Applet* applet = MakeApplet(300, 100);
    applet->SetTitle("Probes");  // 6 characters of 7 pixels
    const Point collapse(300 + 400 - 38 + 9, 110);
    Click(collapse.x, collapse.y);
    EXPECT_TRUE(applet->IsCollapsed());
    EXPECT_EQ(applet->GetSize(), Point(42 + 70, 20));
    EXPECT_EQ(applet->GetPosition(), Point(700 - 112, 100));
    EXPECT_FALSE(applet->GetClient()->IsVisible());
    EXPECT_EQ(applet->GetCollapseButton()->GetText(), "<");

    Click(700 - 38 + 9, 110);
    EXPECT_FALSE(applet->IsCollapsed());
    EXPECT_EQ(applet->GetSize(), Point(400, 300));
    EXPECT_EQ(applet->GetPosition(), Point(300, 100));
    EXPECT_TRUE(applet->GetClient()->IsVisible());
    EXPECT_EQ(applet->GetCollapseButton()->GetText(), ">");
}

TEST_F(AppletTest, CloseButtonClosesTheWindowAndCollectFreesIt)
{
    MakeApplet(100, 100);
    const int before = Widget::GetWidgetCount();
    Click(100 + 400 - 19 + 9, 110);
    EXPECT_EQ(root->GetChildCount(), 0);
    Widget::Collect();
    EXPECT_LT(Widget::GetWidgetCount(), before - 10);  // the window and all of its parts
}

TEST_F(AppletTest, TitleBarShowsActivationAndTheFrameTheResizeCorner)
{
    Applet* first = MakeApplet(10, 10);
    Applet* second = MakeApplet(420, 10);
    Click(100, 150);  // in the first window's client
    DrawFrame();
    EXPECT_EQ(first->GetTitleBar()->GetColor(), Color(51, 102, 166, 255));
    EXPECT_EQ(second->GetTitleBar()->GetColor(), Color(92, 108, 122, 255));
    EXPECT_EQ(root->GetChild(root->GetChildCount() - 1), first);  // raised
    Click(500, 150);
    DrawFrame();
    EXPECT_EQ(first->GetTitleBar()->GetColor(), Color(92, 108, 122, 255));
    EXPECT_EQ(second->GetTitleBar()->GetColor(), Color(51, 102, 166, 255));

    Send(MouseMove(10 + 400 - 3, 10 + 300 - 3));
    DrawFrame();
    EXPECT_EQ(first->GetFrame()->GetColor(), Color(127, 127, 127, 127));
    Send(MouseMove(10 + 200, 10 + 300 - 3));  // along the bottom, away from the corner
    DrawFrame();
    EXPECT_EQ(first->GetFrame()->GetColor(), Color(255, 255, 255, 255));
    Send(MouseMove(10 + 400 - 3, 10 + 300 - 3));
    Send(MouseMove(700, 500));  // out of the window
    DrawFrame();
    EXPECT_EQ(first->GetFrame()->GetColor(), Color(255, 255, 255, 255));
}

// The press that starts a slider's drag also reaches the window, which must not take the
// activation from the slider: the drag then follows the pointer off the slider.
TEST_F(AppletTest, ASliderDragInsideAnInactiveWindowFollowsThePointerOffTheSlider)
{
    Applet* applet = MakeApplet(100, 100);
    Applet* other = MakeApplet(500, 100);
    other->Activate();
    Slider* slider = skin->CreateSlider();
    applet->AddChild(slider);
    slider->SetPosition(10, 10);
    DrawFrame();
    const Point knob = slider->GetScreenPosition() + Point(5, 10);
    Send(MouseDown(knob.x, knob.y));
    EXPECT_TRUE(applet->IsActive());
    EXPECT_TRUE(slider->IsActive());
    Send(MouseMove(knob.x + 20, knob.y + 200, Input::MouseButtonLeft));  // below the window
    Send(MouseMove(knob.x + 30, knob.y + 200, Input::MouseButtonLeft));
    Send(MouseUp(knob.x + 30, knob.y + 200));
    EXPECT_FLOAT_EQ(slider->GetValue(), 30.0f);
    EXPECT_EQ(applet->GetPosition(), Point(100, 100));
    EXPECT_EQ(root->GetChild(root->GetChildCount() - 1), applet);
}

}  // namespace applet_test
