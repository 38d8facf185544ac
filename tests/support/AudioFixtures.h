#pragma once
// Audio fixtures for tests: a sound device whose mixer the test drives by hand, and a mono
// ramp whose every frame can be told from the played output.
//
// ManualSoundDevice makes ordinary SDLSoundBuffers on a mixer of its own that nothing plays
// until the test calls Render: the test decides when and how much audio is consumed.
//
// The ramp: frame i has the value (RampBase + i) / 32767, so after the 16-bit conversion and
// the mixer the output sample × 32768 is RampBase + i, or one less where the truncation of the
// conversion lands just below. RampFrame() maps an output sample back to i (-1 for silence).
//
// PlayedAudio records what an outlet on the manual device played, beside what the outlet says
// was heard.

#include "core/Managed.h"
#include "sound/Device.h"
#include "sound/Mixer.h"
#include "sound/SDLSoundBuffer.h"
#include "utils/audio/Clip.h"
#include "utils/audio/Outlet.h"

#include "support/WaitFor.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace Nimbrel::Testing {

class ManualSoundDevice : public Sound::Device {
public:
    explicit ManualSoundDevice(int outputRate = 44100) : mixer(std::make_shared<Sound::Mixer>(outputRate)) {}

    Sound::Buffer* CreateBuffer(int size, int channels, int bitsPerSample, int sampleRate) override
    {
        Sound::Buffer* buffer = new Sound::SDLSoundBuffer(mixer, size, channels, bitsPerSample, sampleRate);
        ++created;
        return buffer;
    }

    // Plays `frames` frames: returns them as interleaved stereo floats.
    std::vector<float> Render(int frames)
    {
        std::vector<float> output(2 * static_cast<size_t>(frames));
        mixer->Render(output.data(), frames);
        return output;
    }

    std::shared_ptr<Sound::Mixer> mixer;
    std::atomic<int> created{0};
};

constexpr int RampBase = 1000;

inline float RampValue(int frame)
{
    return (RampBase + frame) / 32767.0f;
}

// A mono 32-bit float clip of the ramp's first `frames` frames.
inline Utils::Audio::Clip* CreateRampClip(int frames, int sampleRate = 44100)
{
    auto* clip = new Utils::Audio::Clip(frames * 4, 1, 32, sampleRate);
    for (int i = 0; i < frames; ++i) {
        float value = RampValue(i);
        std::memcpy(clip->GetData() + 4 * i, &value, 4);
    }
    return clip;
}

// The ramp frame an output sample shows, within one step; -1 for silence.
inline int RampFrame(float sample)
{
    if (sample == 0.0f)
        return -1;
    return static_cast<int>(std::lround(sample * 32768.0)) - RampBase;
}

// Drives an outlet on the manual device and keeps what the device played from its ring (the
// left channel, as 16-bit values), to be compared with what the outlet says was heard. A
// frame counts as played when it is not silent, so the stream must never be silent.
class PlayedAudio {
public:
    PlayedAudio(ManualSoundDevice& device, Utils::Audio::Outlet& outlet) : device(device), outlet(outlet) {}

    // Renders one frame at a time until the voice plays (or stops, for `playing` false); every
    // frame rendered while it plays counts as played. The looping ramp is never silent.
    bool RenderUntil(bool playing)
    {
        return WaitFor([&] { return RenderOne() == playing; });
    }
    // Renders `frames` frames of a playing voice, then waits until the feeder has published
    // the cursor after them.
    bool Render(int frames)
    {
        for (float sample : Frames(frames))
            played.push_back(Pcm(sample, 32768.0));
        return Published();
    }
    bool Published()
    {
        return WaitFor([&] { return outlet.GetHeardFrames() == static_cast<int64_t>(played.size()); });
    }
    // The last `frames` played frames as 16-bit values, 0 before the first one.
    std::vector<long> LastPlayed(int frames) const
    {
        std::vector<long> last(static_cast<size_t>(frames), 0);
        for (int i = 0; i < frames && i < static_cast<int>(played.size()); ++i)
            last[frames - 1 - i] = played[played.size() - 1 - i];
        return last;
    }
    std::vector<long> Heard(int frames) const
    {
        std::vector<float> mono(static_cast<size_t>(frames), -2.0f);
        outlet.ReadHeard(mono.data(), frames);
        std::vector<long> heard;
        for (float sample : mono)
            heard.push_back(Pcm(sample, 32767.0));
        return heard;
    }
    static long Pcm(float sample, double scale) { return std::lround(sample * scale); }

    std::vector<long> played;

private:
    bool RenderOne()
    {
        const float sample = Frames(1)[0];
        if (sample != 0.0f)
            played.push_back(Pcm(sample, 32768.0));
        return sample != 0.0f;
    }
    std::vector<float> Frames(int frames)
    {
        std::vector<float> stereo = device.Render(frames);
        std::vector<float> left;
        for (size_t i = 0; i < stereo.size(); i += 2)
            left.push_back(stereo[i]);
        return left;
    }

    ManualSoundDevice& device;
    Utils::Audio::Outlet& outlet;
};

}  // namespace Nimbrel::Testing
