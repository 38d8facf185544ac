#include "graphics/gl/GL2CGDeviceFactory.h"

#include "core/Managed.h"
#include "graphics/gl/SDLGLDevice.h"

namespace Nimbrel::Graphics {

Device* GL2CGDeviceFactory::CreateDevice(Window* window, DepthStencilFormat format, int samples, int flags)
{
    Managed<SDLGLDevice> device(new SDLGLDevice(window, format, samples, (flags & 1) != 0));
    // The shading context is created here and handed to the device once it exists.
    // The default state (blend, depth-stencil, rasterizer, semantic map, primitive type) is
    // installed here once the state objects exist.
    return device.Detach();
}

}  // namespace Nimbrel::Graphics
