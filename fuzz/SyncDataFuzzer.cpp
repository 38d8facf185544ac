// Sync data files: "syncdata.bin" in a folder that the default proxy opens as a file system
// (the zip reader refuses the folder's name, the file opener serves it), loaded, evaluated at
// every block's edges and middle, and saved again.
#include "FuzzProxy.h"

#include "io/FileSystem.h"
#include "utils/ProbeProxy.h"
#include "utils/studio/SyncData.h"

using namespace Nimbrel;
using namespace Nimbrel::Utils::Studio;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("studio/syncdata.bin", data, size);
    Managed<Utils::ProbeProxy> probes(new Utils::ProbeProxy());
    Managed<SyncData> sync(new SyncData(probes.Get()));
    bool loaded = false;
    Fuzzing::Attempt([&] {
        Managed<IO::FileSystem> folder = proxy.Get<IO::FileSystem>(Utils::ResourceType::FileSystem, "studio");
        sync->Load(folder.Get());
        loaded = true;
    });
    if (!loaded)
        return 0;

    for (int i = 0; i < sync->GetBlockCount(); ++i) {
        if (Block* block = sync->GetBlock(i)) {
            const double start = block->GetStart();
            const double length = block->GetLength();
            for (double t : {start, start + 0.5, start + length / 2, start + length - 0.5, start + length})
                sync->Evaluate(t);
        }
    }

    // What was read from a file must go back into one: Save refuses only data that Load
    // could not have made.
    Managed<Testing::MemoryFileSystem> saved(new Testing::MemoryFileSystem());
    try {
        sync->Save(saved.Get());
    } catch (const Exception& error) {
        std::fprintf(stderr, "Loaded sync data could not be saved: %s\n", error.GetMessage().CStr());
        std::abort();
    }
    return 0;
}
