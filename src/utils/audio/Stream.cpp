#include "utils/audio/Stream.h"

#include "core/Exception.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace Nimbrel::Utils::Audio {

namespace audio_stream_detail {

int ToByteCount(int64_t bytes)
{
    if (bytes < 0 || bytes > INT_MAX)
        throw Exception("Audio::Stream: Length does not fit a 32-bit byte count");
    return static_cast<int>(bytes);
}

}  // namespace audio_stream_detail

int Stream::GetLength() const
{
    return audio_stream_detail::ToByteCount(static_cast<int64_t>(GetSampleCount()) * GetChannelCount() * 4);
}

int Stream::GetPosition() const
{
    return audio_stream_detail::ToByteCount(static_cast<int64_t>(GetSamplePosition()) * GetChannelCount() * 4);
}

int Stream::Read(void* data, int size, int count)
{
    const int64_t bytes = static_cast<int64_t>(size) * count;
    const int64_t frameBytes = 4 * static_cast<int64_t>(GetChannelCount());
    if (frameBytes <= 0 || bytes % frameBytes != 0)
        throw Exception("Audio::Stream::Read: This is float data, so total bytes to read must be multiple of 4 * channelCount");
    if (bytes < 0 || bytes > INT_MAX)
        throw Exception("Audio::Stream::Read: Invalid number of bytes to read");
    const int frames = ReadSamples(static_cast<float*>(data), static_cast<int>(bytes / frameBytes));
    return static_cast<int>(frames * frameBytes);
}

int Stream::Seek(int origin, int offset)
{
    const int frameBytes = 4 * GetChannelCount();
    if (frameBytes <= 0 || offset % frameBytes != 0)
        throw Exception("Audio::Stream::Seek: This is float data, so offset must be multiple of 4 * channelCount");
    const int64_t frame = offset / frameBytes;
    int64_t target;
    switch (origin) {
    case 0:
        target = frame;
        break;
    case 1:
        target = frame + GetSamplePosition();
        break;
    case 2:
        target = frame + GetSampleCount();
        break;
    default:
        throw Exception("Invalid SeekOrigin");
    }
    SeekSample(static_cast<int>(std::clamp<int64_t>(target, INT_MIN, INT_MAX)));
    return GetPosition();
}

int Stream::GetSampleCount() const
{
    throw Exception("Audio::Stream is not seekable");
}

int Stream::GetSamplePosition() const
{
    throw Exception("Audio::Stream is not seekable");
}

void Stream::SeekSample(int)
{
    throw Exception("Audio::Stream is not seekable");
}

double Stream::GetDuration() const
{
    return static_cast<double>(GetSampleCount()) / GetSampleRate();
}

double Stream::GetTime() const
{
    return static_cast<double>(GetSamplePosition()) / GetSampleRate();
}

void Stream::SeekTime(double seconds)
{
    double frame = std::trunc(GetSampleRate() * seconds);
    if (std::isnan(frame))
        frame = 0.0;
    SeekSample(static_cast<int>(std::clamp(frame, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX))));
}

int Stream::ReadSamples(float*, int)
{
    throw Exception("Audio::Stream is not readable");
}

}  // namespace Nimbrel::Utils::Audio
