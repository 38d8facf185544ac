#include "graphics/gl/GLDevice.h"


namespace Nimbrel::Graphics {

GLDevice* GLDevice::current = nullptr;

GLDevice::~GLDevice()
{
    ForgetCurrent();
}

void GLDevice::MakeCurrent()
{
    if (current != this) {
        ActivateContext();
        current = this;
    }
}

void GLDevice::ForgetCurrent()
{
    if (current == this)
        current = nullptr;
}

void GLDevice::InitializeState(int width, int height)
{
    MakeCurrent();
    gl.Viewport(0, 0, width, height);
}

void GLDevice::Clear(int flags, float r, float g, float b, float a, float depth, int stencil)
{
    MakeCurrent();
    gl.ClearColor(r, g, b, a);
    gl.ClearStencil(stencil);
    gl.ClearDepth(depth);
    GLbitfield mask = 0;
    if (flags & ClearColor)
        mask |= GL_COLOR_BUFFER_BIT;
    if (flags & ClearDepth)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (flags & ClearStencil)
        mask |= GL_STENCIL_BUFFER_BIT;
    gl.Clear(mask);
}

void GLDevice::Flush()
{
    MakeCurrent();
    gl.Flush();
}

}  // namespace Nimbrel::Graphics
