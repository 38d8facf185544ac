// The Studio root in a real window under Xvfb: a right click pushed into SDL's queue travels
// through the Application to the root, which opens its menu at the pointer; the root's own
// blitter and 2D effect composite it over a cleared frame, which is read back. The picture is
// written beside the test binary as "studio-menu.png". A virtual game pad of SDL's, polled by
// the Application, records keys into the Tracker, flies its camera and drives the transport,
// with the window in front or in the background.

#include "graphics/gl/GL2CGDeviceFactory.h"
#include "graphics/gl/GLDevice.h"
#include "support/CgGLWindow.h"
#include "support/MemoryFileSystem.h"
#include "support/PngFile.h"
#include "support/SDLApplicationTest.h"
#include "support/SDLVideo.h"
#include "support/WaitFor.h"
#include "StudioSDLFixture.h"
#include "utils/Application.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/gui/Rectangle.h"
#include "utils/ProbeProxy.h"
#include "utils/studio/ProbeBrowser.h"
#include "utils/studio/Root.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"
#include "utils/studio/TrackerCell.h"
#include "utils/typography/FontFace.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>

namespace studio_sdl_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Testing::Frame;
using Testing::Rgb;

using Testing::StudioSDLTest;

TEST_F(StudioSDLTest, RightClickOpensTheMenuAtThePointerOverTheFrame)
{
    const Frame before = Render();
    for (int y = 0; y < ScreenHeight; y += 37)
        for (int x = 0; x < ScreenWidth; x += 41)
            ASSERT_TRUE(Testing::Near(before.At(x, y), Backdrop, 1)) << "nothing over the frame at " << x << "," << y;

    PushRightClick(200, 150);
    Pump();
    GUI::Menu* menu = root->GetMenu();
    ASSERT_TRUE(menu->IsVisible());
    EXPECT_EQ(menu->GetScreenPosition(), GUI::Point(200, 150));
    Render();  // quads made in the first frame of the menu are uploaded by then
    const Frame frame = Render();

    const GUI::Point size = menu->GetSize();
    ASSERT_GT(size.x, 40);
    ASSERT_GT(size.y, 100);
    // Outside the menu the frame shows through unchanged; inside it the skin's panel covers it.
    for (GUI::Point outside : {GUI::Point(190, 160), GUI::Point(200 + size.x + 12, 160), GUI::Point(210, 140),
                               GUI::Point(210, 150 + size.y + 12)})
        EXPECT_TRUE(Testing::Near(frame.At(outside.x, outside.y), Backdrop, 1))
            << Testing::ToText(frame.At(outside.x, outside.y)) << " at " << outside.x << "," << outside.y;
    int covered = 0;
    for (int y = 152; y < 150 + size.y - 2; y += 3)
        for (int x = 202; x < 200 + size.x - 2; x += 3)
            covered += Testing::Near(frame.At(x, y), Backdrop, 8) ? 0 : 1;
    EXPECT_GT(covered, 0);
    // The "Exit" row carries text: some of its pixels differ from the row's panel colour.
    GUI::MenuItem* exit = menu->GetItem(menu->GetItemCount() - 1);
    const GUI::Point row = exit->GetScreenPosition();
    const Rgb panel = frame.At(row.x + 2, row.y + 1);
    int ink = 0;
    for (int x = row.x; x < row.x + exit->GetSize().x; ++x)
        for (int y = row.y; y < row.y + exit->GetSize().y; ++y)
            ink += Testing::Near(frame.At(x, y), panel, 24) ? 0 : 1;
    EXPECT_GT(ink, 10) << "the item's label is drawn";

    Testing::WritePng(PicturePath("studio-menu.png"), frame.width, frame.height, frame.rgb);
}

TEST_F(StudioSDLTest, TheTrackerOpenedFromTheMenuShowsKeysWithTheirStripes)
{
    Studio::SyncData* sync = root->GetSyncData();
    Studio::TrackGroup* group = sync->GetTrackGroup(sync->AddTrackGroup(".shot"));
    for (const char* name : {".shot.Position.x", ".shot.Fov"})
        group->AddTrack(sync->GetTrack(sync->AddTrack(name)));
    Studio::Block* block = sync->GetBlock(sync->CreateBlock(0, 512, group));
    block->GetPattern(0)->SetKey(Studio::Key{Studio::InterpolationCosine, 1.5f, 1.5f, 16});
    block->GetPattern(1)->SetKey(Studio::Key{Studio::InterpolationStep, 45.0f, 60.0f, 32});

    Studio::Tracker* tracker = OpenTrackerFromTheMenu();
    ASSERT_NE(tracker, nullptr);
    tracker->EditBlock(block);
    root->SetTimeQticks(40.0);
    root->Pause();
    Render();
    Render();
    const Frame frame = Render();

    struct Stripe {
        int column, row;
        Rgb colour;
    } stripes[] = {{0, 1, {0, 255, 0}}, {1, 2, {255, 0, 0}}};
    for (const Stripe& stripe : stripes) {
        Studio::TrackerCell* cell = tracker->GetCell(stripe.column, stripe.row);
        const GUI::Point corner = cell->GetScreenPosition() + GUI::Point(cell->GetSize().x - 2, 2);  // above the cursor line
        EXPECT_TRUE(Testing::Near(frame.At(corner.x, corner.y), stripe.colour, 8))
            << Testing::ToText(frame.At(corner.x, corner.y)) << " at " << corner.x << "," << corner.y;
    }
    const GUI::Point line = tracker->GetCursorLine()->GetScreenPosition() + GUI::Point(20, 1);
    EXPECT_TRUE(Testing::Near(frame.At(line.x, line.y), Rgb{0, 0, 0}, 8)) << "the cursor line at 2.5 rows";

    Testing::WritePng(PicturePath("studio-tracker.png"), frame.width, frame.height, frame.rgb);
}

