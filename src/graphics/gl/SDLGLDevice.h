#pragma once
// SDLGLDevice: the window-system part of the GL device on SDL2.
//
// Construction sets SDL's GL attributes for the requested depth, stencil and multisample
// format, realises the SDLWindow with them (on X11 the visual is fixed when the window is
// made), creates the context and makes it current. Present pumps SDL's events through the
// window procedure and swaps the buffers.
//
// The back buffer has the size of the GL drawable as the window system gives it, which in
// full screen or on a high-density display is not the size the window asked for; Present
// follows the drawable when it changes.

#include "graphics/gl/GLDevice.h"

#include <cstdint>

namespace Nimbrel {
class SDLWindow;
class Window;
}  // namespace Nimbrel

namespace Nimbrel::Graphics {

class SDLGLDevice : public GLDevice {
public:
    // Throws "Depth buffer format not supported" for formats 2 and 3, "DepthStencilFromat not
    // recognized" for any other unknown format, and an Exception carrying SDL's message when the
    // window, its visual or the context cannot be made.
    SDLGLDevice(Window* window, DepthStencilFormat format, int samples, bool fullScreen);
    ~SDLGLDevice() override;

    bool Present() override;

protected:
    void ActivateContext() override;

private:
    // Sets the GL attributes, realises the window with them and creates the context.
    void CreateContext(int samples, int depthBits, int stencilBits, bool fullScreen);
    // Deletes the context and gives SDL video back; safe to call twice.
    void ReleaseContext();

    SDLWindow* window = nullptr;
    intptr_t windowHandle = 0;
    void* context = nullptr;
    bool videoStarted = false;
};

}  // namespace Nimbrel::Graphics
