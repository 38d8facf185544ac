// The default skin and its widgets over the recording blitter, with the GUI clock set by hand:
// built-in bitmap bytes, nine-segment quads, labels, the button's pulse and clicks, slider,
// gauge and scroll bar values and layout.

#include "utils/gui/DefaultSkin.h"

#include "core/Exception.h"
#include "support/GuiFixtures.h"
#include "utils/gui/Button.h"
#include "utils/gui/DefaultButton.h"
#include "utils/gui/DefaultGauge.h"
#include "utils/gui/DefaultScrollBar.h"
#include "utils/gui/DefaultSlider.h"
#include "utils/gui/Image.h"
#include "utils/gui/Label.h"
#include "utils/gui/Panel.h"
#include "utils/gui/Rectangle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::GUI;
using Nimbrel::Testing::MouseDown;
using Nimbrel::Testing::MouseMove;
using Nimbrel::Testing::MouseUp;

namespace default_skin_test {

class DefaultSkinTest : public Testing::GuiTest {
protected:
    // The quads the blitter holds for a group, as (x, y, width, height).
    static std::vector<std::vector<int>> Rects(const Testing::RecordingBlitter::Group* group)
    {
        std::vector<std::vector<int>> rects;
        for (const Draw2D::Quad& q : group->quads)
            rects.push_back({q.x, q.y, q.width, q.height});
        return rects;
    }
    Testing::RecordingBlitter::Group* LastGroup() { return blitter->Groups().back(); }
    int CountLog(const std::string& prefix)
    {
        return static_cast<int>(std::count_if(blitter->log.begin(), blitter->log.end(),
                                              [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
    }

    Managed<DefaultSkin> skin{new DefaultSkin(blitter.Get())};
};

std::vector<int> Bytes(const Bitmap2D* bitmap)
{
    return std::vector<int>(bitmap->GetData(), bitmap->GetData() + bitmap->GetDataSize());
}

TEST_F(DefaultSkinTest, BuiltInBitmapsHoldTheirPixelsInStoredOrder)
{
    EXPECT_EQ(Bytes(skin->GetFrameSegment(0)),
              (std::vector<int>{182, 182, 182, 191, 210, 210, 210, 255, 182, 182, 182, 79, 182, 182, 182, 191}));
    EXPECT_EQ(skin->GetFrameSegment(3)->GetSize(), Math::Vector2t<int>(2, 4));
    EXPECT_EQ(Bytes(skin->GetFrameSegment(4)),
              (std::vector<int>{239, 239, 239, 191, 218, 218, 218, 255, 194, 194, 194, 255, 182, 182, 182, 191}));
    EXPECT_EQ(Bytes(skin->GetFrameSegment(8)),
              (std::vector<int>{239, 239, 239, 191, 239, 239, 239, 79, 210, 210, 210, 255, 239, 239, 239, 191}));
    EXPECT_EQ(Bytes(skin->GetShadowSegment(3)), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 255}));
    EXPECT_EQ(Bytes(skin->GetShadowSegment(4)), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(Bytes(skin->GetShadowSegment(6)), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255}));
    for (int i = 0; i < DefaultSkin::SegmentCount; ++i) {
        EXPECT_EQ(skin->GetFrameSegment(i)->GetPixelFormat(), Graphics::PixelFormatR8G8B8A8);
        EXPECT_EQ(skin->GetShadowSegment(i)->GetPixelFormat(), Graphics::PixelFormatR8G8B8A8);
    }

    // The icon: a white ring, transparent pixels all zero. Row 3 and the first row:
    const Bitmap2D* icon = skin->GetIconBitmap();
    ASSERT_EQ(icon->GetSize(), Math::Vector2t<int>(8, 8));
    const std::vector<int> icon_ = Bytes(icon);
    EXPECT_EQ(std::vector<int>(icon_.begin(), icon_.begin() + 16),
              (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 127}));
    std::vector<int> row3Alpha;
    for (int x = 0; x < 8; ++x)
        row3Alpha.push_back(icon_[(3 * 8 + x) * 4 + 3]);
    EXPECT_EQ(row3Alpha, (std::vector<int>{127, 255, 127, 0, 0, 127, 255, 127}));
    EXPECT_EQ(icon_[(3 * 8 + 1) * 4], 255);

    const Bitmap2D* arrow = skin->GetArrowBitmap();
    ASSERT_EQ(arrow->GetSize(), Math::Vector2t<int>(8, 9));
    const std::vector<int> arrow_ = Bytes(arrow);
    std::vector<int> middle;
    for (int x = 0; x < 8; ++x)
        middle.push_back(arrow_[(4 * 8 + x) * 4 + 3]);
    EXPECT_EQ(middle, (std::vector<int>{0, 50, 50, 50, 50, 50, 50, 0}));
    for (size_t i = 0; i < arrow_.size(); i += 4)
        EXPECT_EQ(arrow_[i] + arrow_[i + 1] + arrow_[i + 2], 0);
}

