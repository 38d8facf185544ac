#include "utils/loaders/AudioClipLoader.h"

#include "core/Exception.h"
#include "utils/audio/Clip.h"
#include "utils/audio/Stream.h"
#include "utils/loaders/PrivateRequest.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace Nimbrel::Utils::Loaders {

namespace audio_clip_loader_detail {

constexpr int PieceFrames = 64 * 1024;

}  // namespace audio_clip_loader_detail

Object* AudioClipLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    using namespace audio_clip_loader_detail;
    Managed<Audio::Stream> stream = RequestPrivate<Audio::Stream>(proxy, ResourceType::AudioStream, descriptor);
    const int channels = stream->GetChannelCount();
    const int expected = stream->GetSampleCount();
    if (channels < 1 || static_cast<int64_t>(expected) * channels * 4 > INT_MAX)
        throw Exception("AudioClipLoader: The stream is too long for a clip");

    try {
        std::vector<float> samples;
        int frames = 0;
        while (frames < expected) {
            const int piece = std::min(PieceFrames, expected - frames);
            samples.resize(static_cast<size_t>(frames + piece) * channels);
            const int read = std::clamp(stream->ReadSamples(samples.data() + static_cast<size_t>(frames) * channels, piece), 0, piece);
            frames += read;
            if (read < piece)
                break;
        }
        const int size = frames * channels * 4;
        std::unique_ptr<uint8_t[]> data(new uint8_t[static_cast<size_t>(size)]);
        // A stream of no frames leaves `samples` without storage: nothing to copy then.
        if (size > 0)
            std::memcpy(data.get(), samples.data(), static_cast<size_t>(size));
        return new Audio::Clip(size, channels, 32, stream->GetSampleRate(), std::move(data));
    } catch (const std::bad_alloc&) {
        throw Exception("AudioClipLoader: Not enough memory for the clip");
    }
}

}  // namespace Nimbrel::Utils::Loaders
