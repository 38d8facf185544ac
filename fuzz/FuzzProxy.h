#pragma once
// What the fuzz targets share: the engine's own way to a reader, with the fuzzer's bytes as
// the file.
//
// A FuzzProxy puts the bytes into a memory file system under one name and sets up a default
// resource proxy over it, with the recording fake device as its graphics device (recording
// off: nothing reads the log). A request then goes through the proxy exactly as a demo's
// does, from the last registered service for the type to the first, so the fall-through
// from one reader to the next is fuzzed with the reader itself:
//
//     extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
//     {
//         Fuzzing::FuzzProxy proxy("mesh.ngm", data, size);
//         Fuzzing::Attempt([&] { proxy.Get<Utils::Geometry>(Utils::ResourceType::Geometry, "mesh.ngm"); });
//         return 0;
//     }
//
// An Exception is the one way a reader may refuse bytes. Anything else ends the run and is
// reported by the fuzzer: another exception type (it leaves the target, and std::terminate
// aborts), a sanitizer's report, a leak, an input that takes longer than -timeout or an
// allocation past -rss_limit_mb.

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/DefaultResourceProxy.h"

#include "support/FakeDevice.h"
#include "support/MemoryFileSystem.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace Nimbrel::Fuzzing {

class FuzzProxy {
public:
    FuzzProxy(const std::string& name, const uint8_t* data, size_t size)
    {
        (*files)[name].assign(data, data + size);
        device->recording = false;
        proxy->SetFileSystem(files.Get());
        proxy->SetGraphicsDevice(device.Get());
    }

    // The object the proxy makes for the request, with the caller's reference. An object of
    // another type than the one asked for is a fault of the proxy or of a service: it aborts.
    template <class T>
    Managed<T> Get(Utils::ResourceType type, const String& descriptor)
    {
        Object* loaded = proxy->Get(type, descriptor);
        T* typed = dynamic_cast<T*>(loaded);
        if (!typed) {
            std::fprintf(stderr, "The proxy answered '%s' with an object of another type\n", descriptor.CStr());
            std::abort();
        }
        return Managed<T>(typed);
    }

    Utils::ResourceProxy* operator->() const { return proxy.Get(); }
    Testing::MemoryFileSystem& Files() const { return *files; }

private:
    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<Testing::FakeDevice> device{new Testing::FakeDevice()};
    Managed<Utils::ResourceProxy> proxy{new Utils::DefaultResourceProxy()};
};

// Runs one attempt at the bytes; the Exception a reader refuses them with ends it quietly,
// or with its message on stderr when NIMBREL_FUZZ_SHOW_REFUSALS is set (to see why a seed or
// a found input goes no further: `NIMBREL_FUZZ_SHOW_REFUSALS=1 fuzz_wav file.wav`).
template <class Body>
void Attempt(Body&& body)
{
    static const bool show = std::getenv("NIMBREL_FUZZ_SHOW_REFUSALS") != nullptr;
    try {
        body();
    } catch (const Exception& error) {
        if (show)
            std::fprintf(stderr, "Refused: %s\n", error.GetMessage().CStr());
    }
}

}  // namespace Nimbrel::Fuzzing
