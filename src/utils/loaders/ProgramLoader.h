#pragma once
// Utils::Loaders::ProgramLoader: the service that links programs from shader requests.
//
// A descriptor is "vertex;pixel;geometry", each piece a ShaderLoader descriptor. A missing
// pixel piece repeats the vertex piece, and so does a missing geometry piece: the single-file
// descriptor "data/color.cg" builds "vsMain" and "psMain" of that file and, where the back
// end has geometry shaders and the file defines one, "gsMain". A geometry shader that was not
// asked for explicitly (fewer than three pieces) may fail to load; the program is then made
// of the other two. Every other failure passes on unchanged. Pieces after the third are
// ignored.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class ProgramLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::Program); }
    String GetName() override { return "ProgramLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
