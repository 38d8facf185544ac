#pragma once
// Utils::Loaders::ZipLoader: the service that opens a zip archive as a FileSystem.
//
// The archive is the InputStream of the same descriptor, requested through the proxy (so the
// hints apply and the stream is cached). Registered after FileOpener, it is tried first for
// FileSystem requests: a descriptor naming an archive gives its contents, anything else falls
// through to FileOpener's sub-folder view.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class ZipLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::FileSystem); }
    String GetName() override { return "ZipLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
