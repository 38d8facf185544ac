// The audio analyser: bands, level and beats from what is heard, fed directly from a tape the
// test moves, and through an outlet on a device whose playing the test drives by hand.
#include "utils/audio/Analyser.h"

#include "core/Managed.h"
#include "utils/ProbeProxy.h"
#include "utils/audio/ClipAudioStream.h"
#include "utils/audio/Outlet.h"

#include "support/AllocationWatch.h"
#include "support/AudioFixtures.h"
#include "support/Expect.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace analyser_test {

constexpr int Rate = 44100;
constexpr int FrameHop = Rate / 60;  // 735 frames of audio per frame at 60 fps
constexpr double Frame = 1.0 / 60;

// A whole signal heard up to a cursor the test moves.
class Tape : public Audio::HeardSource {
public:
    explicit Tape(std::vector<float> signal, int rate = Rate) : signal(std::move(signal)), rate(rate) {}

    int GetHeardRate() const override { return rate; }
    int64_t GetHeardFrames() const override { return cursor; }
    void ReadHeard(float* mono, int frames) const override
    {
        for (int i = 0; i < frames; ++i) {
            const int64_t at = cursor - frames + i;
            mono[i] = at >= 0 && at < static_cast<int64_t>(signal.size()) ? signal[at] : 0.0f;
        }
    }

    std::vector<float> signal;
    int64_t cursor = 0;

private:
    int rate;
};

