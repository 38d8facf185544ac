#pragma once
// GLSamplerState: a SamplerStateDescriptor turned into OpenGL texture parameters. The values
// are applied to a texture when a program parameter samples it (sampler state lives in the
// texture object). Made and cached by the device (GLDevice::CreateSamplerState).

#include "graphics/StateDescriptors.h"
#include "graphics/StateObjects.h"

namespace Nimbrel::Graphics {

class GLSamplerState : public SamplerState {
public:
    // Throws for descriptors OpenGL cannot express: "Max anisotropy less than 1", "GL backend
    // does not support anisotropic filtering (yet)", "Anisotropic filtering not valid for
    // MipFilter", "Illegal filter mode enum".
    explicit GLSamplerState(const SamplerStateDescriptor& descriptor);

    const SamplerStateDescriptor& GetDescriptor() const { return descriptor; }
    // GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_WRAP_S and GL_TEXTURE_WRAP_T.
    unsigned int GetMagFilter() const { return magFilter; }
    unsigned int GetMinFilter() const { return minFilter; }
    unsigned int GetWrapS() const { return wrapS; }
    unsigned int GetWrapT() const { return wrapT; }
    int GetMaxAnisotropy() const { return descriptor.maxAnisotropy; }
    float GetLodParameter1() const { return descriptor.lodParameter1; }

private:
    SamplerStateDescriptor descriptor;
    unsigned int magFilter = 0;
    unsigned int minFilter = 0;
    unsigned int wrapS = 0;
    unsigned int wrapT = 0;
};

}  // namespace Nimbrel::Graphics
