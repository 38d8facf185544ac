// SDL joysticks read through SDL's virtual joysticks: a game controller in the engine's
// game-pad layout, a plain joystick in the axis slots with its hats, and a detached device.
#include "input/SDLJoystick.h"

#include "core/Managed.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sdl_joystick_test {

using Nimbrel::Managed;
using Nimbrel::Input::SDLJoystick;

// A centred hat: 4294967295 as a float.
const float Centred = static_cast<float>(4294967295u);

class SDLJoystickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        SDL_JoystickEventState(SDL_IGNORE);
    }
    void TearDown() override
    {
        for (int index : attached)
            SDL_JoystickDetachVirtual(index);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    // Attaches a virtual device and returns its device index.
    int Attach(SDL_JoystickType type, int axes, int buttons, int hats = 0)
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = static_cast<Uint16>(type);
        desc.naxes = static_cast<Uint16>(axes);
        desc.nbuttons = static_cast<Uint16>(buttons);
        desc.nhats = static_cast<Uint16>(hats);
        desc.name = "Nimbrel test device";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        attached.push_back(index);
        return index;
    }

    std::vector<int> attached;
};

TEST_F(SDLJoystickTest, GameControllerReadsInTheGamePadLayout)
{
    const int index = Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX);
    ASSERT_TRUE(SDL_IsGameController(index));
    Managed<SDLJoystick> pad(new SDLJoystick(index));
    ASSERT_TRUE(pad->IsGamePad());
    EXPECT_EQ(pad->GetAxisCount(), 5);
    EXPECT_EQ(pad->GetButtonCount(), 10);

    // At rest every axis, the combined triggers included, reads 0 and the D-pad is centred.
    SDL_Joystick* device = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(pad->Update(), 0);
    for (int a = 0; a < 8; ++a)
        EXPECT_EQ(pad->GetAxis(a), 0.0f) << "axis " << a;
    for (int a = 8; a < 12; ++a)
        EXPECT_EQ(pad->GetAxis(a), Centred) << "hat slot " << a;

    // SDL's virtual controller: axes and buttons in SDL_GameControllerAxis/Button order.
    SDL_JoystickSetVirtualAxis(device, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    SDL_JoystickSetVirtualAxis(device, SDL_CONTROLLER_AXIS_RIGHTY, 16384);
    SDL_JoystickSetVirtualAxis(device, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_START, 1);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
    EXPECT_EQ(pad->Update(), 0);
    EXPECT_EQ(pad->GetAxis(8), 13500.0f) << "the D-pad is hat 0";
    EXPECT_EQ(pad->GetAxis(9), Centred);
    EXPECT_FLOAT_EQ(pad->GetAxis(0), -1.0f);
    EXPECT_NEAR(pad->GetAxis(4), 0.5f, 1e-4);
    EXPECT_NEAR(pad->GetAxis(2), -1.0f, 1e-4);
    EXPECT_TRUE(pad->GetButton(7));
    EXPECT_FALSE(pad->GetButton(0));
    // Past the counts: nothing, never a read outside the tables.
    EXPECT_FALSE(pad->GetButton(10));
    EXPECT_FALSE(pad->GetButton(-1));
    EXPECT_EQ(pad->GetAxis(5), 0.0f);
    EXPECT_EQ(pad->GetAxis(12), 0.0f);
    EXPECT_EQ(pad->GetAxis(-1), 0.0f);
}

