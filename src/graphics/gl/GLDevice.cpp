#include "graphics/gl/GLDevice.h"

#include <GL/gl.h>

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
    glViewport(0, 0, width, height);
}

void GLDevice::Clear(int flags, float r, float g, float b, float a, float depth, int stencil)
{
    MakeCurrent();
    glClearColor(r, g, b, a);
    glClearStencil(stencil);
    glClearDepth(depth);
    GLbitfield mask = 0;
    if (flags & ClearColor)
        mask |= GL_COLOR_BUFFER_BIT;
    if (flags & ClearDepth)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (flags & ClearStencil)
        mask |= GL_STENCIL_BUFFER_BIT;
    glClear(mask);
}

void GLDevice::Flush()
{
    MakeCurrent();
    glFlush();
}

}  // namespace Nimbrel::Graphics
