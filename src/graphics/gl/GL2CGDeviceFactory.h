#pragma once
// The factory of the OpenGL backend: an SDLGLDevice for the window. Of the flags only bit 0
// (full screen) is used.

#include "graphics/Device.h"

namespace Nimbrel::Graphics {

class GL2CGDeviceFactory : public Device::Factory {
public:
    Device* CreateDevice(Window* window, DepthStencilFormat format, int samples, int flags) override;
};

}  // namespace Nimbrel::Graphics
