#pragma once
// Utils::Loaders::COLLADALoader: the service that imports a COLLADA 1.4 document as a Scene
// (see collada/Parser.h for what is read and collada/SceneBuilder.h for what it becomes).
//
// The document is the XmlDocument of the same descriptor, requested through the proxy doing
// the load. Files in UTF-16 (with a byte-order mark, or starting "<" as two bytes) are
// converted to UTF-8 and parsed here, as the XML loader takes UTF-8 only. Texture paths are
// taken relative to the descriptor's folder and requested through the same proxy. The
// scene's import log holds the parser's log lines; its up axis and unit are the file's.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class COLLADALoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Scene); }
    String GetName() override { return "COLLADALoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
