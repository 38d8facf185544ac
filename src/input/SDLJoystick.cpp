#include "input/SDLJoystick.h"

#include "core/Exception.h"
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
        axes.assign(ControllerAxisCount, 0.0f);
        buttons.assign(ControllerButtonCount, false);
    } else {
        joystick = SDL_JoystickOpen(deviceIndex);
        if (!joystick)
            throw Exception(String("Unable to open joystick: ") + SDL_GetError());
        axes.assign(std::clamp(SDL_JoystickNumAxes(joystick), 0, 64), 0.0f);
        buttons.assign(std::clamp(SDL_JoystickNumButtons(joystick), 0, 128), false);
    }
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
    return index >= 0 && index < GetAxisCount() ? axes[index] : 0.0f;
}

int SDLJoystick::Update()
{
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(joystick))
        return -1;
    if (controller) {
        int16_t sdlAxes[SDL_CONTROLLER_AXIS_MAX];
        uint8_t sdlButtons[SDL_CONTROLLER_BUTTON_MAX];
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a)
            sdlAxes[a] = SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(a));
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
            sdlButtons[b] = SDL_GameControllerGetButton(controller, static_cast<SDL_GameControllerButton>(b));
        float padAxes[ControllerAxisCount];
        bool padButtons[ControllerButtonCount];
        TranslateControllerState(sdlAxes, sdlButtons, padAxes, padButtons);
        std::copy(padAxes, padAxes + ControllerAxisCount, axes.begin());
        std::copy(padButtons, padButtons + ControllerButtonCount, buttons.begin());
        return 0;
    }
    for (int a = 0; a < GetAxisCount(); ++a)
        axes[a] = ScaleSDLAxis(SDL_JoystickGetAxis(joystick, a));
    for (int b = 0; b < GetButtonCount(); ++b)
        buttons[b] = SDL_JoystickGetButton(joystick, b) != 0;
    return 0;
}

}  // namespace Nimbrel::Input
