#include "utils/audio/ClipAudioStream.h"

#include "core/Exception.h"
#include "sound/SampleFormat.h"

#include <algorithm>
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
        for (int c = 0; c < channels; ++c, sample += sampleBytes)
            data[static_cast<size_t>(i) * channels + c] = Sound::DecodeSample(sample, width);
        ++current;
    }
    return std::max(frames, 0);
}

}  // namespace Nimbrel::Utils::Audio