TEST_F(DefaultSkinTest, PanelCutsItsRectangleIntoNineCellsByItsBorders)
{
    Widget* holder = Testing::AddTo<Widget>(root.Get(), nullptr);
    holder->SetPosition(5, 5);
    holder->SetSize(300, 300);
    holder->SetClipping(true);
    Panel* panel = skin->CreatePanel();
    holder->AddChild(panel);
    panel->SetPosition(5, 15);
    panel->SetSize(50, 30);
    panel->SetColor(Color(1, 2, 3, 4));
    DrawFrame();
    const std::vector<std::vector<int>> plain = {
        {10, 20, 2, 2},  {12, 20, 46, 2},  {58, 20, 2, 2},  {10, 22, 2, 26}, {12, 22, 46, 26},
        {58, 22, 2, 26}, {10, 48, 2, 2},   {12, 48, 46, 2}, {58, 48, 2, 2},
    };
    EXPECT_EQ(Rects(LastGroup()), plain);
    for (const Draw2D::Quad& q : LastGroup()->quads) {
        EXPECT_EQ(q.color, Draw2D::PackColor(1, 2, 3, 4));
        EXPECT_EQ((std::vector<int>{q.clipLeft, q.clipTop, q.clipRight, q.clipBottom}),
                  (std::vector<int>{5, 5, 305, 305}));  // the parent's clip rectangle
    }

    Panel* shadow = skin->CreateShadowPanel();
    root->AddChild(shadow);
    shadow->SetSize(40, 30);
    DrawFrame();
    const std::vector<std::vector<int>> wide = {
        {0, 0, 10, 10},  {10, 0, 20, 10},  {30, 0, 10, 10},  {0, 10, 10, 10}, {10, 10, 20, 10},
        {30, 10, 10, 10}, {0, 20, 10, 10}, {10, 20, 20, 10}, {30, 20, 10, 10},
    };
    EXPECT_EQ(Rects(LastGroup()), wide);

    // A later build rewrites the same group.
    const size_t groups = blitter->Groups().size();
    shadow->SetSize(60, 30);
    DrawFrame();
    EXPECT_EQ(blitter->Groups().size(), groups);
    EXPECT_EQ(LastGroup()->quads[2].x, 50);
}

TEST_F(DefaultSkinTest, PanelWithoutEverySegmentRefusesToDraw)
{
    Panel* panel = Testing::AddTo<Panel>(root.Get(), blitter.Get());
    panel->SetSegment(0, skin->GetFrameSegment(0));
    blitter->Begin();
    try {
        root->Frame();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.GetMessage().CStr(), "GUI::Panel::Build(): All segment bitmaps not set");
    }
    blitter->End();
}

TEST_F(DefaultSkinTest, ImageAndRectangleFillTheirRectangleWithTheirBitmap)
{
    Image* icon = skin->CreateIcon();
    root->AddChild(icon);
    icon->SetPosition(30, 40);
    EXPECT_EQ(icon->GetSize(), Point(8, 8));
    Rectangle* rect = Testing::AddTo<Rectangle>(root.Get(), blitter.Get());
    rect->SetSize(20, 3);
    rect->SetColor(Color(10, 20, 30, 40));
    Image* blank = Testing::AddTo<Image>(root.Get(), blitter.Get());
    DrawFrame();
    const std::vector<Draw2D::Quad> drawn = blitter->DrawnQuads();
    ASSERT_EQ(drawn.size(), 2u);  // the image without a bitmap draws nothing
    EXPECT_EQ((std::vector<int>{drawn[0].x, drawn[0].y, drawn[0].width, drawn[0].height}),
              (std::vector<int>{30, 40, 8, 8}));
    EXPECT_EQ(blitter->Pins(drawn[0].bitmap), 1);
    EXPECT_EQ(drawn[1].bitmap, 0);
    EXPECT_EQ(drawn[1].color, Draw2D::PackColor(10, 20, 30, 40));
    (void)blank;
}

