#pragma once
// Utils::Audio::Stream: a source of interleaved 32-bit float samples in -1 … 1.
//
// A frame holds one sample per channel, channel 0 first; positions and lengths counted in
// frames are "sample counts". The byte operations of IO::Stream see the float data: Read
// and Seek work in whole frames of 4 × channels bytes. A looping stream that reaches its end
// goes on from frame 0 within the same ReadSamples call.
//
// The base class is the empty, unseekable, unreadable stream of one channel at 44100 Hz;
// decoders override what they offer.

#include "io/Stream.h"

namespace Nimbrel::Utils::Audio {

class Stream : public IO::Stream {
public:
    // GetSampleCount() × channels × 4; throws when that does not fit a 32-bit byte count.
    int GetLength() const override;
    int GetPosition() const override;
    // Reads whole frames into the bytes. Throws "Audio::Stream::Read: This is float data, so
    // total bytes to read must be multiple of 4 * channelCount" otherwise. Returns bytes read.
    int Read(void* data, int size, int count) override;
    // Origin 0 start, 1 current, 2 end; the offset must be whole frames ("Audio::Stream::Seek:
    // This is float data, so offset must be multiple of 4 * channelCount"); any other origin
    // throws "Invalid SeekOrigin". Returns the new byte position.
    int Seek(int origin, int offset) override;

    virtual int GetChannelCount() const { return 1; }
    virtual int GetSampleRate() const { return 44100; }
    // Each of these three throws "Audio::Stream is not seekable" unless overridden.
    virtual int GetSampleCount() const;
    virtual int GetSamplePosition() const;
    virtual void SeekSample(int frame);
    virtual double GetDuration() const;
    virtual double GetTime() const;
    // SeekSample(sample rate × seconds), truncated (and held within the range of a frame count).
    virtual void SeekTime(double seconds);
    // Reads up to `frames` frames into `data` (frames × channels floats); returns the frames
    // read, fewer only at the end of a stream that does not loop. Throws "Audio::Stream is not
    // readable" unless overridden.
    virtual int ReadSamples(float* data, int frames);

    void SetLooping(bool looping) { this->looping = looping; }
    bool IsLooping() const { return looping; }

private:
    bool looping = false;
};

}  // namespace Nimbrel::Utils::Audio
