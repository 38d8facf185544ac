#include "platform/SDLWindow.h"

#include "core/Exception.h"
#include "platform/SystemAllocations.h"

#include <SDL.h>

namespace Nimbrel {

Window* Window::Create(int width, int height, const String& title, bool nativeBorder)
{
    return new SDLWindow(width, height, title, nativeBorder);
}

SDLWindow::SDLWindow(int width, int height, const String& title, bool nativeBorder)
    : width(width), height(height), title(title), nativeBorder(nativeBorder)
{
}

SDLWindow::~SDLWindow()
{
    Unrealize();
    if (videoStarted)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SDLWindow::Realize(uint32_t sdlFlags)
{
    if (window)
        throw Exception("SDLWindow::Realize(): The window exists already");
    // The X connection and the GL driver are set up inside these calls.
    SystemAllocations system;
    if (!videoStarted) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            throw Exception(String("Unable to start SDL video: ") + SDL_GetError());
        videoStarted = true;
    }
    uint32_t flags = sdlFlags | SDL_WINDOW_SHOWN;
    if (!nativeBorder)
        flags |= SDL_WINDOW_BORDERLESS;
    window = SDL_CreateWindow(title.CStr(), x, y, width, height, flags);
    if (!window)
        throw Exception(String("Unable to create window: ") + SDL_GetError());
    SDL_RaiseWindow(window);
}

void SDLWindow::Unrealize()
{
    if (window) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
}

void SDLWindow::SetPosition(int newX, int newY)
{
    x = newX;
    y = newY;
    if (window)
        SDL_SetWindowPosition(window, x, y);
}

void SDLWindow::SetTitle(const char* text)
{
    title = String(text ? text : "");
    if (window)
        SDL_SetWindowTitle(window, title.CStr());
}

intptr_t SDLWindow::GetHandle()
{
    return window ? static_cast<intptr_t>(SDL_GetWindowID(window)) : 0;
}

}  // namespace Nimbrel