TEST_F(DefaultSkinTest, LabelAlignsItsTextAndRebuildsOnlyOnChange)
{
    face->SetAdvance('W', 10);
    Label* label = Testing::AddTo<Label>(root.Get(), blitter.Get(), "WWWW");
    label->SetPosition(100, 50);
    EXPECT_EQ(label->GetSize(), Point(100, 15));
    EXPECT_EQ(label->GetTextSize(), Point(40, 13));
    label->SetAlignment(1, 1);
    DrawFrame();
    std::vector<Draw2D::Quad> drawn = blitter->DrawnQuads();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].x, 100 + 30);
    EXPECT_EQ(blitter->DrawnText(), "WWWW");

    const int builds = CountLog("CreateQuads");
    label->SetText("WWWW");
    DrawFrame();
    EXPECT_EQ(CountLog("CreateQuads"), builds);
    label->SetText("W\x01");  // a control code shows as "?"
    DrawFrame();
    EXPECT_EQ(CountLog("CreateQuads"), builds + 1);
    EXPECT_EQ(blitter->DrawnText(), "W?");
    label->SetText("WW");
    label->FitToText();
    EXPECT_EQ(label->GetSize(), Point(20, 13));
}

TEST_F(DefaultSkinTest, HoveredButtonPulsesWithinItsAlphaRangeAndFadesWhenLeft)
{
    Button* button = skin->CreateButton();
    root->AddChild(button);
    button->SetPosition(10, 10);
    EXPECT_EQ(button->GetSize(), Point(100, 25));
    Panel* panel = static_cast<DefaultButton*>(button)->GetPanel();

    Testing::GuiTestTime() = 2.0;
    Send(MouseMove(20, 20));
    for (double t = 0.0; t < 3.2; t += 0.05) {
        Testing::GuiTestTime() = 2.0 + t;
        DrawFrame();
        const double a = std::min(std::sin(4.0 * t) + 1.0, 1.0);
        EXPECT_EQ(panel->GetColor().alpha, 255 - static_cast<int>(a * 50)) << t;
        EXPECT_GE(panel->GetColor().alpha, 205);
    }
    Testing::GuiTestTime() = 2.1;
    DrawFrame();
    EXPECT_EQ(panel->GetColor().alpha, 205);  // sin(0.4) + 1 is above 1

    Send(MouseMove(300, 300));  // the pointer leaves
    Testing::GuiTestTime() = 2.2;
    DrawFrame();
    // The pulse of the last hovered frame (t = 0.1) fades over a quarter second: 60 % left.
    EXPECT_EQ(panel->GetColor().alpha, 255 - static_cast<int>(std::min((std::sin(0.4) + 1.0) * 0.6, 1.0) * 50));
    Testing::GuiTestTime() = 2.36;
    DrawFrame();
    EXPECT_EQ(panel->GetColor().alpha, 255);

    // Held down, the panel is opaque.
    Send(MouseMove(20, 20));
    Send(MouseDown(20, 20));
    Testing::GuiTestTime() = 4.0;
    DrawFrame();
    EXPECT_EQ(panel->GetColor().alpha, 255);
    Send(MouseUp(20, 20));
}

TEST_F(DefaultSkinTest, ButtonClickReachesTheOwnerAsAClickOnTheButton)
{
    struct Owner : Widget {
        explicit Owner(Draw2D::Blitter* painter) : Widget(painter) {}
        void OnClick(Widget* sender, const Input::MouseEvent&) override { senders.push_back(sender); }
        std::vector<Widget*> senders;
    };
    Owner* owner = Testing::AddTo<Owner>(root.Get(), blitter.Get());
    owner->SetSize(400, 400);
    Button* button = skin->CreateButton();
    owner->AddChild(button);
    button->SetText("OK");
    EXPECT_EQ(static_cast<DefaultButton*>(button)->GetLabel()->GetText(), "OK");
    Click(50, 12);  // on the label, which covers the button
    EXPECT_EQ(owner->senders, (std::vector<Widget*>{button}));
    EXPECT_TRUE(button->WasClicked());
    EXPECT_FALSE(button->WasClicked());
}

TEST_F(DefaultSkinTest, SliderPlacesItsKnobByValueAndDragsOneStepPerPixel)
{
    DefaultSlider* slider = static_cast<DefaultSlider*>(skin->CreateSlider());
    root->AddChild(slider);
    EXPECT_EQ(slider->GetSize(), Point(150, 20));
    slider->SetValue(50);
    DrawFrame();
    EXPECT_EQ(slider->GetKnob()->GetPosition(), Point(75, 1));
    EXPECT_EQ(slider->GetKnob()->GetSize(), Point(10, 18));

    Send(MouseDown(78, 10));
    Send(MouseMove(83, 10, Input::MouseButtonLeft));
    Send(MouseMove(88, 40, Input::MouseButtonLeft));  // off the slider: the drag goes on
    EXPECT_FLOAT_EQ(slider->GetValue(), 60.0f);
    Send(MouseUp(88, 40));
    Send(MouseMove(120, 10));
    EXPECT_FLOAT_EQ(slider->GetValue(), 60.0f);

    slider->SetValue(20);
    slider->SetMinimum(50);
    EXPECT_FLOAT_EQ(slider->GetValue(), 50.0f);
    slider->SetMinimum(0);
    slider->SetValue(20);
    slider->SetMaximum(10);
    EXPECT_FLOAT_EQ(slider->GetValue(), 10.0f);
    slider->SetMinimum(30);  // the limits cross: the minimum wins
    EXPECT_FLOAT_EQ(slider->GetValue(), 30.0f);

    slider->SetMinimum(5);
    slider->SetMaximum(5);
    DrawFrame();
    EXPECT_EQ(slider->GetKnob()->GetPosition(), Point(1, 1));  // an empty range has fraction 0
}

