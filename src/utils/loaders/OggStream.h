#pragma once
// Utils::Loaders::OggStream: an Ogg Vorbis file decoded as an audio stream.
//
// The compressed data comes from any engine stream (a native file, a zip entry) through
// vorbisfile's callbacks. Nothing is thrown through the decoder: a callback that meets an
// exception returns vorbisfile's error value and keeps the message, which the operation that
// called the decoder then throws. Channel count and sample rate are those of the first
// logical stream; a chained stream whose later part has fewer channels is padded with
// silence, extra channels are dropped.
//
// A looping stream rewinds to its start at the end; a stream with nothing to decode returns
// what it has instead of rewinding forever. A hole in the data (a lost page) is skipped.
// Only a stream over a seekable input knows its length and can seek; the others throw
// "Audio::Stream is not seekable" for both.

#include "core/Managed.h"
#include "io/Stream.h"
#include "utils/audio/Stream.h"

#include <memory>

namespace Nimbrel::Utils::Loaders {

class OggStream : public Audio::Stream {
public:
    // Opens the decoder on the input from its current position, adding a reference to the
    // input (not to the proxy it came from: a cached stream holding its proxy would keep the
    // proxy alive for ever). When the open fails, the input is sought back to that position
    // and "This does not appear to be an Ogg Stream" thrown.
    explicit OggStream(IO::Stream* input);
    ~OggStream() override;
    OggStream(const OggStream&) = delete;
    OggStream& operator=(const OggStream&) = delete;

    bool IsReadable() const override { return true; }
    bool IsSeekable() const override;
    int GetChannelCount() const override { return channels; }
    int GetSampleRate() const override { return sampleRate; }
    int GetSampleCount() const override;
    int GetSamplePosition() const override;
    // Clamped to 0 … the sample count.
    void SeekSample(int frame) override;
    int ReadSamples(float* data, int frames) override;

    struct Decoder;

private:
    Managed<IO::Stream> input;
    std::unique_ptr<Decoder> decoder;  // cleared before the input is released
    int channels = 0;
    int sampleRate = 0;
};

}  // namespace Nimbrel::Utils::Loaders
