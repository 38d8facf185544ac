// NGM geometry files: the Geometry request of the default proxy, read onto the fake device.
#include "FuzzProxy.h"

#include "utils/Geometry.h"

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("mesh.ngm", data, size);
    Fuzzing::Attempt([&] { proxy.Get<Utils::Geometry>(Utils::ResourceType::Geometry, "mesh.ngm"); });
    return 0;
}
