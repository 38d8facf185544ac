#pragma once
// Utils::Loaders::TextLoader: the service that reads a whole file as a String.
//
// The file is the InputStream of the same descriptor, requested through the proxy and read
// from its start. The text ends at the first zero byte, if the file holds one.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class TextLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::String); }
    String GetName() override { return "TextLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
