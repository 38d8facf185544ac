#include "graphics/gl/SDLGLDevice.h"

#include "core/Exception.h"
#include "platform/SDLWindow.h"
#include "platform/SDLWindowProcedure.h"
#include "platform/SystemAllocations.h"

#include <SDL.h>

namespace Nimbrel::Graphics {

namespace SDLGLDeviceDetail {

void SetAttribute(SDL_GLattr attribute, int value)
{
    if (SDL_GL_SetAttribute(attribute, value) != 0)
        throw Exception(String("Unable to set OpenGL attribute: ") + SDL_GetError());
}

}  // namespace SDLGLDeviceDetail

SDLGLDevice::SDLGLDevice(Window* engineWindow, DepthStencilFormat format, int samples, bool fullScreen)
{
    window = dynamic_cast<SDLWindow*>(engineWindow);
    if (!window)
        throw Exception("SDLGLDevice: The window is not an SDL window");

    int depthBits;
    int stencilBits;
    switch (format) {
    case DepthStencilFormatD16: depthBits = 16; stencilBits = 0; break;
    case DepthStencilFormatD24S8: depthBits = 24; stencilBits = 8; break;
    case DepthStencilFormatReserved2:
    case DepthStencilFormatReserved3: throw Exception("Depth buffer format not supported");
    default: throw Exception("DepthStencilFromat not recognized");
    }

    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        throw Exception(String("Unable to start SDL video: ") + SDL_GetError());
    videoStarted = true;
    // The destructor does not run for a failed construction: give back what was made here.
    try {
        CreateContext(samples, depthBits, stencilBits, fullScreen);
        // The new context is current in SDL; record it as this device's.
        MakeCurrent();
        LoadFunctions(SDL_GL_GetProcAddress);
        int width = 0;
        int height = 0;
        SDL_GL_GetDrawableSize(window->GetSDLWindow(), &width, &height);
        InitializeState(width, height);
    } catch (...) {
        // The window goes back to unrealised, so another device may be made for it.
        const bool hadContext = context != nullptr;
        if (hadContext)
            ReleaseDeviceObjects();
        ReleaseContext();
        if (hadContext)
            window->Unrealize();
        throw;
    }
}

void SDLGLDevice::CreateContext(int samples, int depthBits, int stencilBits, bool fullScreen)
{
    using SDLGLDeviceDetail::SetAttribute;
    SDL_GL_ResetAttributes();
    SetAttribute(SDL_GL_RED_SIZE, 8);
    SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SetAttribute(SDL_GL_STENCIL_SIZE, stencilBits);
    SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples >= 1 ? 1 : 0);
    SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples >= 1 ? samples : 0);

    window->Realize(SDL_WINDOW_OPENGL | (fullScreen ? SDL_WINDOW_FULLSCREEN : 0));
    windowHandle = window->GetHandle();

    {
        SystemAllocations system;
        context = SDL_GL_CreateContext(window->GetSDLWindow());
    }
    if (!context) {
        const String message = String("Unable to create OpenGL context: ") + SDL_GetError();
        window->Unrealize();
        throw Exception(message);
    }
}

SDLGLDevice::~SDLGLDevice()
{
    // The device's OpenGL objects go while their context still exists.
    if (context)
        ReleaseDeviceObjects();
    ReleaseContext();
}

void SDLGLDevice::ReleaseContext()
{
    if (context) {
        SDL_GL_MakeCurrent(window->GetSDLWindow(), nullptr);
        SDL_GL_DeleteContext(context);
        context = nullptr;
        ForgetCurrent();
    }
    if (videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted = false;
    }
}

void SDLGLDevice::ActivateContext()
{
    SDL_GL_MakeCurrent(window->GetSDLWindow(), context);
}

bool SDLGLDevice::Present()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT)
            return false;
        DispatchSDLWindowEvent(event);
    }
    // The events may have resized the drawable.
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window->GetSDLWindow(), &width, &height);
    SetBackBufferSize(width, height);
    MakeCurrent();
    SDL_GL_SwapWindow(window->GetSDLWindow());
    if (windowHandle != 0 && GetLastClosedWindow() == windowHandle) {
        ResetLastClosedWindow();
        return false;
    }
    return true;
}

}  // namespace Nimbrel::Graphics
