#pragma once
// GLTexture2D: a 2D OpenGL texture. The one-channel float formats live on a rectangle target;
// every other format on GL_TEXTURE_2D. Level surfaces are made on request and owned here.
// Calls that bind the texture restore the 2D binding they found.

#include "graphics/Texture.h"
#include "graphics/gl/GLPixelFormat.h"

namespace Nimbrel::Graphics {

class GLDevice;
class GLSurface;

class GLTexture2D : public Texture2D {
public:
    static constexpr int MaxLevels = 16;

    // Throws for formats the context cannot hold; nothing is left behind then.
    GLTexture2D(GLDevice* device, int width, int height, PixelFormat format, bool renderable);
    ~GLTexture2D() override;

    PixelFormat GetPixelFormat() override { return format; }
    TextureType GetTextureType() override { return TextureType2D; }
    void SetData(int level, const void* data, bool generateMipmaps) override;
    void GenerateMipmaps() override;
    Surface* GetSurface(int level) override;
    int GetWidth() override { return width; }
    int GetHeight() override { return height; }

    // For the shading context: the OpenGL texture name and its target (GL_TEXTURE_2D for
    // every format).
    unsigned int GetTextureName() const { return name; }
    unsigned int GetTarget() const { return upload.target; }
    bool IsRenderable() const { return renderable; }

private:
    GLDevice* device;
    unsigned int name = 0;
    int width;
    int height;
    GLPixelFormat upload;
    PixelFormat format;
    bool renderable;
    GLSurface* levels[MaxLevels] = {};
};

}  // namespace Nimbrel::Graphics
