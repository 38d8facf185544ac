#pragma once
// Window: the one window the engine draws into.
//
// The window exists from the Application's Start to its destruction. A close request does not
// destroy it: the graphics device's Present reports it and the main loop ends.

#include "core/Object.h"
#include "core/String.h"

#include <cstdint>

namespace Nimbrel {

class Window : public Object {
public:
    // A new window with a client area of width × height pixels, the title as caption, and a
    // caption bar with the system buttons when nativeBorder is true.
    static Window* Create(int width, int height, const String& title, bool nativeBorder);

    ~Window() override = default;
    virtual void SetPosition(int x, int y) = 0;
    virtual void SetTitle(const char* text) = 0;
    // The native window handle as an integer; 0 while there is no native window.
    virtual intptr_t GetHandle() = 0;
    // The requested client size.
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
};

}  // namespace Nimbrel
