#pragma once
// Sound::SDLSoundDevice: the sound device on SDL audio.
//
// The device opens SDL's default audio output as 32-bit float stereo (44100 Hz unless the
// output insists on another rate) and mixes all playing buffers in SDL's audio callback (see
// Mixer.h). SDL needs no window for sound; the window argument is accepted for the engine's
// "device for the window" contract. SDL picks the output driver itself and honours its own
// SDL_AUDIODRIVER variable, which is how tests run it on the dummy or disk driver.
//
// CreateBuffer touches neither SDL nor the device's reference count, so it may be called from
// another thread (the audio outlet's feeder does).

#include "sound/Device.h"
#include "sound/Mixer.h"

#include <cstdint>
#include <memory>

namespace Nimbrel::Sound {

class SDLSoundDevice : public Device {
public:
    // Throws "Unable to create sound device" when SDL audio cannot start or open an output.
    explicit SDLSoundDevice(Window* window);
    ~SDLSoundDevice() override;
    SDLSoundDevice(const SDLSoundDevice&) = delete;
    SDLSoundDevice& operator=(const SDLSoundDevice&) = delete;

    // A new SDLSoundBuffer of this device's mixer.
    Buffer* CreateBuffer(int size, int channels, int bitsPerSample, int sampleRate) override;

    int GetOutputRate() const { return outputRate; }
    // Mixing passes, over all buffers so far, in which a looping ring fed by Append played
    // past the data appended to it: the stream's writer did not keep up.
    int64_t GetUnderrunCount() { return mixer->GetUnderrunCount(); }

private:
    static void MixCallback(void* mixer, uint8_t* stream, int length);

    std::shared_ptr<Mixer> mixer;
    uint32_t output = 0;
    int outputRate = 0;
};

}  // namespace Nimbrel::Sound
