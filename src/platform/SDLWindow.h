#pragma once
// Window on SDL2.
//
// On X11 the GL visual is fixed when the native window is made, so construction only records
// what the window should be; the graphics device sets its GL attributes and then calls
// Realize() with the SDL flags it needs (SDL_WINDOW_OPENGL, full screen). The handle is SDL's
// window id, which every SDL event names its window by.

#include "platform/Window.h"

#include <cstdint>

struct SDL_Window;

namespace Nimbrel {

class SDLWindow : public Window {
public:
    SDLWindow(int width, int height, const String& title, bool nativeBorder);
    ~SDLWindow() override;

    // Creates the native window, shown, raised and given the keyboard focus, with the extra
    // SDL window flags. Throws an Exception carrying SDL's message when SDL's video or the
    // window cannot be created, and when the window exists already.
    void Realize(uint32_t sdlFlags);
    // Destroys the native window (a device whose context could not be made gives it up so
    // that a later attempt can realise it again). Does nothing without one.
    void Unrealize();
    bool IsRealized() const { return window != nullptr; }
    SDL_Window* GetSDLWindow() const { return window; }
    bool HasNativeBorder() const { return nativeBorder; }
    const String& GetTitle() const { return title; }

    void SetPosition(int x, int y) override;
    void SetTitle(const char* text) override;
    intptr_t GetHandle() override;
    int GetWidth() override { return width; }
    int GetHeight() override { return height; }

private:
    int width;
    int height;
    String title;
    bool nativeBorder;
    int x = 0;
    int y = 0;
    SDL_Window* window = nullptr;
    bool videoStarted = false;
};

}  // namespace Nimbrel
