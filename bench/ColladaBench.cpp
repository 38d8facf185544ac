// Benchmark: importing a generated COLLADA file of about 10 MB (a mesh of 100,000 triangles
// with normals and texture coordinates, each input at an index offset of its own, as exporters
// write them, and a small scene around it) beside the XML parse of the same file in the same
// run.
//
// "Collada/COLLADALoader" is the whole import: the file read from a file system in memory,
// parsed by the XML loader, read into the document's tables, the mesh converted to one index
// per vertex and handed to a fake device (nothing recorded), the nodes built. "Collada/
// XmlLoader" is the XML loader alone on the same file. Both collect the proxy's cache after
// every load, so each reads the file anew. scripts/bench.sh prints the import over the parse.
// Freed memory is kept in the process (LinuxAllocator.h), so that both reuse it alike.
#include "core/Managed.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Scene.h"
#include "utils/loaders/COLLADALoader.h"
#include "utils/loaders/XmlLoader.h"
#include "utils/xml/Document.h"

#include "support/ColladaWriter.h"
#include "support/FakeDevice.h"
#include "support/MemoryFileSystem.h"

#include "LinuxAllocator.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace collada_bench {

const std::string& Document()
{
    static const std::string text = Testing::PlanetScene();
    return text;
}

class Files {
public:
    Files()
    {
        (*files)["scene.dae"].assign(Document().begin(), Document().end());
        device->recording = false;
        proxy->SetFileSystem(files.Get());
        proxy->SetGraphicsDevice(device.Get());
    }

    template <class T>
    Managed<T> Load(ResourceProxy::Service& service, ResourceType type)
    {
        return Managed<T>(static_cast<T*>(service.Load(type, "scene.dae", proxy.Get())));
    }
    void Collect() { proxy->Collect(); }

private:
    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<Testing::FakeDevice> device{new Testing::FakeDevice()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
};

void SetBytes(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Document().size()));
}

void ImportCollada(benchmark::State& state)
{
    Bench::KeepFreedMemory();
    Files files;
    Managed<Loaders::COLLADALoader> loader(new Loaders::COLLADALoader());
    for (auto _ : state) {
        Managed<Scene> scene = files.Load<Scene>(*loader, ResourceType::Scene);
        benchmark::DoNotOptimize(scene->GetRoot());
        scene.Set(nullptr);
        files.Collect();
    }
    SetBytes(state);
}

void ParseXml(benchmark::State& state)
{
    Bench::KeepFreedMemory();
    Files files;
    Managed<Loaders::XmlLoader> loader(new Loaders::XmlLoader());
    for (auto _ : state) {
        Managed<Xml::Document> document = files.Load<Xml::Document>(*loader, ResourceType::XmlDocument);
        benchmark::DoNotOptimize(document->GetRoot());
        document.Set(nullptr);
        files.Collect();
    }
    SetBytes(state);
}

BENCHMARK(ImportCollada)->Name("Collada/COLLADALoader")->Unit(benchmark::kMillisecond);
BENCHMARK(ParseXml)->Name("Collada/XmlLoader")->Unit(benchmark::kMillisecond);

}  // namespace collada_bench
