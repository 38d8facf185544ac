#pragma once
// Sound::SDLSoundBuffer: a sound buffer of the software mixer (see Mixer.h).
//
// The buffer owns its ring as a MixerVoice registered with the mixer; everything the mixer
// reads is changed under the mixer's lock, so the buffer's owner thread and the audio
// callback share nothing unguarded. The buffer holds the mixer by a shared pointer, so it may
// outlive the device that made it (it is then never mixed again).

#include "sound/Buffer.h"
#include "sound/Mixer.h"

#include <memory>

namespace Nimbrel::Sound {

class SDLSoundBuffer : public Buffer {
public:
    // Throws the "Unable to create sound buffer (...)" messages: "(Bad format)" unless there
    // are 1 or 2 channels of 8, 16 or 32 bits at 100 … 200000 Hz; "(Buffer too small)" below
    // 4 bytes or one frame; "(Invalid parameter)" above 0x0FFFFFFF bytes or for a size that is
    // not a whole number of frames; "(Out of memory)" when the ring cannot be allocated.
    SDLSoundBuffer(std::shared_ptr<Mixer> mixer, int size, int channels, int bitsPerSample, int sampleRate);
    ~SDLSoundBuffer() override;
    SDLSoundBuffer(const SDLSoundBuffer&) = delete;
    SDLSoundBuffer& operator=(const SDLSoundBuffer&) = delete;

    void Play(int priority) override;
    void PlayLooping(int priority) override;
    void Stop() override;
    void Write(const void* data, int offset, int size) override;
    void Append(const void* data, int size) override;
    void SetPlayPosition(int offset) override;
    void SetWriteCursor(int offset) override;
    void SetFrequency(int frequency) override;
    void SetPan(float pan) override;
    void SetVolume(float volume) override;
    int GetPlayPosition() override;
    int GetWritePosition() override;
    int GetFreeSpace() override;
    int GetFrequency() override { return frequency; }
    float GetPan() override { return pan; }
    float GetVolume() override { return volume; }
    int GetChannelCount() override { return channels; }
    int GetBitsPerSample() override { return bitsPerSample; }

    int GetSize() const { return size; }
    // Times the play cursor ran past the appended data of this looping, Append-fed ring.
    int64_t GetUnderrunCount();

private:
    void CopyIn(const void* data, int offset, int count);
    void RecountQueued();

    std::shared_ptr<Mixer> mixer;
    MixerVoice voice;  // under the mixer's lock once registered
    float pan = 0.0f;
    float volume = 1.0f;
    int frequency;
    int channels;
    int bitsPerSample;
    int writeCursor = 0;
    int size;
    int sampleRate;
};

}  // namespace Nimbrel::Sound
