#pragma once
// Tests that open real windows and GL contexts call HoldSDLVideo() first. It keeps SDL's video
// subsystem and the GL library, and with them the X connection and the GL driver, until the
// test process ends, so the leak checker sees the driver's and X11's own allocations still
// reachable at exit instead of orphaned by an unloaded driver (SDL unloads the GL library
// with the last GL window otherwise). The engine's objects still start and stop video
// themselves.

#include <SDL.h>

#include <gtest/gtest.h>

#include <cstring>

namespace Nimbrel::Testing {

inline void HoldSDLVideo()
{
    static const bool held = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && SDL_GL_LoadLibrary(nullptr) == 0;
    ASSERT_TRUE(held) << "SDL video is needed (run under a display or Xvfb): " << SDL_GetError();
}

// Pointer input as the window system delivers it to `window`: pushed into SDL's queue, which
// the Application's input context takes on its next pass.
inline void PushMouseMotion(Uint32 window, int x, int y, Uint32 heldButtons = 0)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = window;
    event.motion.state = heldButtons;
    event.motion.x = x;
    event.motion.y = y;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

inline void PushMouseButton(Uint32 window, Uint8 button, bool down, int x, int y)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = window;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// Keyboard input as the window system delivers it: a key going down or up, and typed text.
inline void PushKey(Uint32 window, Uint32 type, SDL_Keycode key)
{
    SDL_Event event{};
    event.type = type;
    event.key.windowID = window;
    event.key.keysym.sym = key;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

inline void PushText(Uint32 window, const char* text)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = window;
    std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

}  // namespace Nimbrel::Testing
