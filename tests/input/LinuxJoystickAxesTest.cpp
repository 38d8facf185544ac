// Axis slots of Linux event devices from their axis codes.
#include "input/LinuxJoystickAxes.h"

#include <gtest/gtest.h>

#include <linux/input.h>

#include <initializer_list>
#include <vector>

namespace linux_joystick_axes_test {

using Nimbrel::Input::CountEventAxes;
using Nimbrel::Input::EventAxisSlot;

uint64_t Codes(std::initializer_list<int> codes)
{
    uint64_t bits = 0;
    for (int code : codes)
        bits |= uint64_t(1) << code;
    return bits;
}

TEST(LinuxJoystickAxesTest, AxesTakeTheSlotsTheirCodesName)
{
    struct Case {
        const char* what;
        uint64_t codes;
        std::vector<int> slots;  // by SDL axis, one past the device's axes included
        int slotsUsed;           // one past the highest slot taken
    };
    const Case cases[] = {
        {"stick", Codes({ABS_X, ABS_Y}), {0, 1, -1}, 2},
        {"stick and throttle", Codes({ABS_X, ABS_Y, ABS_THROTTLE}), {0, 1, 6, -1}, 7},
        {"hats are not axes", Codes({ABS_X, ABS_HAT0X, ABS_HAT0Y, ABS_HAT3Y, ABS_RZ}), {0, 5, -1}, 6},
        {"rotations without Z", Codes({ABS_RX, ABS_RY}), {3, 4, -1}, 5},
        {"two sliders, then no more slots",
         Codes({ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ, ABS_THROTTLE, ABS_RUDDER, ABS_WHEEL, ABS_MISC}),
         {0, 1, 2, 3, 4, 5, 6, 7, -1, -1, -1}, 8},
        {"pedals", Codes({ABS_GAS, ABS_BRAKE, ABS_X}), {0, 6, 7, -1}, 8},
        {"the last code is not counted", Codes({ABS_MAX, ABS_Y}), {1, -1}, 2},
        {"no axes", 0, {-1}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CountEventAxes(c.codes), static_cast<int>(c.slots.size()) - 1) << c.what;
        for (size_t axis = 0; axis < c.slots.size(); ++axis)
            EXPECT_EQ(EventAxisSlot(c.codes, static_cast<int>(axis)), c.slots[axis]) << c.what << ", SDL axis " << axis;
        EXPECT_EQ(EventAxisSlot(c.codes, -1), -1) << c.what;
        EXPECT_EQ(Nimbrel::Input::EventAxisSlotsUsed(c.codes), c.slotsUsed) << c.what;
    }
}

TEST(LinuxJoystickAxesTest, OnlyEventDevicesAreAsked)
{
    uint64_t codes = 7;
    for (const char* path : {static_cast<const char*>(nullptr), "", "/dev/hidraw0", "/dev/input/js0", "/dev/input/event-none"})
        EXPECT_FALSE(Nimbrel::Input::ReadEventAxisCodes(path, &codes)) << (path ? path : "no path");
    EXPECT_EQ(codes, 7u);
}

}  // namespace linux_joystick_axes_test
