#pragma once
// How a PixelFormat is uploaded to OpenGL: format, sized internal format, component type and
// count, texture target and whether it is block compressed.

#include "graphics/Enumerations.h"

#include <cstdint>

namespace Nimbrel::Graphics {

struct GLFunctions;

struct GLPixelFormat {
    unsigned int format = 0;
    unsigned int internalFormat = 0;
    unsigned int type = 0;
    int components = 0;
    unsigned int target = 0;
    bool compressed = false;
    // Bytes per texel of uncompressed formats; bytes per 4x4 block of compressed ones.
    int bytesPerUnit = 0;

    // Throws "Invalid texture pixel type enum" for an unknown format and, for the one-channel
    // float formats on a context without float red textures, "Your OpenGL graphics driver does
    // not support PixelFormatFloatR32 (NV_float_buffer required)".
    static GLPixelFormat Translate(PixelFormat format, const GLFunctions& gl);

    // Bytes of one level of width by height texels, rows tightly packed.
    int64_t GetImageSize(int width, int height) const;
    // Bytes of one row (of blocks for compressed formats).
    int64_t GetRowSize(int width) const;

    // Uploads one level of width by height texels (data may be null) to levelTarget of the
    // bound texture: compressed formats by block, the others at their sized internal format
    // with an unpack alignment that fits the rows.
    void Upload(GLFunctions& gl, unsigned int levelTarget, int level, int width, int height, const void* data) const;
    // Throws unless 1 <= width, height <= maxSize.
    static void CheckSize(int width, int height, int maxSize);
};

}  // namespace Nimbrel::Graphics
