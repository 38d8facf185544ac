#pragma once
// Utils::Loaders::SoundBufferLoader: the service that uploads an audio clip into a sound
// buffer of the proxy's sound device.
//
// The clip is the AudioClip of the same descriptor; its sample width becomes the buffer's
// bits per sample (8, 16 or 32 for float), and the buffer holds the clip's whole frames.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class SoundBufferLoader : public ResourceProxy::Service {
public:
    // Throws the proxy's "ResoruceProxy: No SoundDevice set" without a device and "Target type
    // not supported" for any type but SoundBuffer.
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::SoundBuffer); }
    String GetName() override { return "SoundBufferLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
