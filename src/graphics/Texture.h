#pragma once
// Textures: 2D and cube. Pixel data given to SetData is tightly packed rows, row 0 first, in
// the texel layout of the texture's pixel format, sized for the level it fills.

#include "core/Object.h"
#include "graphics/Enumerations.h"

namespace Nimbrel::Graphics {

class Surface;

class Texture : public Object {
public:
    ~Texture() override = default;
    virtual PixelFormat GetPixelFormat() = 0;
    virtual TextureType GetTextureType() = 0;
};

class Texture2D : public Texture {
public:
    // Fills one mip level (0 to 15); generateMipmaps then rebuilds the levels below level 0.
    virtual void SetData(int level, const void* data, bool generateMipmaps) = 0;
    virtual void GenerateMipmaps() = 0;
    // The surface of a level, made on first request and owned by the texture.
    virtual Surface* GetSurface(int level) = 0;
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
};

class TextureCube : public Texture {
public:
    virtual void SetData(TextureFace face, int level, const void* data, bool generateMipmaps) = 0;
    virtual void GenerateMipmaps() = 0;
    // The surface of a face level, made on first request and owned by the texture.
    virtual Surface* GetSurface(TextureFace face, int level) = 0;
    // Width and height of level 0 of each face.
    virtual int GetSize() = 0;
};

}  // namespace Nimbrel::Graphics
