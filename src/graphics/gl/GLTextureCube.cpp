#include "graphics/gl/GLTextureCube.h"

#include "core/Exception.h"
#include "graphics/gl/GLDevice.h"
#include "graphics/gl/GLStateObjects.h"
#include "graphics/gl/GLSurface.h"

#include <algorithm>

namespace Nimbrel::Graphics {

GLTextureCube::GLTextureCube(GLDevice* owner, int cubeSize, PixelFormat pixelFormat, bool isRenderable)
    : device(owner), size(cubeSize), format(pixelFormat), renderable(isRenderable)
{
    if (pixelFormat == PixelFormatFloatR16)
        throw Exception("PixelFormatFloatR16 not supported (yet)");
    if (pixelFormat == PixelFormatFloatR32)
        throw Exception("PixelFormatFloatR32 not supported (yet)");
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    upload = GLPixelFormat::Translate(pixelFormat, gl);
    GLPixelFormat::CheckSize(size, size, device->GetMaxTextureSize());

    gl.GenTextures(1, &name);
    generated = true;
    gl.BindTexture(GL_TEXTURE_CUBE_MAP, name);
    for (GLenum face : {GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z,
                        GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Z})
        upload.Upload(gl, face, 0, size, size, nullptr);
    gl.TexParameteri(GL_TEXTURE_CUBE_MAP, GL_GENERATE_MIPMAP, 1);
}

GLTextureCube::~GLTextureCube()
{
    for (auto& face : surfaces) {
        for (GLSurface*& surface : face) {
            if (surface)
                surface->Release();
            surface = nullptr;
        }
    }
    if (generated) {
        device->MakeCurrent();
        device->GetGL().DeleteTextures(1, &name);
    }
}

void GLTextureCube::SetData(TextureFace face, int level, const void* data, bool generateMipmaps)
{
    if (format == PixelFormatFloatR16G16B16A16)
        throw Exception("SetData() does not support PixelFormatFloatR16G16B16A16 (yet)");
    if (renderable)
        throw Exception("SetData() not allowed on renderable textures");
    const GLenum faceTarget = GLTranslate::TextureFaceCode(face);
    if (level < 0 || level >= MaxLevels)
        throw Exception("TextureCube::SetData(): Level out of range");
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    gl.BindTexture(GL_TEXTURE_CUBE_MAP, name);
    const int levelSize = std::max(1, size >> level);
    upload.Upload(gl, faceTarget, level, levelSize, levelSize, data);
    if (generateMipmaps)
        gl.GenerateMipmap(GL_TEXTURE_CUBE_MAP);
    gl.TexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

void GLTextureCube::GenerateMipmaps()
{
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    gl.BindTexture(GL_TEXTURE_CUBE_MAP, name);
    gl.GenerateMipmap(GL_TEXTURE_CUBE_MAP);
}

Surface* GLTextureCube::GetSurface(TextureFace face, int level)
{
    const GLenum faceTarget = GLTranslate::TextureFaceCode(face);
    if (level < 0 || level >= MaxLevels)
        throw Exception("TextureCube::GetSurface(): Level out of range");
    GLSurface*& surface = surfaces[face][level];
    if (!surface) {
        const int levelSize = std::max(1, size >> level);
        surface = GLSurface::CreateTextureLevel(device, GLSurfaceCubeFaceLevel, name, faceTarget, level, format,
                                                levelSize, levelSize, renderable, this);
    }
    return surface;
}

}  // namespace Nimbrel::Graphics
