#include "utils/audio/ClipAudioStream.h"

#include "core/Exception.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace Nimbrel::Utils::Audio {

ClipAudioStream::ClipAudioStream(Clip* clip) : sampleBytes(clip->GetSampleWidth() / 8)
{
    clip->AddRef();
    this->clip.Set(clip);
    const int width = clip->GetSampleWidth();
    if (width == 8 || width == 16 || width == 32)
        frameCount = clip->GetSize() / (sampleBytes * clip->GetChannelCount());
}

void ClipAudioStream::SeekSample(int frame)
{
    current = std::clamp(frame, 0, frameCount);
}

int ClipAudioStream::ReadSamples(float* data, int frames)
{
    const int width = clip->GetSampleWidth();
    if (width != 8 && width != 16 && width != 32)
        throw Exception("Only Audio::Clip with 1, 2 or 4 BitsPrSample supported");
    const int channels = clip->GetChannelCount();
    const uint8_t* bytes = clip->GetData();
    for (int i = 0; i < frames; ++i) {
        if (current >= frameCount) {
            // An empty clip has nothing to loop over.
            if (!IsLooping() || frameCount == 0)
                return i;
            current = 0;
        }
        const uint8_t* sample = bytes + static_cast<size_t>(current) * channels * sampleBytes;
        for (int c = 0; c < channels; ++c, sample += sampleBytes) {
            float value;
            if (width == 8) {
                value = (static_cast<int>(sample[0]) - 128) / 128.0f;
            } else if (width == 16) {
                value = static_cast<int16_t>(static_cast<uint16_t>(sample[0] | (sample[1] << 8))) / 32768.0f;
            } else {
                uint32_t bits = sample[0] | (sample[1] << 8) | (sample[2] << 16) | (static_cast<uint32_t>(sample[3]) << 24);
                value = std::bit_cast<float>(bits);
            }
            data[static_cast<size_t>(i) * channels + c] = value;
        }
        ++current;
    }
    return std::max(frames, 0);
}

}  // namespace Nimbrel::Utils::Audio
