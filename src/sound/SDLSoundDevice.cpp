#include "sound/SDLSoundDevice.h"

#include "core/Exception.h"
#include "sound/SDLSoundBuffer.h"

#include <SDL.h>

namespace Nimbrel::Sound {

namespace sdl_sound_device_detail {

constexpr int PreferredRate = 44100;
// Frames per callback: about 23 ms at 44100 Hz, small against the outlet's queue.
constexpr int CallbackFrames = 1024;

}  // namespace sdl_sound_device_detail

Device* Device::Create(Window* window)
{
    return new SDLSoundDevice(window);
}

SDLSoundDevice::SDLSoundDevice(Window*)
    : mixer(std::make_shared<Mixer>(sdl_sound_device_detail::PreferredRate))
{
    using namespace sdl_sound_device_detail;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        throw Exception("Unable to create sound device");

    SDL_AudioSpec wanted{};
    wanted.freq = PreferredRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = CallbackFrames;
    wanted.callback = &SDLSoundDevice::MixCallback;
    wanted.userdata = mixer.get();
    SDL_AudioSpec obtained{};
    output = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained,
                                 SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (output == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        throw Exception("Unable to create sound device");
    }
    // The device opens paused: the rate is settled before the first callback.
    outputRate = obtained.freq;
    mixer->SetOutputRate(outputRate);
    SDL_PauseAudioDevice(output, 0);
}

SDLSoundDevice::~SDLSoundDevice()
{
    // Closing waits for a callback in progress; afterwards nothing mixes any more, and the
    // buffers still alive keep the mixer through their own shared pointers.
    SDL_CloseAudioDevice(output);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

Buffer* SDLSoundDevice::CreateBuffer(int size, int channels, int bitsPerSample, int sampleRate)
{
    return new SDLSoundBuffer(mixer, size, channels, bitsPerSample, sampleRate);
}

void SDLSoundDevice::MixCallback(void* mixer, uint8_t* stream, int length)
{
    const int frames = length / static_cast<int>(2 * sizeof(float));
    static_cast<Mixer*>(mixer)->Render(reinterpret_cast<float*>(stream), frames);
}

}  // namespace Nimbrel::Sound
