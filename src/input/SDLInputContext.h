#pragma once
// Input::Context on SDL: an SDLKeyboard and an SDLMouse filled by the event pump (the window
// procedure finds this context by the window's handle), and one SDLJoystick per joystick
// attached when the context is made. Joystick events are switched off: joysticks are read
// only by polling, and they are read whether or not the window has the keyboard focus (the
// context sets SDL's hint for background joystick input, process-wide).

#include "core/Array.h"
#include "input/Context.h"
#include "input/SDLJoystick.h"

#include <cstdint>

namespace Nimbrel::Input {

class SDLKeyboard;
class SDLMouse;

class SDLInputContext : public Context {
public:
    // Throws with SDL's message when the joystick subsystem or a joystick cannot be opened.
    explicit SDLInputContext(Window* window);
    ~SDLInputContext() override;

    void KeyEvent(int key, int action) override;
    void MouseEvent(int buttons, int x, int y, int reserved0, int reserved1, int wheel,
                    int action) override;
    int GetJoystickCount() override { return joysticks.Count(); }
    Joystick* GetJoystick(int index) override;

private:
    intptr_t windowHandle = 0;
    Array<Managed<SDLJoystick>> joysticks;
    SDLKeyboard* sdlKeyboard;
    SDLMouse* sdlMouse;
    bool joysticksStarted = false;
};

class SDLInputContextFactory : public Context::Factory {
public:
    Context* CreateContext(Window* window) override { return new SDLInputContext(window); }
};

}  // namespace Nimbrel::Input
