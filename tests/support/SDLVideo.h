#pragma once
// Tests that open real windows and GL contexts call HoldSDLVideo() first. It keeps SDL's video
// subsystem, and with it the X connection and the GL driver, until the test process ends, so
// the leak checker sees the driver's and X11's own allocations still reachable at exit instead
// of orphaned by an unloaded driver. The engine's objects still start and stop video themselves.

#include <SDL.h>

#include <gtest/gtest.h>

namespace Nimbrel::Testing {

inline void HoldSDLVideo()
{
    static const bool held = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    ASSERT_TRUE(held) << "SDL video is needed (run under a display or Xvfb): " << SDL_GetError();
}

}  // namespace Nimbrel::Testing
