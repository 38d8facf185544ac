#pragma once
// Joystick: a game controller read by polling, once per main-loop pass.
//
// Update() reads the device; the getters return what the last successful Update read. Axes
// run from -1 to 1. Indices at or past the counts read as false and 0.0.

#include "core/Object.h"

namespace Nimbrel::Input {

class Joystick : public Object {
public:
    ~Joystick() override = default;
    virtual int GetButtonCount() = 0;
    virtual int GetAxisCount() = 0;
    virtual bool GetButton(int index) = 0;
    virtual float GetAxis(int index) = 0;
    // Polls the device: 0 on success, negative on failure (the previous values are kept).
    virtual int Update() = 0;
};

}  // namespace Nimbrel::Input
