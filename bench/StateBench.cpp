// The render state's per-pass cost: Begin, one draw and End against the recording fake
// device with recording off, so what is measured is the state's own work (stack tops,
// products and inverses, parameter setting, state-object lookups and their references).
#include "support/FakeDevice.h"
#include "math/Matrix4.h"
#include "utils/State.h"

#include <benchmark/benchmark.h>

namespace state_bench {

using namespace Nimbrel;

// A typical lit, textured object: world-view-projection, world, camera position, material
// colour and two maps.
const char* const TypicalProgram =
    "float4x4 WorldViewProjection; float4x4 World; float3 CameraPosition; float3 Diffuse; float Time;"
    "sampler2D DiffuseMap; sampler2D NormalMap";

// Every automatic name, so every product, inverse and map is worked out.
const char* const EveryNameProgram =
    "float4x4 World; float4x4 WorldView; float4x4 WorldViewProjection; float4x4 View;"
    "float4x4 ViewProjection; float4x4 Projection; float4x4 WorldInverse; float4x4 WorldViewInverse;"
    "float4x4 WorldViewProjectionInverse; float4x4 ViewInverse; float4x4 ViewProjectionInverse;"
    "float4x4 ProjectionInverse; float3 CameraPosition; float4 ScreenSpaceConformOffset;"
    "float4 ViewportConformFactor; float2 Resolution; float Time; float Shininess; float Transparency;"
    "float Displacement; float Reflectivity; float3 Normal; float3 Diffuse; float3 Specular; float3 Emission;"
    "float3 Reflection; sampler2D ShininessMap; sampler2D TransparencyMap; sampler2D DisplacementMap;"
    "sampler2D ReflectivityMap; sampler2D NormalMap; sampler2D DiffuseMap; sampler2D SpecularMap;"
    "sampler2D EmissionMap; sampler2D ReflectionMap";

void BeginDrawEnd(benchmark::State& bench, const char* declarations)
{
    Testing::FakeDevice device;
    device.recording = false;
    Managed<Testing::FakeProgram> program(device.MakeProgram(declarations));
    Testing::FakeTexture2D diffuseMap(256, 256), normalMap(256, 256);
    Managed<Utils::State> state(new Utils::State());
    state->devices.Push(&device);
    state->programs.Push(program.Get());
    state->diffuseMaps.Push(&diffuseMap);
    state->normalMaps.Push(&normalMap);
    state->projections.Push(Math::Matrix4::Perspective(true, 60.0f, 4.0f / 3.0f, 0.1f, 100.0f));
    state->views.Push(Math::Matrix4::LookAt(Math::Vector3t<float>(0, -5, 2), Math::Vector3t<float>(0, 0, 0),
                                            Math::Vector3t<float>(0, 0, 1)));
    state->worlds.Push(Math::Matrix4::Translation(1, 2, 3) * Math::Matrix4::Rotation(30, 0, 0, 1));
    device.draws.reserve(1);

    for (auto _ : bench) {
        state->Begin();
        device.Draw(0, 36);
        state->End();
        device.draws.clear();
    }
    bench.SetItemsProcessed(bench.iterations());
}

void TypicalPass(benchmark::State& bench)
{
    BeginDrawEnd(bench, TypicalProgram);
}
BENCHMARK(TypicalPass);

void EveryNamePass(benchmark::State& bench)
{
    BeginDrawEnd(bench, EveryNameProgram);
}
BENCHMARK(EveryNamePass);

}  // namespace state_bench