TEST_F(DefaultSkinTest, GaugeBarIsTheValuesShareOfTheWidth)
{
    DefaultGauge* gauge = static_cast<DefaultGauge*>(skin->CreateGauge());
    root->AddChild(gauge);
    const struct {
        float minimum, maximum, value;
        int width;
    } cases[] = {{0, 100, 25, 37}, {0, 100, 100, 148}, {0, 100, 0, 0}, {-50, 50, 0, 74}, {3, 3, 3, 0},
                 {0, 100, std::nanf(""), 0}};
    for (const auto& c : cases) {
        gauge->SetMinimum(c.minimum);
        gauge->SetMaximum(c.maximum);
        gauge->SetValue(c.value);
        DrawFrame();
        EXPECT_EQ(gauge->GetBar()->GetSize(), Point(c.width, 18)) << c.minimum << " " << c.maximum << " " << c.value;
    }
    gauge->SetBarColor(Color(1, 2, 3, 255));
    EXPECT_EQ(gauge->GetBar()->GetColor(), Color(1, 2, 3, 255));
}

TEST_F(DefaultSkinTest, ScrollBarPositionsReadBackClampedAndExactOverLongRanges)
{
    ScrollBar* bar = skin->CreateScrollBar();
    root->AddChild(bar);
    const struct {
        int range, set, expected;
    } cases[] = {
        {0, 5, 0},  {-5, 3, 0},  {1, 0, 0},         {10, 15, 9},       {10, -3, 0},
        {10, 4, 4}, {10, 0, 0},  {10, 9, 9},        {16777217, 16777215, 16777215},
        {2000000000, 1999999998, 1999999998},
    };
    for (const auto& c : cases) {
        bar->SetRange(c.range);
        EXPECT_EQ(bar->GetRange(), std::max(c.range, 1));
        bar->SetScrollPosition(c.set);
        EXPECT_EQ(bar->GetScrollPosition(), c.expected) << c.range << " " << c.set;
    }
}

TEST_F(DefaultSkinTest, ScrollBarKnobShowsThePageAndDragsAlongTheTrack)
{
    DefaultScrollBar* bar = static_cast<DefaultScrollBar*>(skin->CreateScrollBar());
    root->AddChild(bar);
    bar->SetSize(10, 104);  // a track of 100 pixels
    bar->SetRange(301);
    bar->SetPageSize(100);  // a quarter of the content: a knob of 25
    DrawFrame();
    EXPECT_EQ(bar->GetKnob()->GetPosition(), Point(2, 2));
    EXPECT_EQ(bar->GetKnob()->GetSize(), Point(6, 25));

    // Dragged by 30 pixels of its 75 of travel: 40 % of the range.
    Send(MouseDown(5, 10));
    Send(MouseMove(5, 40, Input::MouseButtonLeft));
    Send(MouseMove(200, 40, Input::MouseButtonLeft));  // off the bar sideways: still dragging
    DrawFrame();
    EXPECT_EQ(bar->GetKnob()->GetPosition(), Point(2, 32));
    EXPECT_EQ(bar->GetScrollPosition(), 120);
    Send(MouseMove(5, 500, Input::MouseButtonLeft));  // past the end: the knob stops
    EXPECT_EQ(bar->GetScrollPosition(), 300);
    Send(MouseUp(5, 500));

    // A position set is shown at its place after the next layout.
    bar->SetScrollPosition(149);
    bar->SetSize(10, 204);
    DrawFrame();
    const int travel = 200 - std::max(100 * 200 / 400, 8);
    EXPECT_EQ(bar->GetKnob()->GetPosition(), Point(2, 2 + static_cast<int>(travel * 150.0 / 301.0)));

    // A knob that fills its track has nowhere to go.
    bar->SetRange(1);
    DrawFrame();
    Send(MouseDown(5, 10));
    Send(MouseMove(5, 60, Input::MouseButtonLeft));
    EXPECT_EQ(bar->GetScrollPosition(), 0);
    Send(MouseUp(5, 60));
}

}  // namespace default_skin_test
