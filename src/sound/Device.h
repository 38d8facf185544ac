#pragma once
// Sound::Device: makes the PCM buffers that the engine plays its sound through.
//
// One device is made for the Application's window. Buffers are independent of each other;
// a buffer may be created and driven from another thread than the device's (the audio
// outlet's feeder thread does), and may outlive the device, after which it plays nothing.

#include "core/Object.h"

namespace Nimbrel {
class Window;
}

namespace Nimbrel::Sound {

class Buffer;

class Device : public Object {
public:
    // The platform's device for the window, owned by the caller. Throws "Unable to create
    // sound device" when there is no audio output to open.
    static Device* Create(Window* window);

    ~Device() override = default;
    // A new silent, stopped buffer of `size` bytes holding PCM frames of `channels` channels
    // of `bitsPerSample` bits at `sampleRate` Hz, owned by the caller. Throws "Unable to
    // create sound buffer (...)" with the reason in brackets when the format or size is not
    // possible.
    virtual Buffer* CreateBuffer(int size, int channels, int bitsPerSample, int sampleRate) = 0;
};

}  // namespace Nimbrel::Sound
