// Sync data evaluation as the Studio runs it: 1,000 bound tracks of 4,096 keys each in one
// block, evaluated once per frame at 60 frames a second and 140 beats a minute over the whole
// span of the keys. Beside it, the same work with a plain binary search for every track in
// every frame, and evaluation at random times (every frame a seek).
//
// Each benchmark iteration plays the whole span; "per_frame" is the time of one frame.

#include "core/Managed.h"
#include "utils/ProbeProxy.h"
#include "utils/studio/SyncData.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::Studio;

namespace syncdata_bench {

constexpr int TrackCount = 1000;
constexpr int KeyCount = 4096;
constexpr int KeySpacing = 4;  // qticks: one key per tick
constexpr int Span = KeyCount * KeySpacing;
constexpr double QticksPerFrame = 140.0 / 60.0 * 16.0 / 60.0;  // 140 bpm, 16 qticks a beat, 60 fps
const int FrameCount = static_cast<int>(Span / QticksPerFrame);

struct Scene {
    Managed<ProbeProxy> probes{new ProbeProxy()};
    Managed<SyncData> sync{new SyncData(probes.Get())};
    std::vector<int> probeIndices;
    std::vector<std::vector<Key>> plainKeys;  // the same curves, for the binary search

    Scene()
    {
        std::mt19937 random(1);
        std::uniform_real_distribution<float> value(-100.0f, 100.0f);
        TrackGroup* group = sync->GetTrackGroup(sync->AddTrackGroup("bench"));
        for (int i = 0; i < TrackCount; ++i) {
            String name = String::Format("bench.track%d", i);
            int track = sync->AddTrack(name);
            group->AddTrack(sync->GetTrack(track));
            sync->BindProbe(track, probes->GetProbe(name));
            probeIndices.push_back(probes->GetProbeIndex(name));
        }
        Block* block = sync->GetBlock(sync->CreateBlock(-1000, Span + 2000, group));
        plainKeys.resize(TrackCount);
        for (int i = 0; i < TrackCount; ++i) {
            for (int k = 0; k < KeyCount; ++k) {
                Key key;
                key.interpolation = k % 3;
                key.leftValue = value(random);
                key.rightValue = value(random);
                key.time = k * KeySpacing + 1000;  // block-relative: the block starts at -1000
                block->GetPattern(i)->SetKey(key);
                plainKeys[i].push_back(key);
            }
        }
    }
};

Scene& GetScene()
{
    static Scene scene;
    return scene;
}

// One track at block-relative time t by binary search, with the same curve rules.
float EvaluatePlain(const std::vector<Key>& keys, double t)
{
    auto after = std::lower_bound(keys.begin(), keys.end(), t, [](const Key& key, double time) { return key.time < time; });
    size_t c = after == keys.begin() ? 0 : static_cast<size_t>(after - keys.begin()) - 1;
    if (c == keys.size() - 1)
        return t < keys[c].time ? keys[c].leftValue : keys[c].rightValue;
    const Key& k0 = keys[c];
    const Key& k1 = keys[c + 1];
    float a = k0.rightValue, b = k1.leftValue;
    float u = static_cast<float>((t - k0.time) / (double(k1.time) - double(k0.time)));
    switch (k0.interpolation) {
    case 0:
        return a;
    case 1:
        return a + (b - a) * u;
    default:
        return a + (b - a) * static_cast<float>(0.5 - 0.5 * std::cos(3.141592653589793 * u));
    }
}

void SetPerFrame(benchmark::State& state, int frames)
{
    state.counters["per_frame"] = benchmark::Counter(frames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void SyncDataEvaluatePlayback(benchmark::State& state)
{
    Scene& scene = GetScene();
    for (auto _ : state) {
        for (int frame = 0; frame < FrameCount; ++frame)
            scene.sync->Evaluate(frame * QticksPerFrame);
        benchmark::DoNotOptimize(scene.probes->GetValue(0));
    }
    SetPerFrame(state, FrameCount);
}
BENCHMARK(SyncDataEvaluatePlayback)->Unit(benchmark::kMillisecond);

void BinarySearchPlayback(benchmark::State& state)
{
    Scene& scene = GetScene();
    ProbeProxy* probes = scene.probes.Get();
    for (auto _ : state) {
        for (int frame = 0; frame < FrameCount; ++frame) {
            double t = frame * QticksPerFrame + 1000.0;
            for (int i = 0; i < TrackCount; ++i)
                probes->SetValue(scene.probeIndices[i], EvaluatePlain(scene.plainKeys[i], t));
        }
        benchmark::DoNotOptimize(probes->GetValue(0));
    }
    SetPerFrame(state, FrameCount);
}
BENCHMARK(BinarySearchPlayback)->Unit(benchmark::kMillisecond);

// Every frame jumps to a random time, as scrubbing does: the cursor falls back to a search.
void SyncDataEvaluateSeeking(benchmark::State& state)
{
    Scene& scene = GetScene();
    std::mt19937 random(2);
    std::uniform_real_distribution<double> time(0.0, Span);
    std::vector<double> times(4096);
    for (double& t : times)
        t = time(random);
    for (auto _ : state) {
        for (double t : times)
            scene.sync->Evaluate(t);
        benchmark::DoNotOptimize(scene.probes->GetValue(0));
    }
    SetPerFrame(state, static_cast<int>(times.size()));
}
BENCHMARK(SyncDataEvaluateSeeking)->Unit(benchmark::kMillisecond);

}  // namespace syncdata_bench
