// What a shader costs before the driver sees it: one vertex and one pixel entry point of a
// typical Cg file translated to GLSL in the compiler process (request out, glslang, SPIR-V
// legalisation, SPIRV-Cross, answer back). The process is started before timing begins.
#include "../tests/graphics/gl/CgSources.h"
#include "graphics/gl/CGTranslator.h"

#include <benchmark/benchmark.h>

namespace cg_compile_bench {

using Nimbrel::Graphics::CGTranslator;

CGTranslator::Request MakeRequest(const char* source, const char* entry, CGTranslator::Stage stage)
{
    static const char* const names[16] = {
        "N_POSITION",  "N_BLENDWEIGHTS", "N_BLENDINDICES", "N_COLOR",     "N_NORMAL",    "N_TANGENT",
        "N_BINORMAL",  "N_INSTANCE",     "N_TEXCOORD0",    "N_TEXCOORD1", "N_TEXCOORD2", "N_TEXCOORD3",
        "N_TEXCOORD4", "N_TEXCOORD5",    "N_TEXCOORD6",    "N_TEXCOORD7",
    };
    CGTranslator::Request request;
    request.source = source;
    request.entryPoint = entry;
    request.stage = stage;
    for (int i = 0; i < 16; ++i)
        request.definitions.push_back(std::string(names[i]) + "=ATTR" + std::to_string(i));
    return request;
}

void TranslatePair(benchmark::State& bench, const char* source)
{
    CGTranslator::Request vertex = MakeRequest(source, "vsMain", CGTranslator::StageVertex);
    CGTranslator::Request pixel = MakeRequest(source, "psMain", CGTranslator::StagePixel);
    if (!CGTranslator::Translate(vertex).succeeded || !CGTranslator::Translate(pixel).succeeded) {
        bench.SkipWithError("the source does not translate");
        return;
    }
    for (auto _ : bench) {
        CGTranslator::Result vertexResult = CGTranslator::Translate(vertex);
        CGTranslator::Result pixelResult = CGTranslator::Translate(pixel);
        benchmark::DoNotOptimize(vertexResult.glsl.data());
        benchmark::DoNotOptimize(pixelResult.glsl.data());
    }
    bench.SetItemsProcessed(bench.iterations());
}

// The first pair of a process: forks the compiler process and builds glslang's built-in
// symbol tables there. Registered first so that it runs before anything else starts it.
void FirstPhongPair(benchmark::State& bench)
{
    CGTranslator::Request vertex = MakeRequest(cg_sources::PhongStructs, "vsMain", CGTranslator::StageVertex);
    CGTranslator::Request pixel = MakeRequest(cg_sources::PhongStructs, "psMain", CGTranslator::StagePixel);
    for (auto _ : bench) {
        bool translated = CGTranslator::Translate(vertex).succeeded && CGTranslator::Translate(pixel).succeeded;
        if (!translated)
            bench.SkipWithError("the source does not translate");
    }
}

void PhongPair(benchmark::State& bench)
{
    TranslatePair(bench, cg_sources::PhongStructs);
}
void EnvironmentPair(benchmark::State& bench)
{
    TranslatePair(bench, cg_sources::EnvironmentAndSpot);
}

BENCHMARK(FirstPhongPair)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(PhongPair)->Unit(benchmark::kMillisecond);
BENCHMARK(EnvironmentPair)->Unit(benchmark::kMillisecond);

}  // namespace cg_compile_bench
