#pragma once
// Utils::Audio::Outlet: plays one audio stream through a looping buffer of a sound device.
//
// A feeder thread of its own decodes the stream chunk by chunk, converts it to 16-bit PCM
// and keeps a 44100-byte ring topped up with one to two chunks ahead of the play cursor; the
// main thread only posts requests, which the feeder serves within one poll (10 ms plus the
// time to queue audio). After construction the feeder alone touches the stream and the
// buffer, so the main thread must neither read nor seek the stream while the outlet exists;
// the stream and the device are not counted and must outlive the outlet.
//
// Requests: play state is last-writer-wins (Stop then Play between two polls ends up
// playing); a Seek posted while the feeder serves an earlier one is served after it.
// Audio already queued (up to two chunks) still plays before a seek takes effect.
//
// End of stream: the last, partial chunk is padded with silence, and the feeder keeps
// queuing silence until the play cursor has passed the last decoded frame; only then is the
// outlet finished, the buffer stopped and released, and the feeder ended. A stream that
// throws ends the same way at once, and GetError() tells why.

#include "core/Managed.h"
#include "core/Object.h"
#include "core/String.h"
#include "platform/Thread.h"
#include "sound/Device.h"
#include "utils/audio/Stream.h"

#include <cstdint>
#include <memory>

namespace Nimbrel::Utils::Audio {

// The conversion the outlet feeds the device with: each float clamped to -1 … 1, scaled by
// 32767 and truncated toward zero (1.0 gives 32767, -1.0 gives -32767, NaN gives 0).
void ConvertToPCM16(const float* samples, int16_t* pcm, int count);

class Outlet : public Object {
public:
    // Bytes of the sound buffer ring.
    static constexpr int RingBytes = 44100;

    // Starts the feeder, which creates the buffer and queues the first chunk; nothing is
    // heard before Play. Throws "Audio::Outlet: A chunk of N frames does not fit the sound
    // buffer" unless two chunks of 16-bit frames fit the ring, so that topping up never
    // overwrites audio not yet played.
    Outlet(Stream* stream, Sound::Device* device, int chunkFrames);
    // Asks the feeder to end and waits for it; never throws.
    ~Outlet() override;
    Outlet(const Outlet&) = delete;
    Outlet& operator=(const Outlet&) = delete;

    void Play();
    // Pauses; the queued audio stays and Play resumes it.
    void Stop();
    void Seek(double seconds);
    // True once the last decoded frame has been played (or the feeder failed).
    bool IsFinished() const;
    // The stream's duration, read once at construction; throws what the stream threw then.
    double GetDuration() const;
    // Why the feeder ended early; empty when it did not.
    String GetError() const;

    struct Control;

private:
    std::unique_ptr<Control> control;
    Managed<Thread> feeder;
    double duration = 0.0;
    String durationError;
    bool hasDuration = false;
};

}  // namespace Nimbrel::Utils::Audio
