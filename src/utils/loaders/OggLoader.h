#pragma once
// Utils::Loaders::OggLoader: the service that opens Ogg Vorbis files as audio streams.
//
// The file is the InputStream of the same descriptor, requested as a private object
// (see PrivateRequest.h) so that the decoder is its only reader.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class OggLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::AudioStream); }
    String GetName() override { return "OggLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
