#pragma once
// Joystick on SDL, in the axis slots of Joystick.h. A device SDL knows as a game controller is
// read in the engine's game-pad layout (see SDLEventTranslation.h), its D-pad as hat 0. Any
// other joystick puts its axes in the slots their Linux axis codes name (LinuxJoystickAxes.h)
// when it is an event device that can be asked, and otherwise its first eight axes in SDL's
// order, which follows the same codes; its first four hats go to slots 8 … 11, and up to 128
// buttons are read. Once the device is detached, Update() fails and the joystick reads at rest
// (buttons up, axes 0, hats centred).

#include "input/Joystick.h"

#include <vector>

struct _SDL_GameController;
struct _SDL_Joystick;

namespace Nimbrel::Input {

class SDLJoystick : public Joystick {
public:
    // Opens the SDL joystick with the device index; throws with SDL's message when it cannot.
    // The joystick subsystem must be running (SDLInputContext starts it).
    explicit SDLJoystick(int deviceIndex);
    ~SDLJoystick() override;

    bool IsGamePad() const { return controller != nullptr; }

    int GetButtonCount() override { return static_cast<int>(buttons.size()); }
    int GetAxisCount() override { return axisCount; }
    bool GetButton(int index) override;
    float GetAxis(int index) override;
    int Update() override;

private:
    _SDL_GameController* controller = nullptr;
    _SDL_Joystick* joystick = nullptr;
    std::vector<bool> buttons;
    std::vector<int> axisSlots;  // the slot of each SDL axis, -1 for none
    float axes[AxisSlots] = {};
    int axisCount = 0;
    int hatCount = 0;
};

}  // namespace Nimbrel::Input
