#pragma once
// GLTextureCube: a cube-map OpenGL texture. Face-level surfaces are made on request and owned
// here. Unlike the 2D texture, calls leave the cube bound.

#include "graphics/Texture.h"
#include "graphics/gl/GLPixelFormat.h"

namespace Nimbrel::Graphics {

class GLDevice;
class GLSurface;

class GLTextureCube : public TextureCube {
public:
    static constexpr int MaxLevels = 16;

    // Throws "PixelFormatFloatR16 not supported (yet)" and "PixelFormatFloatR32 not supported
    // (yet)" for the one-channel float formats.
    GLTextureCube(GLDevice* device, int size, PixelFormat format, bool renderable);
    ~GLTextureCube() override;

    PixelFormat GetPixelFormat() override { return format; }
    TextureType GetTextureType() override { return TextureTypeCube; }
    void SetData(TextureFace face, int level, const void* data, bool generateMipmaps) override;
    void GenerateMipmaps() override;
    Surface* GetSurface(TextureFace face, int level) override;
    int GetSize() override { return size; }

    // For the shading context: the OpenGL texture name (target GL_TEXTURE_CUBE_MAP).
    unsigned int GetTextureName() const { return name; }
    bool IsRenderable() const { return renderable; }

private:
    GLDevice* device;
    unsigned int name = 0;
    bool generated = false;
    int size;
    GLPixelFormat upload;
    PixelFormat format;
    bool renderable;
    GLSurface* surfaces[6][MaxLevels] = {};
};

}  // namespace Nimbrel::Graphics
