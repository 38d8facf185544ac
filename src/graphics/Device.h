#pragma once
// Graphics::Device: the only way the engine talks to the display adapter.
//
// A device is made only through a Device::Factory, for a window, with the depth/stencil format
// and multisample count of the window's buffers and flags (bit 0 full screen). It is used on
// the main thread only.

#include "core/Object.h"
#include "graphics/Enumerations.h"

namespace Nimbrel {
class Window;
}

namespace Nimbrel::Graphics {

class Device : public Object {
public:
    class Factory : public Object {
    public:
        ~Factory() override = default;
        // A new device owned by the caller. samples is the multisample count, 0 for none.
        virtual Device* CreateDevice(Window* window, DepthStencilFormat format, int samples,
                                     int flags) = 0;
    };

    ~Device() override = default;
    // Clears the buffers named by the ClearFlags bits of the current framebuffer.
    virtual void Clear(int flags, float r, float g, float b, float a, float depth, int stencil) = 0;
    // Submits pending commands.
    virtual void Flush() = 0;
    // End of frame: handles the pending window events and shows the back buffer. False when
    // the program should end (a quit request, or the device's window was closed).
    virtual bool Present() = 0;
    // True when clip space needs no half-pixel offset and off-screen targets no vertical flip.
    virtual bool IsScreenSpaceConformant() = 0;
    // True when clip-space depth runs from -1 to 1 rather than 0 to 1.
    virtual bool UsesGLDepthRange() = 0;
    // Size of the per-slot tables (vertex streams, colour targets, semantic names).
    virtual int GetMaxSlots() = 0;
};

}  // namespace Nimbrel::Graphics
