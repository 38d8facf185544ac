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

#include "core/Managed.h"
#include "sound/Device.h"
#include "sound/Mixer.h"
#include "sound/SDLSoundBuffer.h"
#include "utils/audio/Clip.h"

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

}  // namespace Nimbrel::Testing
