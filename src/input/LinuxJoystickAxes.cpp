#include "input/LinuxJoystickAxes.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace Nimbrel::Input {

namespace linux_joystick_axes_detail {

// SDL's count runs over the codes below ABS_MAX, past the four hats' codes.
bool IsCountedAxis(uint64_t codes, int code)
{
    return code < ABS_MAX && (code < ABS_HAT0X || code > ABS_HAT3Y) && (codes & (uint64_t(1) << code));
}

}  // namespace linux_joystick_axes_detail

int CountEventAxes(uint64_t codes)
{
    int count = 0;
    for (int code = 0; code < ABS_MAX; ++code)
        if (linux_joystick_axes_detail::IsCountedAxis(codes, code))
            ++count;
    return count;
}

int EventAxisSlot(uint64_t codes, int sdlAxis)
{
    if (sdlAxis < 0)
        return -1;
    int axis = 0;
    int sliders = 0;
    for (int code = 0; code < ABS_MAX; ++code) {
        if (!linux_joystick_axes_detail::IsCountedAxis(codes, code))
            continue;
        int slot = -1;
        if (code <= ABS_RZ)
            slot = code;  // ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ are 0 … 5
        else if (sliders < 2)
            slot = 6 + sliders++;
        if (axis == sdlAxis)
            return slot;
        ++axis;
    }
    return -1;
}

int EventAxisSlotsUsed(uint64_t codes)
{
    int used = 0;
    const int count = CountEventAxes(codes);
    for (int axis = 0; axis < count; ++axis)
        used = std::max(used, EventAxisSlot(codes, axis) + 1);
    return used;
}

bool ReadEventAxisCodes(const char* path, uint64_t* codes)
{
    if (!path || std::strncmp(path, "/dev/input/event", 16) != 0)
        return false;
    const int device = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (device < 0)
        return false;
    uint8_t bits[(ABS_MAX + 8) / 8] = {};
    const bool read = ioctl(device, EVIOCGBIT(EV_ABS, sizeof(bits)), bits) >= 0;
    close(device);
    if (!read)
        return false;
    *codes = 0;
    for (int code = 0; code < 64 && code <= ABS_MAX; ++code)
        if (bits[code / 8] & (1u << (code % 8)))
            *codes |= uint64_t(1) << code;
    return true;
}

}  // namespace Nimbrel::Input
