#include "input/SDLJoystick.h"

#include "core/Exception.h"
#include "input/LinuxJoystickAxes.h"
#include "input/SDLEventTranslation.h"

#include <SDL.h>

#include <algorithm>

namespace Nimbrel::Input {

SDLJoystick::SDLJoystick(int deviceIndex)
{
    if (SDL_IsGameController(deviceIndex)) {
        controller = SDL_GameControllerOpen(deviceIndex);
        if (!controller)
            throw Exception(String("Unable to open game controller: ") + SDL_GetError());
        joystick = SDL_GameControllerGetJoystick(controller);
        axisCount = ControllerAxisCount;
        buttons.assign(ControllerButtonCount, false);
    } else {
        joystick = SDL_JoystickOpen(deviceIndex);
        if (!joystick)
            throw Exception(String("Unable to open joystick: ") + SDL_GetError());
        const int sdlAxes = std::clamp(SDL_JoystickNumAxes(joystick), 0, 64);
        uint64_t codes = 0;
        // The codes name SDL's axes only when SDL counted the same axes.
        const bool named = ReadEventAxisCodes(SDL_JoystickPath(joystick), &codes) && CountEventAxes(codes) == sdlAxes;
        for (int a = 0; a < sdlAxes; ++a)
            axisSlots.push_back(named ? EventAxisSlot(codes, a) : a < FirstHatSlot ? a : -1);
        // Named axes may leave slots out (X, Y and the rotations, without Z): the count covers
        // the highest slot they fill, so a reader of slots 0 … count − 1 sees all of them.
        axisCount = named ? EventAxisSlotsUsed(codes) : std::min(sdlAxes, static_cast<int>(FirstHatSlot));
        hatCount = std::clamp(SDL_JoystickNumHats(joystick), 0, HatSlots);
        buttons.assign(std::clamp(SDL_JoystickNumButtons(joystick), 0, 128), false);
    }
    std::fill(axes + FirstHatSlot, axes + AxisSlots, static_cast<float>(HatCentred));
}

SDLJoystick::~SDLJoystick()
{
    if (controller)
        SDL_GameControllerClose(controller);
    else if (joystick)
        SDL_JoystickClose(joystick);
}

bool SDLJoystick::GetButton(int index)
{
    return index >= 0 && index < GetButtonCount() && buttons[index];
}

float SDLJoystick::GetAxis(int index)
{
    return index >= 0 && index < AxisSlots ? axes[index] : 0.0f;
}

int SDLJoystick::Update()
{
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(joystick)) {
        // A device that is gone reads at rest: a stick held while it was pulled out must not
        // go on scrubbing the clock or recording keys.
        std::fill(axes, axes + FirstHatSlot, 0.0f);
        std::fill(axes + FirstHatSlot, axes + AxisSlots, static_cast<float>(HatCentred));
        std::fill(buttons.begin(), buttons.end(), false);
        return -1;
    }
    if (controller) {
        int16_t sdlAxes[SDL_CONTROLLER_AXIS_MAX];
        uint8_t sdlButtons[SDL_CONTROLLER_BUTTON_MAX];
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a)
            sdlAxes[a] = SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(a));
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
            sdlButtons[b] = SDL_GameControllerGetButton(controller, static_cast<SDL_GameControllerButton>(b));
        bool padButtons[ControllerButtonCount];
        TranslateControllerState(sdlAxes, sdlButtons, axes, padButtons);
        std::copy(padButtons, padButtons + ControllerButtonCount, buttons.begin());
        return 0;
    }
    for (size_t a = 0; a < axisSlots.size(); ++a)
        if (axisSlots[a] >= 0)
            axes[axisSlots[a]] = ScaleSDLAxis(SDL_JoystickGetAxis(joystick, static_cast<int>(a)));
    for (int h = 0; h < hatCount; ++h)
        axes[FirstHatSlot + h] = static_cast<float>(TranslateSDLHat(SDL_JoystickGetHat(joystick, h)));
    for (int b = 0; b < GetButtonCount(); ++b)
        buttons[b] = SDL_JoystickGetButton(joystick, b) != 0;
    return 0;
}

}  // namespace Nimbrel::Input
