#pragma once
// Input::Context: the keyboard, the mouse and the joysticks of one window.
//
// The window system hands key and mouse events to KeyEvent and MouseEvent, which queue them in
// the keyboard and the mouse; joysticks are found once, when the context is made. A context is
// made through a Factory so that the Application can be given another one (tests do).

#include "core/Managed.h"
#include "core/Object.h"
#include "input/Joystick.h"
#include "input/Keyboard.h"
#include "input/Mouse.h"

namespace Nimbrel {
class Window;
}

namespace Nimbrel::Input {

class Context : public Object {
public:
    class Factory : public Object {
    public:
        ~Factory() override = default;
        // A new context for the window, owned by the caller.
        virtual Context* CreateContext(Window* window) = 0;
    };

    // The platform's factory (a process-wide object; never released).
    static Factory* GetDefaultFactory();

    ~Context() override = default;
    virtual void KeyEvent(int key, int action) = 0;
    virtual void MouseEvent(int buttons, int x, int y, int reserved0, int reserved1, int wheel,
                            int action) = 0;
    virtual int GetJoystickCount() = 0;
    // The joystick at the index (borrowed), or none for an index outside 0 … count - 1.
    virtual Joystick* GetJoystick(int index) = 0;
    // Borrowed: the context keeps them alive.
    virtual Keyboard* GetKeyboard() { return keyboard.Get(); }
    virtual Mouse* GetMouse() { return mouse.Get(); }

protected:
    Managed<Keyboard> keyboard;
    Managed<Mouse> mouse;
};

}  // namespace Nimbrel::Input