std::vector<float> Sine(double hz, double amplitude, double seconds)
{
    std::vector<float> signal(static_cast<size_t>(seconds * Rate));
    for (size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(amplitude * std::sin(2 * M_PI * hz * i / Rate));
    return signal;
}

float Probe(ProbeProxy& probes, const String& name)
{
    return probes.GetValue(probes.GetProbeIndex(name));
}

float Band(ProbeProxy& probes, int band)
{
    return Probe(probes, String::Format("audio.bands.%d", band));
}

// Plays the tape one frame at a time, `frames` times.
void Play(Tape& tape, Audio::Analyser& analyser, int frames)
{
    for (int i = 0; i < frames; ++i) {
        tape.cursor += FrameHop;
        analyser.Update(Frame);
    }
}

TEST(Analyser, ASineLightsTheBandThatHoldsItAtItsLevelAndNotBandsTwoAway)
{
    // The band edges are 30 · (16000 / 30)^(b / 16) Hz: band 4 holds 144 … 213 Hz, band 6
    // 316 … 468 Hz, band 11 2250 … 3330 Hz, band 14 7298 … 10809 Hz. Centred tones read their level on the dB scale
    // (-60 … 0 dB to 0 … 1); 440 Hz lies near its band's edge and leaks into the next one.
    struct Case {
        double hz;
        double amplitude;
        int band;
        float low, high;  // what the band reads
    };
    for (Case c : {Case{440, 0.5, 6, 0.85f, 0.91f}, Case{2740, 1.0, 11, 0.99f, 1.0f},
                   Case{2740, 0.1, 11, 0.66f, 0.673f}, Case{2740, 0.001, 11, 0.0f, 0.005f},
                   Case{9000, 0.5, 14, 0.89f, 0.91f}, Case{175, 0.5, 4, 0.85f, 0.91f}}) {
        SCOPED_TRACE(testing::Message() << c.hz << " Hz at " << c.amplitude);
        Managed<ProbeProxy> probes(new ProbeProxy());
        Tape tape(Sine(c.hz, c.amplitude, 2.0));
        Managed<Audio::Analyser> analyser(new Audio::Analyser(&tape, probes.Get()));
        // Long enough for the peaks that the tone's start made to have fallen.
        Play(tape, *analyser, 80);
        EXPECT_GE(Band(*probes, c.band), c.low);
        EXPECT_LE(Band(*probes, c.band), c.high);
        for (int b = 0; b < Audio::Analyser::BandCount; ++b) {
            if (std::abs(b - c.band) >= 2) {
                EXPECT_LT(Band(*probes, b), 0.02f) << "band " << b;
            }
        }
        EXPECT_NEAR(Probe(*probes, "audio.level"), c.amplitude * M_SQRT1_2, 0.01 * c.amplitude);
    }
}

TEST(Analyser, SilenceReadsZeroEverywhere)
{
    Managed<ProbeProxy> probes(new ProbeProxy());
    Tape tape(std::vector<float>(Rate * 2, 0.0f));
    Managed<Audio::Analyser> analyser(new Audio::Analyser(&tape, probes.Get()));
    for (int frame = 0; frame < 100; ++frame) {
        tape.cursor += FrameHop;
        analyser->Update(Frame);
        ASSERT_EQ(Probe(*probes, "audio.level"), 0.0f);
        ASSERT_EQ(Probe(*probes, "audio.beat"), 0.0f);
        ASSERT_EQ(Probe(*probes, "audio.beat_count"), 0.0f);
        for (int b = 0; b < Audio::Analyser::BandCount; ++b)
            ASSERT_EQ(Band(*probes, b), 0.0f) << "band " << b << " in frame " << frame;
    }
}

TEST(Analyser, ABandHoldsItsPeakThenFallsAtTheFallOff)
{
    struct Case {
        double hold;  // seconds
        double fall;  // per second
    };
    for (Case c : {Case{0.2, 2.0}, Case{0.0, 0.5}, Case{0.5, 0.0}}) {
        SCOPED_TRACE(testing::Message() << "hold " << c.hold << " s, fall " << c.fall << "/s");
        Managed<ProbeProxy> probes(new ProbeProxy());
        // Half a second of a full-scale tone in band 11, then silence.
        Tape tape(Sine(2740, 1.0, 0.5));
        Managed<Audio::Analyser> analyser(new Audio::Analyser(&tape, probes.Get()));
        analyser->SetPeakHold(c.hold);
        analyser->SetFallOff(c.fall);
        Play(tape, *analyser, 30);
        const float peak = Band(*probes, 11);
        ASSERT_GT(peak, 0.99f);
        // From the first silent frame on the tone drains from the window; the peak is held
        // from there, then falls linearly (allowing a frame either way).
        for (int after = 1; after <= 90; ++after) {
            Play(tape, *analyser, 1);
            const double t = (after - 1) * Frame;
            const double expected = std::max(0.0, peak - c.fall * std::max(0.0, t - c.hold));
            ASSERT_NEAR(Band(*probes, 11), expected, c.fall * Frame + 1e-5) << after << " frames after the tone";
        }
    }
}

// A click track: a faint lead-in (so that the recorder sees playing start), then a short
// noise burst every beat at 140 bpm (18900 frames), the first at frame 5000.
constexpr int ClickFirst = 5000;
constexpr int ClickPeriod = Rate * 60 / 140;
constexpr int ClickFrames = 300;

Audio::Clip* ClickTrack(int frames)
{
    std::vector<float> track(static_cast<size_t>(frames), 0.0f);
    for (int i = 0; i < 2000; ++i)
        track[i] = 0.0001f;
    uint32_t noise = 12345;
    for (int start = ClickFirst; start + ClickFrames < frames; start += ClickPeriod)
        for (int i = 0; i < ClickFrames; ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double>(noise >> 8) / (1 << 23) - 1.0;
            track[start + i] = static_cast<float>(0.8 * std::exp(-i / 60.0) * white);
        }
    auto* clip = new Audio::Clip(frames * 4, 1, 32, Rate);
    std::memcpy(clip->GetData(), track.data(), track.size() * 4);
    return clip;
}

TEST(Analyser, ABeatPerClickWithinAFrameOfHearingItAlsoAfterASeek)
{
    Testing::ManualSoundDevice device;
    Managed<Audio::Clip> clip(ClickTrack(Rate * 8));
    Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
    Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), &device, 2048));
    Managed<ProbeProxy> probes(new ProbeProxy());
    Managed<Audio::Analyser> analyser(new Audio::Analyser(outlet.Get(), probes.Get()));
    EXPECT_EQ(analyser->GetTempo(), 140.0);
    Testing::PlayedAudio played(device, *outlet);
    ASSERT_TRUE(Testing::WaitFor([&] { return device.created == 1; }));
    outlet->Play();
    ASSERT_TRUE(played.RenderUntil(true));
    ASSERT_TRUE(played.Published());
    analyser->Update(Frame);

    // Frame by frame: the device plays a frame's worth, the analyser hears it.
    std::vector<size_t> frameStart;  // played frames before each frame
    std::vector<int> beatFrames;
    std::vector<float> beatValues;
    float count = 0.0f;
    auto frames = [&](int n) {
        for (int i = 0; i < n; ++i) {
            frameStart.push_back(played.played.size());
            ASSERT_TRUE(played.Render(FrameHop));
            analyser->Update(Frame);
            beatValues.push_back(Probe(*probes, "audio.beat"));
            const float now = Probe(*probes, "audio.beat_count");
            if (now != count)
                beatFrames.push_back(static_cast<int>(frameStart.size()) - 1);
            ASSERT_LE(now, count + 1) << "two beats in one frame";
            count = now;
        }
    };
    frames(150);
    const size_t seekFrame = frameStart.size();
    outlet->Seek(0.3);  // back to before the second click
    frames(150);
    frameStart.push_back(played.played.size());
    EXPECT_EQ(device.mixer->GetUnderrunCount(), 0);

    // Clicks as played: a burst after at least 2000 quiet frames, found in the frame it began.
    std::vector<int> clickFrames;
    int quiet = 0;
    size_t frame = 0;
    for (size_t i = frameStart.front(); i < played.played.size(); ++i) {
        while (frameStart[frame + 1] <= i)
            ++frame;
        if (std::abs(played.played[i]) > 50) {
            if (quiet >= 2000)
                clickFrames.push_back(static_cast<int>(frame));
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    size_t clicksAfterSeek = 0;
    for (int f : clickFrames)
        clicksAfterSeek += static_cast<size_t>(f) >= seekFrame;
    ASSERT_GE(clickFrames.size(), 10u);
    ASSERT_GE(clicksAfterSeek, 4u);

    ASSERT_EQ(beatFrames.size(), clickFrames.size()) << "one beat per click";
    for (size_t i = 0; i < clickFrames.size(); ++i) {
        EXPECT_GE(beatFrames[i], clickFrames[i]) << "beat " << i << " before its click";
        EXPECT_LE(beatFrames[i], clickFrames[i] + 1) << "beat " << i << " more than a frame after its click";
        EXPECT_EQ(beatValues[beatFrames[i]], 1.0f) << "beat " << i;
        // A beat at 140 bpm lasts 25.7 frames: 13 frames on it has fallen to a half.
        if (static_cast<size_t>(beatFrames[i]) + 13 < beatValues.size()) {
            EXPECT_NEAR(beatValues[beatFrames[i] + 13], 1.0 - 13 * Frame * 140 / 60, 1e-4);
        }
    }
    EXPECT_EQ(count, static_cast<float>(clickFrames.size()));
}

TEST(Analyser, UpdateAllocatesNothingOnceWarm)
{
    if (!Testing::AllocationWatch::Available())
        GTEST_SKIP() << "allocation hooks need AddressSanitizer";
    Managed<ProbeProxy> probes(new ProbeProxy());
    std::vector<float> music = Sine(2740, 0.5, 2.0);
    for (size_t i = 0; i < music.size(); i += ClickPeriod / 4)
        music[i] = 1.0f;
    Tape tape(music);
    Managed<Audio::Analyser> analyser(new Audio::Analyser(&tape, probes.Get()));
    Play(tape, *analyser, 5);
    Testing::AllocationWatch watch;
    Play(tape, *analyser, 100);
    EXPECT_EQ(watch.AllocationCount(), 0u);
    EXPECT_GT(Probe(*probes, "audio.beat_count"), 0.0f);
}

TEST(Analyser, BadSettingsAndSourcesThrow)
{
    Managed<ProbeProxy> probes(new ProbeProxy());
    Tape tape({});
    Tape tooSlow({}, 4000);
    EXPECT_THROW_MESSAGE(Audio::Analyser(nullptr, probes.Get()), "Audio::Analyser: A heard source and a probe proxy are needed");
    EXPECT_THROW_MESSAGE(Audio::Analyser(&tape, nullptr), "Audio::Analyser: A heard source and a probe proxy are needed");
    EXPECT_THROW_MESSAGE(Audio::Analyser(&tooSlow, probes.Get()), "Audio::Analyser: A sample rate of 4000 Hz can not be analysed");

    Managed<Audio::Analyser> analyser(new Audio::Analyser(&tape, probes.Get()));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW_MESSAGE(analyser->Update(-0.01), "Audio::Analyser::Update: A frame time of -0.01 is outside 0 to 10");
    EXPECT_THROW_MESSAGE(analyser->Update(nan), "Audio::Analyser::Update: A frame time of nan is outside 0 to 10");
    EXPECT_THROW_MESSAGE(analyser->SetTempo(0), "Audio::Analyser::SetTempo: A tempo of 0 is outside 1 to 1000");
    EXPECT_THROW_MESSAGE(analyser->SetTempo(nan), "Audio::Analyser::SetTempo: A tempo of nan is outside 1 to 1000");
    EXPECT_THROW_MESSAGE(analyser->SetPeakHold(-1), "Audio::Analyser::SetPeakHold: A hold of -1 is outside 0 to 10");
    EXPECT_THROW_MESSAGE(analyser->SetFallOff(1e9), "Audio::Analyser::SetFallOff: A fall-off of 1e+09 is outside 0 to 1000");
    EXPECT_THROW_MESSAGE(Audio::Analyser::GetBandEdge(-1), "Audio::Analyser::GetBandEdge: There is no band -1");
    EXPECT_THROW_MESSAGE(Audio::Analyser::GetBandEdge(17), "Audio::Analyser::GetBandEdge: There is no band 17");
    EXPECT_EQ(analyser->GetTempo(), 140.0);
    EXPECT_EQ(analyser->GetPeakHold(), 0.1);
    EXPECT_EQ(analyser->GetFallOff(), 1.5);
}

}  // namespace analyser_test
