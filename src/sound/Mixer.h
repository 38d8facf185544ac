#pragma once
// Sound::Mixer: the software mixer behind the SDL sound device.
//
// Every sound buffer is a MixerVoice: a ring of PCM frames with a play cursor, a rate, a
// volume and a pan. MixVoices is the whole mixing algorithm as a plain function over voices,
// so it can be driven without any audio output; Mixer adds the lock and the list of voices
// that the device's audio callback and the buffers' owners share.
//
// Volume and pan are kept as levels in hundredths of a decibel, the way the engine has always
// passed them to the output: volume -10000 (silent) … 0 (full); pan -10000 (right channel
// silent) … 0 (both at full level) … 10000 (left channel silent).
//
// Playback: the play cursor moves in fixed point (32 fractional bits of a frame) by the
// voice's frequency over the output rate per output frame; between two frames the sample is
// interpolated linearly, so at equal rates every frame is copied exactly. A looping voice
// wraps at the end of its ring; a voice playing once stops there with its cursor back at 0.

#include <cstdint>
#include <mutex>
#include <vector>

namespace Nimbrel::Sound {

constexpr int MixerSilentLevel = -10000;

// The level of a volume of 0 … 1: volume × 10000 - 10000, truncated.
int VolumeToLevel(float volume);
// The level of a pan of -1 … 1: (pan + 1) × 20000 × 0.5 - 10000, truncated.
int PanToLevel(float pan);
// The linear gain of an attenuation level: 10^(level / 2000), 0 at -10000 and below.
float LevelToGain(int level);

struct MixerVoice {
    std::vector<uint8_t> ring;
    int channels = 1;           // 1 or 2
    int bitsPerSample = 16;     // 8 (unsigned), 16 (signed) or 32 (float)
    int blockAlign = 2;         // bytes per frame
    int frameCount = 0;         // whole frames in the ring
    int frequency = 44100;      // playback rate in Hz
    int volumeLevel = 0;
    int panLevel = 0;
    bool playing = false;
    bool looping = false;
    uint64_t position = 0;      // play cursor in frames, 32.32 fixed point

    // Underrun bookkeeping for streaming rings, fed by Append: frames appended and not yet
    // played (recounted from the cursors when either is moved by hand). NotTracked until the
    // first Append; Untracked for good once the ring is written with Write, since "queued"
    // then means nothing.
    static constexpr int64_t NotTracked = -1;
    static constexpr int64_t Untracked = -2;
    int64_t framesQueued = NotTracked;
    int64_t underruns = 0;

    int GetPlayCursor() const { return static_cast<int>(position >> 32) * blockAlign; }
};

// Clears `output` (frames × 2 floats, interleaved left and right, at outputRate Hz), adds every
// playing voice into it, advancing their play cursors, and clamps the sum to -1 … 1. A mono
// voice feeds both channels. Returns the number of looping, Append-fed voices that played
// past their appended data in this pass (each also counted in the voice's `underruns`).
int MixVoices(MixerVoice* const* voices, int count, float* output, int frames, int outputRate);

class Mixer {
public:
    explicit Mixer(int outputRate) : outputRate(outputRate) {}

    // Held by a voice's owner while it changes the voice, and by Render.
    std::mutex& GetLock() { return lock; }
    // Both take the lock.
    void AddVoice(MixerVoice* voice);
    void RemoveVoice(MixerVoice* voice);
    void SetOutputRate(int rate);

    // Mixes the registered voices into `frames` stereo float frames (see MixVoices).
    void Render(float* output, int frames);

    int64_t GetUnderrunCount();

private:
    std::mutex lock;
    std::vector<MixerVoice*> voices;
    int outputRate;
    int64_t underruns = 0;
};

}  // namespace Nimbrel::Sound
