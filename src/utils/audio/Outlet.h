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
//
// What is heard: the feeder keeps a mono copy of the ring as it writes it (the 16-bit samples
// that reach the device, channels averaged) and, once per poll, publishes where the buffer's
// play cursor is. ReadHeard hands the main thread the audio that ends at that cursor, so an
// analyser follows what comes out of the buffer, not what the feeder has queued ahead of it:
// queued audio, a seek's late effect and a pause are heard exactly as they play. The cursor is
// as recent as the last poll (10 ms); a stopped buffer keeps it where it stopped, and so does
// a finished outlet.

#include "core/Managed.h"
#include "core/Object.h"
#include "core/String.h"
#include "platform/Thread.h"
#include "sound/Device.h"
#include "utils/audio/HeardSource.h"
#include "utils/audio/Stream.h"
#include "utils/audio/Transport.h"

#include <cstdint>
#include <memory>

namespace Nimbrel::Utils::Audio {

// The conversion the outlet feeds the device with: each float clamped to -1 … 1, scaled by
// 32767 and truncated toward zero (1.0 gives 32767, -1.0 gives -32767, NaN gives 0).
void ConvertToPCM16(const float* samples, int16_t* pcm, int count);

class Outlet : public Object, public HeardSource, public Transport {
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

    void Play() override;
    // Pauses; the queued audio stays and Play resumes it.
    void Stop() override;
    void Seek(double seconds) override;
    // True once the last decoded frame has been played (or the feeder failed).
    bool IsFinished() const;
    // The stream's duration, read once at construction; throws what the stream threw then.
    double GetDuration() const;
    // Why the feeder ended early; empty when it did not.
    String GetError() const;

    // The stream's sample rate, read at construction.
    int GetHeardRate() const override { return sampleRate; }
    // Frames the play cursor has moved over since construction, as of the feeder's last poll.
    int64_t GetHeardFrames() const override;
    // The `frames` mono frames that end at the published play cursor, oldest first. Frames
    // from before playback began, or older than the ring still holds (a ring's worth less what
    // is queued ahead of the cursor), are silence. Copies under a short lock and allocates
    // nothing. Throws "Audio::Outlet::ReadHeard: N frames can not be read" for a negative
    // count or a missing destination.
    void ReadHeard(float* mono, int frames) const override;

    struct Control;

private:
    std::unique_ptr<Control> control;
    Managed<Thread> feeder;
    double duration = 0.0;
    String durationError;
    bool hasDuration = false;
    int sampleRate = 0;
};

}  // namespace Nimbrel::Utils::Audio
