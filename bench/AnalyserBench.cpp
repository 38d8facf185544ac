// The audio analyser's cost per frame: one Update over 1/60 s of new audio (735 frames at
// 44100 Hz), with 16 bands, level and onsets, on synthetic music (a bass line, a kick every
// beat at 140 bpm, hats and noise). Once over a source that hands out the samples directly,
// once over a paused outlet, whose heard mirror is read under its lock as in the host.
// Counters: "core_share_60fps", the share of one core that 60 Updates a second take, and
// the heap allocations of one Update once warm (counted where the sanitizer's allocation
// hooks exist, else -1).
#include "core/Managed.h"
#include "utils/ProbeProxy.h"
#include "utils/audio/Analyser.h"
#include "utils/audio/ClipAudioStream.h"
#include "utils/audio/Outlet.h"

#include "support/AllocationWatch.h"
#include "support/AudioFixtures.h"
#include "support/WaitFor.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace analyser_bench {

constexpr int Rate = 44100;
constexpr int Hop = Rate / 60;

std::vector<float> Music(int seconds)
{
    std::vector<float> music(static_cast<size_t>(Rate) * seconds);
    uint32_t noise = 777;
    const double beat = 60.0 / 140;
    for (size_t i = 0; i < music.size(); ++i) {
        const double t = static_cast<double>(i) / Rate;
        const double inBeat = std::fmod(t, beat);
        noise = noise * 1664525u + 1013904223u;
        const double hiss = static_cast<double>(noise >> 8) / (1 << 24) - 0.5;
        const double kick = std::exp(-inBeat * 30) * std::sin(2 * M_PI * 55 * inBeat * (1 + 2 * std::exp(-inBeat * 40)));
        const double hat = std::exp(-std::fmod(t, beat / 2) * 200) * hiss;
        music[i] = static_cast<float>(0.5 * kick + 0.2 * std::sin(2 * M_PI * 110 * t) + 0.3 * hat + 0.02 * hiss);
    }
    return music;
}

// Music heard up to a cursor that moves a frame's worth per Update, looping.
class Loop : public Audio::HeardSource {
public:
    explicit Loop(std::vector<float> music) : music(std::move(music)) {}
    int GetHeardRate() const override { return Rate; }
    int64_t GetHeardFrames() const override { return cursor; }
    void ReadHeard(float* mono, int frames) const override
    {
        const int64_t size = static_cast<int64_t>(music.size());
        for (int i = 0; i < frames; ++i)
            mono[i] = music[static_cast<size_t>(((cursor - frames + i) % size + size) % size)];
    }
    std::vector<float> music;
    int64_t cursor = 0;
};

void Report(benchmark::State& bench, double allocations)
{
    // 60 × the time of one Update: the counter's rate is 1/60 per iteration over the time, inverted.
    bench.counters["core_share_60fps"] =
        benchmark::Counter(1.0 / 60, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    bench.counters["allocations_per_update"] = allocations;
}

void AnalyserUpdate(benchmark::State& bench)
{
    Managed<ProbeProxy> probes(new ProbeProxy());
    Loop loop(Music(10));
    Managed<Audio::Analyser> analyser(new Audio::Analyser(&loop, probes.Get()));
    auto update = [&] {
        loop.cursor += Hop;
        analyser->Update(1.0 / 60);
    };
    for (int i = 0; i < 60; ++i)
        update();
    const double allocations = Testing::AllocationsPerCall(100, update);
    const float before = probes->GetValue(probes->GetProbeIndex("audio.beat_count"));
    for (auto _ : bench)
        update();
    if (probes->GetValue(probes->GetProbeIndex("audio.beat_count")) <= before && bench.iterations() > 60)
        bench.SkipWithError("no beat was heard");
    Report(bench, allocations);
}
BENCHMARK(AnalyserUpdate)->Unit(benchmark::kMicrosecond);

void AnalyserUpdateOnOutlet(benchmark::State& bench)
{
    std::vector<float> music = Music(2);
    Managed<Audio::Clip> clip(new Audio::Clip(static_cast<int>(music.size() * 4), 1, 32, Rate));
    std::memcpy(clip->GetData(), music.data(), music.size() * 4);
    Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
    stream->SetLooping(true);
    Testing::ManualSoundDevice device;
    Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), &device, 4096));
    outlet->Play();
    // Plays a second so that the mirror holds music, then leaves the outlet as it is.
    Testing::WaitFor([&] {
        device.Render(Hop);
        return outlet->GetHeardFrames() >= Rate;
    });
    Managed<ProbeProxy> probes(new ProbeProxy());
    Managed<Audio::Analyser> analyser(new Audio::Analyser(outlet.Get(), probes.Get()));
    for (int i = 0; i < 60; ++i)
        analyser->Update(1.0 / 60);
    const double allocations = Testing::AllocationsPerCall(100, [&] { analyser->Update(1.0 / 60); });
    for (auto _ : bench)
        analyser->Update(1.0 / 60);
    if (probes->GetValue(probes->GetProbeIndex("audio.level")) == 0.0f)
        bench.SkipWithError("nothing was heard");
    Report(bench, allocations);
}
BENCHMARK(AnalyserUpdateOnOutlet)->Unit(benchmark::kMicrosecond);

}  // namespace analyser_bench
