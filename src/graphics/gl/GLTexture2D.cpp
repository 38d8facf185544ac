#include "graphics/gl/GLTexture2D.h"

#include "core/Exception.h"
#include "graphics/gl/GLDevice.h"
#include "graphics/gl/GLSurface.h"

#include <algorithm>

namespace Nimbrel::Graphics {

namespace GLTextureDetail {

GLuint BoundTexture2D(GLFunctions& gl)
{
    GLint bound = 0;
    gl.GetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return static_cast<GLuint>(bound);
}

}  // namespace GLTextureDetail

GLTexture2D::GLTexture2D(GLDevice* owner, int w, int h, PixelFormat pixelFormat, bool isRenderable)
    : device(owner), width(w), height(h), format(pixelFormat), renderable(isRenderable)
{
    using namespace GLTextureDetail;
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    upload = GLPixelFormat::Translate(pixelFormat, gl);
    GLPixelFormat::CheckSize(width, height, device->GetMaxTextureSize());

    gl.GenTextures(1, &name);
    const GLuint remembered = BoundTexture2D(gl);
    gl.BindTexture(upload.target, name);
    upload.Upload(gl, upload.target, 0, width, height, nullptr);
    gl.TexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, 1);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.BindTexture(GL_TEXTURE_2D, remembered);
}

GLTexture2D::~GLTexture2D()
{
    for (GLSurface*& surface : levels) {
        if (surface)
            surface->Release();
        surface = nullptr;
    }
    device->MakeCurrent();
    device->GetGL().DeleteTextures(1, &name);
}

void GLTexture2D::SetData(int level, const void* data, bool generateMipmaps)
{
    using namespace GLTextureDetail;
    if (format == PixelFormatFloatR16G16B16A16)
        throw Exception("OpenGL implementation does not support SetData() on PixelFormatFloatR16G16B16A16 textures (yet)");
    if (renderable)
        throw Exception("SetData() not allowed on renderable textures");
    if (level < 0 || level >= MaxLevels)
        throw Exception("Texture2D::SetData(): Level out of range");
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    const GLuint remembered = BoundTexture2D(gl);
    gl.BindTexture(upload.target, name);
    upload.Upload(gl, upload.target, level, std::max(1, width >> level), std::max(1, height >> level), data);
    if (generateMipmaps)
        gl.GenerateMipmap(upload.target);
    gl.TexParameteri(upload.target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexParameteri(upload.target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.BindTexture(GL_TEXTURE_2D, remembered);
}

void GLTexture2D::GenerateMipmaps()
{
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    const GLuint remembered = GLTextureDetail::BoundTexture2D(gl);
    gl.BindTexture(GL_TEXTURE_2D, name);
    gl.GenerateMipmap(GL_TEXTURE_2D);
    gl.BindTexture(GL_TEXTURE_2D, remembered);
}

Surface* GLTexture2D::GetSurface(int level)
{
    if (format == PixelFormatLuminance8)
        throw Exception("Can't get surfaces from PixelFormatLuminance8 textures");
    if (level < 0 || level >= MaxLevels)
        throw Exception("Texture2D::GetSurface(): Level out of range");
    if (!levels[level])
        levels[level] = GLSurface::CreateTextureLevel(device, GLSurfaceTextureLevel, name, upload.target, level, format,
                                                      std::max(1, width >> level), std::max(1, height >> level),
                                                      renderable, this);
    return levels[level];
}

}  // namespace Nimbrel::Graphics
