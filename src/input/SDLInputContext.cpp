#include "input/SDLInputContext.h"

#include "core/Exception.h"
#include "input/SDLKeyboard.h"
#include "input/SDLMouse.h"
#include "platform/Window.h"
#include "platform/SDLWindowProcedure.h"

#include <SDL.h>

namespace Nimbrel::Input {

Context::Factory* Context::GetDefaultFactory()
{
    static SDLInputContextFactory factory;
    return &factory;
}

SDLInputContext::SDLInputContext(Window* window)
{
    // SDL drops joystick input while no window of the program has the keyboard focus, which
    // would leave a pad's last state standing while the author works in another window.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        throw Exception(String("Unable to start SDL joysticks: ") + SDL_GetError());
    joysticksStarted = true;
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);

    // A failing joystick ends the construction; the destructor does not run then, so the
    // joysticks opened so far and the subsystem are given back here.
    try {
        const int count = SDL_NumJoysticks();
        for (int i = 0; i < count; ++i)
            joysticks.Add(Managed<SDLJoystick>(new SDLJoystick(i)));
    } catch (...) {
        joysticks.Clear();
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        throw;
    }

    sdlKeyboard = new SDLKeyboard();
    keyboard.Set(sdlKeyboard);
    sdlMouse = new SDLMouse(window);
    mouse.Set(sdlMouse);

    windowHandle = window ? window->GetHandle() : 0;
    RegisterInputContext(windowHandle, this);
}

SDLInputContext::~SDLInputContext()
{
    if (FindInputContext(windowHandle) == this)
        RegisterInputContext(windowHandle, nullptr);
    joysticks.Clear();
    keyboard.Set(nullptr);
    mouse.Set(nullptr);
    if (joysticksStarted)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SDLInputContext::KeyEvent(int key, int action)
{
    sdlKeyboard->Queue(Input::KeyEvent{key, action});
}

void SDLInputContext::MouseEvent(int buttons, int x, int y, int reserved0, int reserved1, int wheel,
                                 int action)
{
    sdlMouse->Queue(Input::MouseEvent{buttons, x, y, reserved0, reserved1, wheel, action});
}

Joystick* SDLInputContext::GetJoystick(int index)
{
    if (index < 0 || index >= joysticks.Count())
        return nullptr;
    return joysticks[index].Get();
}

}  // namespace Nimbrel::Input
