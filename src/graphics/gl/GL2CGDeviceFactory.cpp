#include "graphics/gl/GL2CGDeviceFactory.h"

#include "core/Managed.h"
#include "graphics/gl/CGShadingContext.h"
#include "graphics/gl/SDLGLDevice.h"

namespace Nimbrel::Graphics {

Device* GL2CGDeviceFactory::CreateDevice(Window* window, DepthStencilFormat format, int samples, int flags)
{
    Managed<SDLGLDevice> device(new SDLGLDevice(window, format, samples, (flags & DeviceFlagFullScreen) != 0));
    // Before the default state: the standard semantic map is made by the shading context.
    device->SetShadingContext(new CGShadingContext(device.Get()));
    device->InstallDefaultState();
    return device.Detach();
}

}  // namespace Nimbrel::Graphics
