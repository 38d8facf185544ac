// The overlay's frame on the blitter: 10,000 quads in 100 groups, listed every frame as the
// Studio lists its windows, over the fake device (the blitter's own work, no driver).
//
// Counters per frame: bytes of vertex and index data given to the device, and heap
// allocations (counted where the sanitizer's allocation hooks exist, else -1).
//   Steady   nothing changed since the last frame
//   Moving   one group of 100 quads moves every frame
//   Reorder  the groups come in another order every other frame (a window raised)

#include "support/AllocationWatch.h"
#include "support/FakeDevice.h"
#include "utils/Bitmap2D.h"
#include "utils/draw2d/GraphicsDeviceBlitter.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace {

constexpr int Groups = 100;
constexpr int QuadsPerGroup = 100;

enum class Change { Steady, Moving, Reorder };

void Overlay(benchmark::State& bench, Change change)
{
    Managed<Testing::FakeDevice> device(new Testing::FakeDevice());
    device->recording = false;
    Managed<Draw2D::GraphicsDeviceBlitter> blitter(new Draw2D::GraphicsDeviceBlitter(device.Get(), 100000));
    Managed<Bitmap2D> icon(new Bitmap2D(8, 8, Graphics::PixelFormatR8G8B8A8));
    const int iconIndex = blitter->PinBitmap(icon.Get());
    std::vector<Managed<Draw2D::Blitter::Quads>> groups;
    std::vector<Draw2D::Quad> quads(QuadsPerGroup);
    for (int g = 0; g < Groups; ++g) {
        for (int q = 0; q < QuadsPerGroup; ++q) {
            Draw2D::Quad& quad = quads[q];
            quad.x = int16_t((g % 10) * 100 + q % 10 * 9);
            quad.y = int16_t((g / 10) * 70 + q / 10 * 7);
            quad.width = 8;
            quad.height = 6;
            quad.clipRight = 1024;
            quad.clipBottom = 768;
            quad.bitmap = q % 2 ? iconIndex : 0;
        }
        groups.emplace_back(blitter->CreateQuads(QuadsPerGroup, quads.data()));
    }
    int frame = 0;
    auto draw = [&] {
        ++frame;
        device->draws.clear();  // the fake's own record of draws would grow
        if (change == Change::Moving) {
            for (Draw2D::Quad& quad : quads)
                quad.x = int16_t(quad.x + (frame % 2 ? 1 : -1));
            blitter->SetQuads(groups[frame % Groups].Get(), 0, QuadsPerGroup, quads.data());
        }
        const bool reversed = change == Change::Reorder && frame % 2;
        blitter->Begin();
        for (int g = 0; g < Groups; ++g)
            blitter->DrawQuads(groups[reversed ? Groups - 1 - g : g].Get());
        blitter->End();
        blitter->Draw();
    };
    for (int warm = 0; warm < 4; ++warm)
        draw();

    const double allocations = Testing::AllocationsPerCall(10, draw);
    const uint64_t vertexBytes = blitter->GetVertexBytesUploaded();
    const uint64_t indexBytes = blitter->GetIndexBytesUploaded();
    for (auto _ : bench)
        draw();
    const double frames = double(bench.iterations());
    bench.counters["vertex_bytes_per_frame"] = double(blitter->GetVertexBytesUploaded() - vertexBytes) / frames;
    bench.counters["index_bytes_per_frame"] = double(blitter->GetIndexBytesUploaded() - indexBytes) / frames;
    bench.counters["allocations_per_frame"] = allocations;
    if (blitter->GetIndexCount() != Groups * QuadsPerGroup * 6)
        bench.SkipWithError("not every quad was drawn");
}

void Draw2DSteady(benchmark::State& bench) { Overlay(bench, Change::Steady); }
void Draw2DMoving(benchmark::State& bench) { Overlay(bench, Change::Moving); }
void Draw2DReorder(benchmark::State& bench) { Overlay(bench, Change::Reorder); }

}  // namespace

BENCHMARK(Draw2DSteady)->Unit(benchmark::kMicrosecond);
BENCHMARK(Draw2DMoving)->Unit(benchmark::kMicrosecond);
BENCHMARK(Draw2DReorder)->Unit(benchmark::kMicrosecond);
