#pragma once
// Axis slots of a joystick that is a Linux event device.
//
// SDL numbers such a device's axes in the order of their kernel axis codes, the hat codes
// left out, but names none of them; the codes say which is which. X, Y, Z and the three
// rotations take slots 0 … 5 whatever else the device has, and its other axes (throttle,
// rudder, wheel, pedals, …) take the two slider slots in code order; the rest get none.

#include <cstdint>

namespace Nimbrel::Input {

// The number of axes SDL counts for a device with these axis codes.
int CountEventAxes(uint64_t codes);
// The slot (0 … 7) of SDL's axis `sdlAxis` of a device whose axis codes are the set bits of
// `codes` (bit n for code n), or -1 when that axis has no slot or the device no such axis.
int EventAxisSlot(uint64_t codes, int sdlAxis);

// One past the highest slot any axis of a device with these axis codes takes, 0 for none: the
// slots a reader of slots 0 … n − 1 must cover to see every axis (a device with X, Y and the
// X and Y rotations fills slots 0, 1, 3 and 4, so 5).
int EventAxisSlotsUsed(uint64_t codes);

// The axis codes of the event device at `path` as bits, as above; false when `path` is not an
// event device that can be asked (SDL then gives no names, and its order stands).
bool ReadEventAxisCodes(const char* path, uint64_t* codes);

}  // namespace Nimbrel::Input