// SDL's virtual joysticks, attached before the Application starts, which is when its input
// context takes the attached joysticks. The test speaks in the engine's numbering (the pad
// layout of input/SDLEventTranslation.h); each kind of device says where that is in SDL's.
struct PadKind {
    const char* name;
    SDL_JoystickType type;
    bool gameController;
};

void PrintTo(const PadKind& kind, std::ostream* out)
{
    *out << kind.name;
}

class StudioPadSDLTest : public StudioSDLTest, public ::testing::WithParamInterface<PadKind> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        joysticksStarted = true;
        padIndex = SDL_JoystickAttachVirtual(GetParam().type, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(padIndex, 0) << SDL_GetError();
        ASSERT_EQ(SDL_IsGameController(padIndex) == SDL_TRUE, GetParam().gameController);
        if (SDL_NumJoysticks() != 1)
            GTEST_SKIP() << "another joystick is attached, and the Studio reads the first one";
        StudioSDLTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(app->GetJoystickCount(), 1);
        pad = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(padIndex));
        ASSERT_NE(pad, nullptr) << "the engine opened the pad";
        for (int axis : {0, 1, 2, 3, 4})
            SetAxis(axis, 0);
    }
    void TearDown() override
    {
        StudioSDLTest::TearDown();
        if (padIndex >= 0)
            SDL_JoystickDetachVirtual(padIndex);
        if (joysticksStarted)
            SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    // Engine axes 0 … 4 and buttons 0 … 9. A game controller's engine axis 2 is its triggers:
    // a positive value pulls the left one, a negative value the right one.
    void SetAxis(int axis, Sint16 value)
    {
        if (!GetParam().gameController) {
            SDL_JoystickSetVirtualAxis(pad, axis, value);
            return;
        }
        if (axis == 2) {
            SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, value > 0 ? value : SDL_JOYSTICK_AXIS_MIN);
            SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT,
                                       value < 0 ? static_cast<Sint16>(-(value + 1)) : SDL_JOYSTICK_AXIS_MIN);
            return;
        }
        constexpr SDL_GameControllerAxis sticks[] = {SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY,
                                                     SDL_CONTROLLER_AXIS_INVALID, SDL_CONTROLLER_AXIS_RIGHTX,
                                                     SDL_CONTROLLER_AXIS_RIGHTY};
        SDL_JoystickSetVirtualAxis(pad, sticks[axis], value);
    }
    void SetButton(int button, bool down)
    {
        constexpr SDL_GameControllerButton buttons[] = {
            SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,         SDL_CONTROLLER_BUTTON_X,
            SDL_CONTROLLER_BUTTON_Y,         SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
            SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,     SDL_CONTROLLER_BUTTON_LEFTSTICK,
            SDL_CONTROLLER_BUTTON_RIGHTSTICK};
        SDL_JoystickSetVirtualButton(pad, GetParam().gameController ? buttons[button] : button, down ? 1 : 0);
    }

    // One pass of the main loop with the pad as it is now, then the Studio's frame; the frame
    // time the Studio saw.
    double Pass()
    {
        EXPECT_TRUE(app->Update());
        const double frameTime = app->GetFrameTime();
        root->Frame();
        return frameTime;
    }
    void Press(int button)
    {
        SetButton(button, true);
        Pass();
        SetButton(button, false);
        Pass();
    }

    bool joysticksStarted = false;
    int padIndex = -1;
    SDL_Joystick* pad = nullptr;
};

