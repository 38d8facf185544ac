#pragma once
// Utils::Audio::Clip: PCM sample data held in memory.
//
// The sample width is counted in bits everywhere in the engine: 8 (unsigned PCM, as WAV
// files store it), 16 (signed PCM) or 32 (IEEE float). The clip does not check the width;
// what reads the data does (ClipAudioStream, the sound-buffer loader). Frames interleave the
// channels, little-endian.

#include "core/Object.h"

#include <cstdint>
#include <memory>

namespace Nimbrel::Utils::Audio {

class ClipAudioStream;

class Clip : public Object {
public:
    // An uninitialised block of `size` bytes. Throws "Audio::Clip: Invalid format" for a
    // negative size or a channel count or rate below 1.
    Clip(int size, int channels, int sampleWidth, int sampleRate);
    // Adopts a block of at least `size` bytes.
    Clip(int size, int channels, int sampleWidth, int sampleRate, std::unique_ptr<uint8_t[]> data);
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;

    uint8_t* GetData() { return data.get(); }
    const uint8_t* GetData() const { return data.get(); }
    int GetSize() const { return size; }
    int GetChannelCount() const { return channels; }
    // Bits per sample.
    int GetSampleWidth() const { return sampleWidth; }
    int GetSampleRate() const { return sampleRate; }

    // A new stream over the clip, owned by the caller; it holds a reference to the clip.
    ClipAudioStream* CreateStream();

private:
    std::unique_ptr<uint8_t[]> data;
    int size;
    int channels;
    int sampleWidth;
    int sampleRate;
};

}  // namespace Nimbrel::Utils::Audio
