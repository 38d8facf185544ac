#include "sound/Mixer.h"

#include "sound/SampleFormat.h"

#include <algorithm>
#include <cmath>

namespace Nimbrel::Sound {

namespace mixer_detail {

// The left and right samples of one frame; a mono frame feeds both.
inline void ReadFrame(const MixerVoice& voice, uint32_t frame, float& left, float& right)
{
    const uint8_t* bytes = voice.ring.data() + static_cast<size_t>(frame) * voice.blockAlign;
    left = DecodeSample(bytes, voice.bitsPerSample);
    right = voice.channels == 2 ? DecodeSample(bytes + voice.bitsPerSample / 8, voice.bitsPerSample) : left;
}

}  // namespace mixer_detail

int VolumeToLevel(float volume)
{
    return static_cast<int>(static_cast<double>(volume) * 10000.0 - 10000.0);
}

int PanToLevel(float pan)
{
    return static_cast<int>((static_cast<double>(pan) + 1.0) * 20000.0 * 0.5 - 10000.0);
}

float LevelToGain(int level)
{
    if (level <= MixerSilentLevel)
        return 0.0f;
    if (level >= 0)
        return 1.0f;
    return static_cast<float>(std::pow(10.0, level / 2000.0));
}

int MixVoices(MixerVoice* const* voices, int count, float* output, int frames, int outputRate)
{
    using namespace mixer_detail;
    std::fill(output, output + 2 * static_cast<size_t>(std::max(frames, 0)), 0.0f);
    int underruns = 0;
    for (int v = 0; v < count; ++v) {
        MixerVoice& voice = *voices[v];
        if (!voice.playing || voice.frameCount <= 0 || outputRate <= 0 || frames <= 0)
            continue;
        const float gain = LevelToGain(voice.volumeLevel);
        const float leftGain = gain * (voice.panLevel > 0 ? LevelToGain(-voice.panLevel) : 1.0f);
        const float rightGain = gain * (voice.panLevel < 0 ? LevelToGain(voice.panLevel) : 1.0f);
        const uint64_t step = (static_cast<uint64_t>(voice.frequency) << 32) / static_cast<uint64_t>(outputRate);
        const uint64_t end = static_cast<uint64_t>(voice.frameCount) << 32;
        const uint64_t startFraction = voice.position & 0xFFFFFFFFu;
        uint64_t travelled = 0;

        for (int i = 0; i < frames; ++i) {
            const uint32_t frame = static_cast<uint32_t>(voice.position >> 32);
            const uint32_t fraction = static_cast<uint32_t>(voice.position);
            float left, right;
            ReadFrame(voice, frame, left, right);
            if (fraction != 0) {
                uint32_t next = frame + 1;
                if (next >= static_cast<uint32_t>(voice.frameCount))
                    next = voice.looping ? 0 : frame;
                float nextLeft, nextRight;
                ReadFrame(voice, next, nextLeft, nextRight);
                const float t = static_cast<float>(fraction * (1.0 / 4294967296.0));
                left += (nextLeft - left) * t;
                right += (nextRight - right) * t;
            }
            output[2 * i] += left * leftGain;
            output[2 * i + 1] += right * rightGain;

            voice.position += step;
            travelled += step;
            if (voice.position >= end) {
                if (voice.looping) {
                    voice.position %= end;
                } else {
                    voice.playing = false;
                    voice.position = 0;
                    break;
                }
            }
        }

        if (voice.looping && voice.framesQueued >= 0) {
            const int64_t consumed = static_cast<int64_t>((startFraction + travelled) >> 32);
            if (consumed > voice.framesQueued) {
                ++voice.underruns;
                ++underruns;
                voice.framesQueued = 0;
            } else {
                voice.framesQueued -= consumed;
            }
        }
    }
    // Float rings may hold anything; the output only ever gets finite samples in range.
    for (int i = 0; i < 2 * frames; ++i)
        output[i] = std::isnan(output[i]) ? 0.0f : std::clamp(output[i], -1.0f, 1.0f);
    return underruns;
}

void Mixer::AddVoice(MixerVoice* voice)
{
    std::lock_guard<std::mutex> guard(lock);
    voices.push_back(voice);
}

void Mixer::RemoveVoice(MixerVoice* voice)
{
    std::lock_guard<std::mutex> guard(lock);
    voices.erase(std::remove(voices.begin(), voices.end(), voice), voices.end());
}

void Mixer::SetOutputRate(int rate)
{
    std::lock_guard<std::mutex> guard(lock);
    outputRate = rate;
}

void Mixer::Render(float* output, int frames)
{
    std::lock_guard<std::mutex> guard(lock);
    underruns += MixVoices(voices.data(), static_cast<int>(voices.size()), output, frames, outputRate);
}

int64_t Mixer::GetUnderrunCount()
{
    std::lock_guard<std::mutex> guard(lock);
    return underruns;
}

}  // namespace Nimbrel::Sound
