#pragma once
// Utils::Loaders::AudioClipLoader: the service that decodes an audio stream completely into
// a clip of 32-bit float samples.
//
// The stream is the AudioStream of the same descriptor, requested as a private object
// (see PrivateRequest.h): a fresh decoder of its own, never a cached stream that an outlet
// may be playing. The stream must know its length; the clip holds the frames that actually
// decode, up to that length, so a file that claims more than it holds costs no more memory
// than it delivers.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class AudioClipLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::AudioClip); }
    String GetName() override { return "AudioClipLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
