#pragma once
// Joystick: a game controller read by polling, once per main-loop pass.
//
// Update() reads the device; the getters return what the last successful Update read, or the
// state at rest once an implementation knows the device is gone.
//
// Axis slots: 0 … 7 are X, Y, Z, rotation X, rotation Y, rotation Z and two sliders, from -1
// to 1 (0 for an axis the device lacks); 8 … 11 are the point-of-view hats, in hundredths of
// a degree clockwise from north, or 4294967295 (as a float) when centred or missing.
// GetAxisCount() is one past the highest of slots 0 … 7 the device fills, hats left out, so
// reading slots 0 … GetAxisCount() − 1 sees every axis it has; GetAxis() reads every slot.
// Buttons and slots outside these ranges read as false and 0.0.

#include "core/Object.h"

namespace Nimbrel::Input {

class Joystick : public Object {
public:
    static constexpr int AxisSlots = 12;
    static constexpr int FirstHatSlot = 8;
    static constexpr int HatSlots = 4;

    ~Joystick() override = default;
    virtual int GetButtonCount() = 0;
    virtual int GetAxisCount() = 0;
    virtual bool GetButton(int index) = 0;
    virtual float GetAxis(int index) = 0;
    // Polls the device: 0 on success, negative on failure (the previous values are kept).
    virtual int Update() = 0;
};

}  // namespace Nimbrel::Input
