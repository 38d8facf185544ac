// NSG scene libraries: the Scene request of the default proxy, which tries the NSG reader after
// the scene services registered later; the geometry inside goes onto the fake device.
#include "FuzzProxy.h"

#include "utils/Scene.h"

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("library.nsg", data, size);
    Fuzzing::Attempt([&] { proxy.Get<Utils::Scene>(Utils::ResourceType::Scene, "library.nsg"); });
    return 0;
}
