// Benchmark: an audio outlet's feeder playing a 3-minute stereo Ogg Vorbis track at 44100 Hz
// in chunks of 4096 frames: the real Outlet with its feeder thread over an OggStream on an
// engine stream, on a device whose buffer plays everything the moment it is appended, so the
// feeder decodes the whole track as fast as its polling lets it. The time reported is the CPU
// time of the process while the outlet runs (the waiting main thread takes next to none); the
// counter "core_share" is that time over the track's playing time: the share of one core the
// feeder needs to keep the music going.
//
// Second: how long an outlet takes to end while it plays on SDL's dummy driver with over a
// second of audio queued: its destructor asks the feeder to stop and waits for it, which
// should take about one poll of the feeder, not the time the queue lasts.
#include "core/Managed.h"
#include "io/Buffer.h"
#include "platform/Sleep.h"
#include "sound/Buffer.h"
#include "sound/Device.h"
#include "utils/BufferStream.h"
#include "utils/audio/Clip.h"
#include "utils/audio/ClipAudioStream.h"
#include "utils/audio/Outlet.h"
#include "utils/loaders/OggStream.h"

#include "support/VorbisEncoder.h"

#include <benchmark/benchmark.h>

#include <ctime>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace audio_bench {

constexpr int Rate = 44100;
constexpr int Seconds = 180;
constexpr int ChunkFrames = 4096;

const std::vector<uint8_t>& Track()
{
    static const std::vector<uint8_t> file = [] {
        // Tones with a beat, and noise under them: pure tones alone would encode to a fraction
        // of the bit rate of real music and decode unrealistically fast.
        std::vector<float> music;
        music.reserve(static_cast<size_t>(Rate) * Seconds * 2);
        uint32_t noise = 12345;
        auto hiss = [&] {
            noise = noise * 1664525u + 1013904223u;
            return static_cast<double>(noise >> 8) / (1 << 24) - 0.5;
        };
        for (int i = 0; i < Rate * Seconds; ++i) {
            const double t = static_cast<double>(i) / Rate;
            const double beat = std::exp(-8 * std::fmod(t, 0.5));
            const float left = static_cast<float>(0.25 * std::sin(2 * M_PI * 110 * t) * (0.5 + beat) +
                                                  0.1 * std::sin(2 * M_PI * 440 * t * (1 + 0.001 * t)) +
                                                  (0.05 + 0.2 * beat) * hiss());
            const float right = static_cast<float>(0.25 * std::sin(2 * M_PI * 165 * t) +
                                                   0.1 * std::sin(2 * M_PI * 660 * t) * beat + (0.05 + 0.2 * beat) * hiss());
            music.push_back(left);
            music.push_back(right);
        }
        return Testing::EncodeVorbis(music, 2, Rate, 0.5f);
    }();
    return file;
}

// A ring that is played out as soon as it is written: the play cursor is always at the write
// cursor and the whole ring is free, so the feeder never waits for the output.
class InstantBuffer : public Sound::Buffer {
public:
    InstantBuffer(int size, int channels, int bits) : ring(static_cast<size_t>(size)), channels(channels), bits(bits) {}

    void Play(int) override {}
    void PlayLooping(int) override {}
    void Stop() override {}
    void Write(const void* data, int offset, int size) override
    {
        const int first = std::min(size, static_cast<int>(ring.size()) - offset);
        std::memcpy(ring.data() + offset, data, static_cast<size_t>(first));
        std::memcpy(ring.data(), static_cast<const uint8_t*>(data) + first, static_cast<size_t>(size - first));
    }
    void Append(const void* data, int size) override
    {
        Write(data, writeCursor, size);
        writeCursor = (writeCursor + size) % static_cast<int>(ring.size());
        appended += size;
    }
    void SetPlayPosition(int) override {}
    void SetWriteCursor(int offset) override { writeCursor = offset % static_cast<int>(ring.size()); }
    void SetFrequency(int) override {}
    void SetPan(float) override {}
    void SetVolume(float) override {}
    int GetPlayPosition() override { return writeCursor; }
    int GetWritePosition() override { return writeCursor; }
    int GetFreeSpace() override { return static_cast<int>(ring.size()); }
    int GetFrequency() override { return Rate; }
    float GetPan() override { return 0.0f; }
    float GetVolume() override { return 1.0f; }
    int GetChannelCount() override { return channels; }
    int GetBitsPerSample() override { return bits; }

    static inline int64_t appended = 0;

private:
    std::vector<uint8_t> ring;
    int writeCursor = 0;
    int channels;
    int bits;
};

class InstantDevice : public Sound::Device {
public:
    Sound::Buffer* CreateBuffer(int size, int channels, int bits, int) override
    {
        return new InstantBuffer(size, channels, bits);
    }
};

double ProcessSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

void FeederPlaysAThreeMinuteTrack(benchmark::State& state)
{
    const std::vector<uint8_t>& file = Track();
    Managed<IO::Buffer> bytes(new IO::Buffer(static_cast<int64_t>(file.size())));
    std::memcpy(bytes->Data(), file.data(), file.size());
    Managed<InstantDevice> device(new InstantDevice());
    double total = 0.0;
    for (auto _ : state) {
        Managed<BufferStream> input(new BufferStream(bytes.Get()));
        Managed<Loaders::OggStream> stream(new Loaders::OggStream(input.Get()));
        InstantBuffer::appended = 0;
        const double start = ProcessSeconds();
        {
            Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), device.Get(), ChunkFrames));
            outlet->Play();
            while (!outlet->IsFinished())
                Sleep(20);
            if (outlet->GetError().Length() > 0)
                state.SkipWithError(outlet->GetError().CStr());
        }
        const double used = ProcessSeconds() - start;
        state.SetIterationTime(used);
        total += used;
        if (InstantBuffer::appended < static_cast<int64_t>(Rate) * Seconds * 4)
            state.SkipWithError("the track did not decode to its full length");
    }
    state.counters["core_share"] = total / (static_cast<double>(state.iterations()) * Seconds);
    state.counters["kbit_per_s"] = file.size() * 8.0 / 1000.0 / Seconds;
}
BENCHMARK(FeederPlaysAThreeMinuteTrack)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void OutletEndsWhilePlaying(benchmark::State& state)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Managed<Sound::Device> device(Sound::Device::Create(nullptr));
    // Thirty seconds of 8000 Hz mono silence in chunks of 8192 frames: a chunk lasts a second.
    const int frames = 8000 * 30;
    Managed<Audio::Clip> clip(new Audio::Clip(frames * 2, 1, 16, 8000));
    std::memset(clip->GetData(), 0, static_cast<size_t>(frames) * 2);
    for (auto _ : state) {
        Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
        auto* outlet = new Audio::Outlet(stream.Get(), device.Get(), 8192);
        outlet->Play();
        Sleep(50);
        const auto start = std::chrono::steady_clock::now();
        outlet->Release();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(OutletEndsWhilePlaying)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

}  // namespace audio_bench
