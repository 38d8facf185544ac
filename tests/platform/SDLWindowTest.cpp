// SDL windows under Xvfb: nothing native until realised, then the requested client size, the
// border style and the title.
#include "platform/SDLWindow.h"

#include "core/Managed.h"
#include "support/Expect.h"
#include "support/SDLVideo.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace sdl_window_test {

using Nimbrel::Managed;
using Nimbrel::SDLWindow;

TEST(SDLWindowTest, RealisedWindowHasTheClientSizeAndBorderStyle)
{
    Nimbrel::Testing::HoldSDLVideo();
    for (bool border : {true, false}) {
        Managed<SDLWindow> window(new SDLWindow(320, 200, "Nimbrel", border));
        EXPECT_EQ(window->GetHandle(), 0);
        window->Realize(0);
        ASSERT_NE(window->GetHandle(), 0);
        SDL_Window* native = window->GetSDLWindow();
        int width = 0, height = 0;
        SDL_GetWindowSize(native, &width, &height);
        EXPECT_EQ(width, 320);
        EXPECT_EQ(height, 200);
        EXPECT_EQ((SDL_GetWindowFlags(native) & SDL_WINDOW_BORDERLESS) != 0, !border);
        EXPECT_STREQ(SDL_GetWindowTitle(native), "Nimbrel");
        EXPECT_EQ(SDL_GetWindowFromID(static_cast<Uint32>(window->GetHandle())), native);

        window->SetTitle("Renamed");
        EXPECT_STREQ(SDL_GetWindowTitle(native), "Renamed");
        EXPECT_EQ(window->GetWidth(), 320);
        EXPECT_EQ(window->GetHeight(), 200);
        EXPECT_THROW_MESSAGE(window->Realize(0), "SDLWindow::Realize(): The window exists already");
    }
}

TEST(SDLWindowTest, WindowsWithTheSameTitleAreBothCreated)
{
    Nimbrel::Testing::HoldSDLVideo();
    Managed<SDLWindow> first(new SDLWindow(32, 32, "Same", true));
    Managed<SDLWindow> second(new SDLWindow(32, 32, "Same", true));
    first->Realize(0);
    second->Realize(0);
    EXPECT_NE(first->GetHandle(), 0);
    EXPECT_NE(second->GetHandle(), 0);
    EXPECT_NE(first->GetHandle(), second->GetHandle());
}

}  // namespace sdl_window_test
