// Benchmark: loading the same scene from COLLADA and from its conversion into markup beside an
// NSG library (the conversion scenetool makes), side by side in the same run.
//
// The scene is a mesh of 100,000 triangles with normals and texture coordinates, turned by an
// animation, and a lit cube. "SceneLoad/COLLADALoader" requests "scene.dae" from a default
// proxy over a file system in memory (the XML parse, the document's tables, the mesh converted
// to one index per vertex); "SceneLoad/Nsgml" requests "scene.nsgml", which imports
// "scene.nsg". Geometries go to a fake device (nothing recorded). Both collect the proxy's
// cache after every load, so each reads its files anew; the bytes processed are the files'
// sizes. scripts/bench.sh prints the markup's load time over the COLLADA import's.
#include "SceneConversion.h"

#include "core/Managed.h"
#include "io/ByteWriter.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Scene.h"

#include "support/ColladaWriter.h"
#include "support/FakeDevice.h"
#include "support/MemoryFileSystem.h"

#include "LinuxAllocator.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace scene_conversion_bench {

// The COLLADA file and its conversion, made once for both benchmarks.
class ConvertedFiles {
public:
    ConvertedFiles()
    {
        const std::string text = Testing::PlanetScene();
        (*files)["scene.dae"].assign(text.begin(), text.end());
        device->recording = false;
        proxy->SetFileSystem(files.Get());
        proxy->SetGraphicsDevice(device.Get());
        {
            Managed<Scene> scene(static_cast<Scene*>(proxy->Get(ResourceType::Scene, "scene.dae")));
            IO::ByteWriter library;
            IO::ByteWriter markup;
            SceneTools::ConvertScene(*scene, "scene.nsg", library, markup);
            (*files)["scene.nsg"].assign(library.Data(), library.Data() + library.Size());
            (*files)["scene.nsgml"].assign(markup.Data(), markup.Data() + markup.Size());
        }
        proxy->Collect();
    }

    int64_t Bytes(const char* name) { return static_cast<int64_t>((*files)[name].size()); }

    Managed<Scene> Load(const char* descriptor)
    {
        return Managed<Scene>(static_cast<Scene*>(proxy->Get(ResourceType::Scene, descriptor)));
    }
    void Collect() { proxy->Collect(); }

private:
    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<Testing::FakeDevice> device{new Testing::FakeDevice()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
};

ConvertedFiles& Files()
{
    static ConvertedFiles files;
    return files;
}

void LoadScene(benchmark::State& state, const char* descriptor, int64_t bytes)
{
    Bench::KeepFreedMemory();
    ConvertedFiles& files = Files();
    for (auto _ : state) {
        Managed<Scene> scene = files.Load(descriptor);
        benchmark::DoNotOptimize(scene->GetRoot());
        scene.Set(nullptr);
        files.Collect();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

void LoadCollada(benchmark::State& state)
{
    LoadScene(state, "scene.dae", Files().Bytes("scene.dae"));
}

void LoadNsgml(benchmark::State& state)
{
    LoadScene(state, "scene.nsgml", Files().Bytes("scene.nsgml") + Files().Bytes("scene.nsg"));
}

BENCHMARK(LoadCollada)->Name("SceneLoad/COLLADALoader")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadNsgml)->Name("SceneLoad/Nsgml")->Unit(benchmark::kMillisecond);

}  // namespace scene_conversion_bench
