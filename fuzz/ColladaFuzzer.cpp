// COLLADA documents: the Scene request of the default proxy, which tries the COLLADA importer
// first; the geometry goes onto the fake device, and each texture the document names is
// looked for beside it (there is none, so every texture takes the path that skips it).
#include "FuzzProxy.h"

#include "utils/Scene.h"

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("scene.dae", data, size);
    Fuzzing::Attempt([&] { proxy.Get<Utils::Scene>(Utils::ResourceType::Scene, "scene.dae"); });
    return 0;
}
