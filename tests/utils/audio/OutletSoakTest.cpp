// Soak: a minute of Ogg music through an outlet on a real SDL device while the main thread
// is kept busy. Not part of the default suite (it takes over a minute); run it with
//   nimbrel_tests --gtest_also_run_disabled_tests --gtest_filter='OutletSoak.*'
// It prints the underruns, the CPU time of the feeder and the mixer threads as a share of one
// core, and the load average while it ran.
#include "core/Managed.h"
#include "platform/Clock.h"
#include "sound/SDLSoundDevice.h"
#include "utils/audio/Outlet.h"
#include "utils/loaders/OggStream.h"

#include "support/MemoryStream.h"
#include "support/SDLAudio.h"
#include "support/VorbisEncoder.h"

#include "support/LinuxProcessTimes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace outlet_soak_test {

using Testing::LoadAverage;
using Testing::MainThreadId;
using Testing::ThreadTime;
using Testing::ThreadTimes;

TEST(OutletSoak, DISABLED_PlaysAMinuteWithTheMainThreadBusyWithoutUnderruns)
{
    Testing::UseDummyAudioDriver();
    const int rate = 44100, seconds = 60, frames = rate * seconds;
    // Tones and noise: the noise gives the file the bit rate of real music.
    std::vector<float> music;
    music.reserve(static_cast<size_t>(frames) * 2);
    uint32_t noise = 4711;
    auto hiss = [&] {
        noise = noise * 1664525u + 1013904223u;
        return static_cast<double>(noise >> 8) / (1 << 24) - 0.5;
    };
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double tones = 0.3 * std::sin(2 * M_PI * 220 * t) + 0.2 * std::sin(2 * M_PI * 331 * t * (1 + t / 60));
        music.push_back(static_cast<float>(tones + 0.1 * hiss()));
        music.push_back(static_cast<float>(-tones + 0.1 * hiss()));
    }
    std::vector<uint8_t> file = Testing::EncodeVorbis(music, 2, rate, 0.5f);
    std::printf("soak: %d s of stereo music, %zu bytes of Ogg Vorbis (%.0f kbit/s); load average before: %s\n", seconds,
                file.size(), file.size() * 8.0 / 1000.0 / seconds, LoadAverage().c_str());

    Managed<Testing::MemoryStream> input(new Testing::MemoryStream(file));
    Managed<Loaders::OggStream> stream(new Loaders::OggStream(input.Get()));
    Managed<Sound::SDLSoundDevice> device(new Sound::SDLSoundDevice(nullptr));
    Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), device.Get(), 4096));

    std::map<int, ThreadTime> last;
    const double start = GetSeconds();
    outlet->Play();
    volatile double sink = 0.0;
    double nextSample = start;
    while (!outlet->IsFinished() && GetSeconds() - start < seconds + 10) {
        // The main thread's frame work: busy, never yielding.
        double x = 1.0;
        for (int i = 0; i < 200000; ++i)
            x = std::sqrt(x + i) * 0.999;
        sink = sink + x;
        if (GetSeconds() >= nextSample) {
            for (auto& [id, time] : ThreadTimes())
                last[id] = time;
            nextSample += 0.5;
        }
    }
    const double elapsed = GetSeconds() - start;
    const std::string loadAfter = LoadAverage();

    double feeder = 0.0, mixer = 0.0, main = 0.0;
    for (const auto& [id, time] : last) {
        std::printf("soak: thread %d '%s': %.2f s CPU\n", id, time.name.c_str(), time.seconds);
        if (id == MainThreadId())
            main += time.seconds;
        else if (time.name.rfind("SDLAudio", 0) == 0)
            mixer += time.seconds;
        else
            feeder += time.seconds;
    }
    const int64_t underruns = device->GetUnderrunCount();
    std::printf("soak: played %.1f s in %.1f s; underruns %lld; feeder %.2f%% of a core, mixer %.2f%%, main %.0f%%; "
                "load average after: %s\n",
                static_cast<double>(seconds), elapsed, static_cast<long long>(underruns), 100 * feeder / elapsed,
                100 * mixer / elapsed, 100 * main / elapsed, loadAfter.c_str());
    EXPECT_TRUE(outlet->IsFinished());
    EXPECT_EQ(outlet->GetError(), "");
    EXPECT_EQ(underruns, 0);
    // Not over before the music is; on a loaded machine the dummy driver's clock lags a little.
    EXPECT_GE(elapsed, seconds - 0.5);
    EXPECT_LT(elapsed, seconds * 1.1);
}

}  // namespace outlet_soak_test