TEST_P(StudioPadSDLTest, RecordsKeysIntoTheTrackerFliesItsCameraAndDrivesTheTransport)
{
    ProbeProxy* probes = ProbeProxy::GetGlobal();
    for (const char* leaf : {"Position.x", "Position.y", "Position.z", "Turn", "Roll", "Pitch", "Fov"})
        probes->GetProbe((std::string("rig.") + leaf).c_str());
    Studio::SyncData* sync = root->GetSyncData();
    Studio::TrackGroup* group = sync->GetTrackGroup(Studio::ProbeBrowser::CreateTrackGroup(root, probes->GetProbe("rig")));
    Studio::Block* block = sync->GetBlock(sync->CreateBlock(0, 256, group));
    Studio::Tracker* tracker = OpenTrackerFromTheMenu();
    ASSERT_NE(tracker, nullptr);
    tracker->EditBlock(block);
    root->Pause();
    root->SetTimeQticks(16);  // row 1
    tracker->SetCellValue(6, 1, 45.0f);

    // Each stick pushed fully to its negative side for one pass: the shaped value is
    // (-1 + 0.25)^3 = -0.421875.
    constexpr double Shaped = -0.421875;
    struct Flight {
        int axis;
        int held;  // button held, or -1
        int column;
        double perSecond;  // change of the column per second of frame time
    } flights[] = {
        {1, -1, 0, Shaped * -500.0},  // forward: +x
        {0, -1, 1, Shaped * -500.0},  // left: +y
        {1, 9, 2, Shaped * -500.0},   // with the right stick pressed: up
        {3, -1, 3, Shaped * 360.0},   // turn
        {3, 8, 4, Shaped * 360.0},    // with the left stick pressed: roll
        {4, -1, 5, Shaped * -360.0},  // pitch
        {4, 8, 6, Shaped * 120.0},    // with the left stick pressed: field of view
    };
    for (const Flight& flight : flights) {
        for (int column = 0; column < 3; ++column)
            tracker->SetCellValue(column, 1, 0.0f);
        const float before = tracker->GetCellValue(flight.column, 1).value_or(0.0f);
        SetAxis(flight.axis, SDL_JOYSTICK_AXIS_MIN);
        if (flight.held >= 0)
            SetButton(flight.held, true);
        const double frameTime = Pass();
        SetAxis(flight.axis, 0);
        if (flight.held >= 0)
            SetButton(flight.held, false);
        const double moved = tracker->GetCellValue(flight.column, 1).value_or(0.0f) - before;
        const double expected = flight.perSecond * frameTime;
        EXPECT_GT(moved * expected, 0.0) << "column " << flight.column << " moves, and the right way";
        EXPECT_NEAR(moved, expected, 1e-5 + 1e-4 * std::abs(expected)) << "column " << flight.column;
    }
    Pass();  // the sticks at rest

    // Button 0 records the curves' values at row 2 into every column, button 1 clears the row.
    root->SetTimeQticks(32);
    Press(0);
    for (int column = 0; column < 7; ++column) {
        const std::optional<float> recorded = tracker->GetCellValue(column, 2);
        ASSERT_TRUE(recorded.has_value()) << "column " << column;
        EXPECT_FLOAT_EQ(*recorded, tracker->GetCellValue(column, 1).value_or(0.0f)) << "column " << column;
    }
    Press(1);
    for (int column = 0; column < 7; ++column)
        EXPECT_FALSE(tracker->GetCellValue(column, 2).has_value()) << "column " << column;

    // Button 7 toggles play; axis 2 scrubs the paused clock, its positive side winding back.
    Press(7);
    EXPECT_FALSE(root->IsPaused());
    Press(7);
    ASSERT_TRUE(root->IsPaused());
    root->SetTime(10.0);
    SetAxis(2, SDL_JOYSTICK_AXIS_MAX);
    const double frameTime = Pass();
    SetAxis(2, 0);
    const double pushed = 32767.0 / 32768.0 - 0.25;
    EXPECT_NEAR(root->GetTime(), 10.0 - frameTime * pushed * pushed * pushed * 60.0, 1e-6);

    // With the window hidden no window of the program has the keyboard focus: the pad is read
    // all the same.
    SDL_HideWindow(SDL_GetWindowFromID(windowID));
    ASSERT_TRUE(Testing::WaitFor([] { return SDL_GetKeyboardFocus() == nullptr; }, [this] { app->Update(); }));
    root->SetTimeQticks(16);
    for (int column = 0; column < 6; ++column)
        tracker->SetCellValue(column, 1, 0.0f);  // at the origin, looking along +x
    SetAxis(1, SDL_JOYSTICK_AXIS_MIN);
    const double backgroundFrameTime = Pass();
    SetAxis(1, 0);
    EXPECT_NEAR(tracker->GetCellValue(0, 1).value_or(0.0f), Shaped * -500.0 * backgroundFrameTime,
                1e-5 + 1e-4 * std::abs(Shaped * 500.0 * backgroundFrameTime));
    EXPECT_GT(tracker->GetCellValue(0, 1).value_or(0.0f), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(VirtualPads, StudioPadSDLTest,
                         ::testing::Values(PadKind{"GameController", SDL_JOYSTICK_TYPE_GAMECONTROLLER, true},
                                           PadKind{"PlainJoystick", SDL_JOYSTICK_TYPE_UNKNOWN, false}),
                         [](const ::testing::TestParamInfo<PadKind>& info) { return std::string(info.param.name); });

}  // namespace studio_sdl_test
