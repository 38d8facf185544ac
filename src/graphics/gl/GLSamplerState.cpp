#include "graphics/gl/GLSamplerState.h"

#include "core/Exception.h"

#include <GL/gl.h>

namespace Nimbrel::Graphics {

namespace GLSamplerStateDetail {

GLenum WrapCode(AddressMode mode)
{
    switch (mode) {
    case AddressWrap: return GL_REPEAT;
    case AddressClamp: return GL_CLAMP;
    default: throw Exception("Illegal filter mode enum");
    }
}

}  // namespace GLSamplerStateDetail

GLSamplerState::GLSamplerState(const SamplerStateDescriptor& d) : descriptor(d)
{
    if (d.maxAnisotropy < 1)
        throw Exception("Max anisotropy less than 1");
    if (d.minFilter == FilterAnisotropic || d.magFilter == FilterAnisotropic)
        throw Exception("GL backend does not support anisotropic filtering (yet)");
    if (d.mipFilter == FilterAnisotropic)
        throw Exception("Anisotropic filtering not valid for MipFilter");

    if (d.minFilter == FilterLinear && d.mipFilter == FilterPoint)
        minFilter = GL_LINEAR_MIPMAP_NEAREST;
    else if (d.minFilter == FilterLinear && d.mipFilter == FilterLinear)
        minFilter = GL_LINEAR_MIPMAP_LINEAR;
    else if (d.minFilter == FilterPoint && d.mipFilter == FilterPoint)
        minFilter = GL_NEAREST_MIPMAP_NEAREST;
    else if (d.minFilter == FilterPoint && d.mipFilter == FilterLinear)
        minFilter = GL_NEAREST_MIPMAP_LINEAR;
    else if (d.minFilter == FilterPoint && d.mipFilter == FilterNone)
        minFilter = GL_NEAREST;
    else if (d.minFilter == FilterLinear && d.mipFilter == FilterNone)
        minFilter = GL_LINEAR;
    else
        throw Exception("Illegal filter mode enum");

    if (d.magFilter == FilterLinear)
        magFilter = GL_LINEAR;
    else if (d.magFilter == FilterPoint)
        magFilter = GL_NEAREST;
    else
        throw Exception("Illegal filter mode enum");

    wrapS = GLSamplerStateDetail::WrapCode(d.addressU);
    wrapT = GLSamplerStateDetail::WrapCode(d.addressV);
}

}  // namespace Nimbrel::Graphics
