#include "utils/audio/Clip.h"

#include "core/Exception.h"
#include "utils/audio/ClipAudioStream.h"

#include <new>

namespace Nimbrel::Utils::Audio {

namespace clip_detail {

void CheckFormat(int size, int channels, int sampleRate)
{
    if (size < 0 || channels < 1 || sampleRate < 1)
        throw Exception("Audio::Clip: Invalid format");
}

}  // namespace clip_detail

Clip::Clip(int size, int channels, int sampleWidth, int sampleRate)
    : size(size), channels(channels), sampleWidth(sampleWidth), sampleRate(sampleRate)
{
    clip_detail::CheckFormat(size, channels, sampleRate);
    try {
        data.reset(new uint8_t[static_cast<size_t>(size)]);
    } catch (const std::bad_alloc&) {
        throw Exception("Audio::Clip: Out of memory");
    }
}

Clip::Clip(int size, int channels, int sampleWidth, int sampleRate, std::unique_ptr<uint8_t[]> data)
    : data(std::move(data)), size(size), channels(channels), sampleWidth(sampleWidth), sampleRate(sampleRate)
{
    clip_detail::CheckFormat(size, channels, sampleRate);
    if (!this->data && size > 0)
        throw Exception("Audio::Clip: Invalid format");
}

ClipAudioStream* Clip::CreateStream()
{
    return new ClipAudioStream(this);
}

}  // namespace Nimbrel::Utils::Audio
