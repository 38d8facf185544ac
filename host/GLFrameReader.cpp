#include "GLFrameReader.h"

#include "core/Exception.h"
#include "graphics/Surface.h"
#include "graphics/gl/GLDevice.h"

#include <GL/gl.h>

namespace host {

using namespace Nimbrel;

GLFrameReader::GLFrameReader(Graphics::Device* device) : device(device)
{
    auto* gl = dynamic_cast<Graphics::GLDevice*>(device);
    if (!gl)
        throw Exception("Capture: Frames are read back from the OpenGL device only");
    Graphics::Surface* back = gl->GetBackBuffer();
    width = back->GetWidth();
    height = back->GetHeight();
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
}

const uint8_t* GLFrameReader::Read()
{
    auto* gl = static_cast<Graphics::GLDevice*>(device);
    gl->MakeCurrent();
    Graphics::GLFunctions& functions = gl->GetGL();
    functions.BindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    functions.ReadBuffer(GL_BACK);
    functions.PixelStorei(GL_PACK_ALIGNMENT, 1);
    functions.ReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // The draw binding may have been a framebuffer object's; the device's own comes back.
    gl->GetFramebufferCache().Restore();
    return pixels.data();
}

}  // namespace host
