#pragma once
// Joystick on SDL. A device SDL knows as a game controller is read in the engine's game-pad
// layout (see SDLEventTranslation.h); any other joystick keeps SDL's axis and button order,
// up to 64 axes and 128 buttons.

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
    int GetAxisCount() override { return static_cast<int>(axes.size()); }
    bool GetButton(int index) override;
    float GetAxis(int index) override;
    int Update() override;

private:
    _SDL_GameController* controller = nullptr;
    _SDL_Joystick* joystick = nullptr;
    std::vector<bool> buttons;
    std::vector<float> axes;
};

}  // namespace Nimbrel::Input