TEST_F(SDLJoystickTest, PlainJoystickFillsTheAxisSlotsAndItsHats)
{
    const int index = Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 3, 4, 2);
    ASSERT_FALSE(SDL_IsGameController(index));
    Managed<SDLJoystick> stick(new SDLJoystick(index));
    EXPECT_FALSE(stick->IsGamePad());
    EXPECT_EQ(stick->GetAxisCount(), 3);
    EXPECT_EQ(stick->GetButtonCount(), 4);

    SDL_Joystick* device = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
    SDL_JoystickSetVirtualAxis(device, 2, 32767);
    SDL_JoystickSetVirtualButton(device, 3, 1);
    SDL_JoystickSetVirtualHat(device, 1, SDL_HAT_LEFT);
    EXPECT_EQ(stick->Update(), 0);
    EXPECT_NEAR(stick->GetAxis(2), 1.0f, 1e-4);
    EXPECT_EQ(stick->GetAxis(0), 0.0f);
    EXPECT_EQ(stick->GetAxis(3), 0.0f) << "an axis the device lacks";
    EXPECT_EQ(stick->GetAxis(8), Centred);
    EXPECT_EQ(stick->GetAxis(9), 27000.0f);
    EXPECT_EQ(stick->GetAxis(10), Centred) << "a hat the device lacks";
    EXPECT_TRUE(stick->GetButton(3));
    EXPECT_FALSE(stick->GetButton(2));

    SDL_JoystickSetVirtualHat(device, 0, SDL_HAT_UP);
    SDL_JoystickSetVirtualHat(device, 1, SDL_HAT_CENTERED);
    EXPECT_EQ(stick->Update(), 0);
    EXPECT_EQ(stick->GetAxis(8), 0.0f);
    EXPECT_EQ(stick->GetAxis(9), Centred);
}

TEST_F(SDLJoystickTest, AxesAndHatsPastTheSlotsAreLeftOut)
{
    // Ten axes and five hats: eight axes and four hats have slots.
    const int index = Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 10, 1, 5);
    Managed<SDLJoystick> stick(new SDLJoystick(index));
    EXPECT_EQ(stick->GetAxisCount(), 8);
    SDL_Joystick* device = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
    for (int a = 0; a < 10; ++a)
        SDL_JoystickSetVirtualAxis(device, a, static_cast<Sint16>(-3000 * (a + 1)));
    for (int h = 0; h < 5; ++h)
        SDL_JoystickSetVirtualHat(device, h, SDL_HAT_RIGHT);
    EXPECT_EQ(stick->Update(), 0);
    for (int a = 0; a < 8; ++a)
        EXPECT_FLOAT_EQ(stick->GetAxis(a), -3000.0f * (a + 1) / 32768.0f) << "axis " << a;
    for (int a = 8; a < 12; ++a)
        EXPECT_EQ(stick->GetAxis(a), 9000.0f) << "hat slot " << a;
    EXPECT_EQ(stick->GetAxis(12), 0.0f);
}

TEST_F(SDLJoystickTest, DetachedDeviceFailsToUpdateAndReadsAtRest)
{
    // Pulled out with the stick pushed, a button held and the hat pressed.
    for (SDL_JoystickType type : {SDL_JOYSTICK_TYPE_FLIGHT_STICK, SDL_JOYSTICK_TYPE_GAMECONTROLLER}) {
        const int index = Attach(type, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 1);
        Managed<SDLJoystick> stick(new SDLJoystick(index));
        SDL_Joystick* device = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
        SDL_JoystickSetVirtualAxis(device, 0, -32768);
        SDL_JoystickSetVirtualButton(device, 0, 1);
        SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
        SDL_JoystickSetVirtualHat(device, 0, SDL_HAT_UP);
        ASSERT_EQ(stick->Update(), 0) << type;
        ASSERT_EQ(stick->GetAxis(0), -1.0f) << type;
        ASSERT_TRUE(stick->GetButton(0)) << type;
        ASSERT_EQ(stick->GetAxis(8), 0.0f) << type;

        SDL_JoystickDetachVirtual(index);
        attached.clear();
        EXPECT_LT(stick->Update(), 0) << type;
        EXPECT_EQ(stick->GetAxis(0), 0.0f) << type;
        EXPECT_FALSE(stick->GetButton(0)) << type;
        EXPECT_EQ(stick->GetAxis(8), Centred) << type;
    }
}

TEST_F(SDLJoystickTest, OpeningAMissingDeviceThrows)
{
    try {
        SDLJoystick missing(SDL_NumJoysticks() + 5);
        ADD_FAILURE() << "no exception";
    } catch (const Nimbrel::Exception& e) {
        EXPECT_EQ(std::string(e.GetMessage().CStr()).rfind("Unable to open joystick: ", 0), 0u) << e.GetMessage().CStr();
    }
}

}  // namespace sdl_joystick_test
