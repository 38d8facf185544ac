#pragma once
// Utils::Audio::ClipAudioStream: a readable, seekable audio stream over a Clip.
//
// 8-bit samples are unsigned with 128 as silence, 16-bit samples signed; both are scaled by
// 1/128 and 1/32768 into -1 … 1. 32-bit samples are floats, passed through. Any other width
// throws "Only Audio::Clip with 1, 2 or 4 BitsPrSample supported" on the first read. A
// trailing partial frame of the clip is never read.

#include "core/Managed.h"
#include "utils/audio/Clip.h"
#include "utils/audio/Stream.h"

namespace Nimbrel::Utils::Audio {

class ClipAudioStream : public Stream {
public:
    // Adds a reference to the clip for the stream's lifetime.
    explicit ClipAudioStream(Clip* clip);

    bool IsReadable() const override { return true; }
    bool IsSeekable() const override { return true; }
    int GetChannelCount() const override { return clip->GetChannelCount(); }
    int GetSampleRate() const override { return clip->GetSampleRate(); }
    int GetSampleCount() const override { return frameCount; }
    int GetSamplePosition() const override { return current; }
    // Clamped to 0 … the frame count.
    void SeekSample(int frame) override;
    int ReadSamples(float* data, int frames) override;

private:
    Managed<Clip> clip;
    int current = 0;
    int frameCount = 0;
    int sampleBytes;
};

}  // namespace Nimbrel::Utils::Audio
