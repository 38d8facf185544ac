#include "graphics/gl/GLPixelFormat.h"

#include "core/Exception.h"
#include "graphics/gl/GLFunctions.h"

namespace Nimbrel::Graphics {

GLPixelFormat GLPixelFormat::Translate(PixelFormat format, const GLFunctions& gl)
{
    GLPixelFormat p;
    p.type = GL_UNSIGNED_BYTE;
    p.target = GL_TEXTURE_2D;
    switch (format) {
    case PixelFormatR8G8B8A8:
        p.format = GL_RGBA; p.internalFormat = GL_RGBA8; p.components = 4; p.bytesPerUnit = 4;
        break;
    case PixelFormatFloatR16:
    case PixelFormatFloatR32:
        if (!gl.hasSingleChannelFloat)
            throw Exception("Your OpenGL graphics driver does not support PixelFormatFloatR32 (NV_float_buffer required)");
        // A 2D texture, so that a sampler2D samples it; the data given is 32-bit floats either
        // way, kept at the format's own precision.
        if (gl.hasRedTextures) {
            p.format = GL_RED;
            p.internalFormat = format == PixelFormatFloatR16 ? GL_R16F : GL_R32F;
        } else {
            p.format = GL_LUMINANCE;
            p.internalFormat = format == PixelFormatFloatR16 ? GL_LUMINANCE16F_ARB : GL_LUMINANCE32F_ARB;
        }
        p.type = GL_FLOAT; p.components = 1; p.bytesPerUnit = 4;
        break;
    case PixelFormatFloatR16G16B16A16:
        p.format = GL_RGBA; p.internalFormat = GL_RGBA16F; p.type = GL_FLOAT; p.components = 4; p.bytesPerUnit = 16;
        break;
    case PixelFormatFloatR32G32B32A32:
        p.format = GL_RGBA; p.internalFormat = GL_RGBA32F; p.type = GL_FLOAT; p.components = 4; p.bytesPerUnit = 16;
        break;
    case PixelFormatLuminance8:
        p.format = GL_LUMINANCE; p.internalFormat = GL_LUMINANCE8; p.components = 1; p.bytesPerUnit = 1;
        break;
    case PixelFormatDepth24Stencil8:
        p.format = GL_DEPTH_COMPONENT; p.internalFormat = GL_DEPTH_COMPONENT24; p.components = 1; p.bytesPerUnit = 1;
        break;
    case PixelFormatDepth16:
        p.format = GL_DEPTH_COMPONENT; p.internalFormat = GL_DEPTH_COMPONENT16; p.components = 1; p.bytesPerUnit = 1;
        break;
    case PixelFormatDXT1:
        p.format = p.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
        p.components = 4; p.compressed = true; p.bytesPerUnit = 8;
        break;
    case PixelFormatDXT3:
        p.format = p.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
        p.components = 4; p.compressed = true; p.bytesPerUnit = 16;
        break;
    case PixelFormatDXT5:
        p.format = p.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
        p.components = 4; p.compressed = true; p.bytesPerUnit = 16;
        break;
    default:
        throw Exception("Invalid texture pixel type enum");
    }
    if (p.compressed && !gl.hasS3TC)
        throw Exception("Your OpenGL graphics driver does not support S3TC compressed textures (EXT_texture_compression_s3tc required)");
    return p;
}

int64_t GLPixelFormat::GetRowSize(int width) const
{
    if (compressed)
        return (int64_t(width) + 3) / 4 * bytesPerUnit;
    return int64_t(width) * bytesPerUnit;
}

int64_t GLPixelFormat::GetImageSize(int width, int height) const
{
    if (compressed)
        return (int64_t(width) + 3) / 4 * ((int64_t(height) + 3) / 4) * bytesPerUnit;
    return int64_t(width) * height * bytesPerUnit;
}

void GLPixelFormat::Upload(GLFunctions& gl, unsigned int levelTarget, int level, int width, int height,
                           const void* data) const
{
    if (compressed) {
        gl.CompressedTexImage2D(levelTarget, level, internalFormat, width, height, 0,
                                static_cast<GLsizei>(GetImageSize(width, height)), data);
        return;
    }
    // The largest of 8, 4, 2 and 1 that divides a row, so rows of any width are read unsheared.
    const int64_t rowBytes = GetRowSize(width);
    GLint alignment = 1;
    for (GLint candidate : {8, 4, 2}) {
        if (rowBytes % candidate == 0) {
            alignment = candidate;
            break;
        }
    }
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    gl.TexImage2D(levelTarget, level, internalFormat, width, height, 0, format, type, data);
}

void GLPixelFormat::CheckSize(int width, int height, int maxSize)
{
    if (width < 1 || height < 1 || width > maxSize || height > maxSize)
        throw Exception(String::Format("CreateTexture(): Invalid texture size %d x %d", width, height));
}

}  // namespace Nimbrel::Graphics
