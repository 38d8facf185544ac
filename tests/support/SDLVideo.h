#pragma once
// Tests that open real windows and GL contexts call HoldSDLVideo() first. It keeps SDL's video
// subsystem and the GL library, and with them the X connection and the GL driver, until the
// test process ends, so the leak checker sees the driver's and X11's own allocations still
// reachable at exit instead of orphaned by an unloaded driver (SDL unloads the GL library
// with the last GL window otherwise). The engine's objects still start and stop video
// themselves.

#include <SDL.h>

#include <gtest/gtest.h>

namespace Nimbrel::Testing {

inline void HoldSDLVideo()
{
    static const bool held = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && SDL_GL_LoadLibrary(nullptr) == 0;
    ASSERT_TRUE(held) << "SDL video is needed (run under a display or Xvfb): " << SDL_GetError();
}

}  // namespace Nimbrel::Testing
