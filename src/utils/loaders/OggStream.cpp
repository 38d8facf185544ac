#include "utils/loaders/OggStream.h"

#include "core/Exception.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>

namespace Nimbrel::Utils::Loaders {

// The decoder and what its callbacks need. `failure` keeps the message of the last
// exception a callback caught, for the operation that called the decoder to throw.
struct OggStream::Decoder {
    OggVorbis_File file{};
    IO::Stream* input = nullptr;
    std::string failure;
    bool open = false;

    ~Decoder()
    {
        if (open)
            ov_clear(&file);
    }
};

namespace ogg_stream_detail {

// Consecutive holes skipped within one read before the data counts as undecodable.
constexpr int MaxHoles = 1024;

size_t Read(void* buffer, size_t size, size_t count, void* source)
{
    auto& decoder = *static_cast<OggStream::Decoder*>(source);
    if (size == 0 || count == 0)
        return 0;
    const size_t bytes = count > static_cast<size_t>(INT_MAX) / size ? static_cast<size_t>(INT_MAX) : size * count;
    try {
        const int moved = decoder.input->Read(buffer, 1, static_cast<int>(bytes));
        if (moved < 0 || static_cast<size_t>(moved) > bytes) {
            decoder.failure = "OggStream: The input stream reported an impossible read";
            errno = EIO;
            return 0;
        }
        // vorbisfile takes a short read with errno set for a failure: whatever the input left
        // in errno must not turn the end of the data into one.
        errno = 0;
        return static_cast<size_t>(moved) / size;
    } catch (const Exception& error) {
        decoder.failure = error.GetMessage().CStr();
    } catch (...) {
        decoder.failure = "OggStream: Reading the input stream failed";
    }
    errno = EIO;
    return 0;
}

int Seek(void* source, ogg_int64_t offset, int origin)
{
    auto& decoder = *static_cast<OggStream::Decoder*>(source);
    if (origin != 0 && origin != 1 && origin != 2) {
        decoder.failure = "Ogg Error";
        return -1;
    }
    try {
        // Unseekable input is normal (vorbisfile asks once to find out): no failure to report.
        if (!decoder.input->IsSeekable() || offset < INT_MIN || offset > INT_MAX)
            return -1;
        decoder.input->Seek(origin, static_cast<int>(offset));
        return 0;
    } catch (const Exception& error) {
        decoder.failure = error.GetMessage().CStr();
    } catch (...) {
        decoder.failure = "OggStream: Seeking the input stream failed";
    }
    return -1;
}

int Close(void*)
{
    // The OggStream's handle releases the input.
    return 0;
}

long Tell(void* source)
{
    auto& decoder = *static_cast<OggStream::Decoder*>(source);
    try {
        return decoder.input->GetPosition();
    } catch (const Exception& error) {
        decoder.failure = error.GetMessage().CStr();
    } catch (...) {
        decoder.failure = "OggStream: Asking the input stream for its position failed";
    }
    return -1;
}

[[noreturn]] void ThrowFailure(OggStream::Decoder& decoder, const char* otherwise)
{
    std::string message = decoder.failure.empty() ? std::string(otherwise) : decoder.failure;
    decoder.failure.clear();
    throw Exception(message.c_str());
}

}  // namespace ogg_stream_detail

OggStream::OggStream(IO::Stream* stream) : decoder(std::make_unique<Decoder>())
{
    using namespace ogg_stream_detail;
    stream->AddRef();
    input.Set(stream);
    decoder->input = stream;
    const int start = stream->GetPosition();
    const ov_callbacks callbacks{&ogg_stream_detail::Read, &ogg_stream_detail::Seek, &ogg_stream_detail::Close,
                                 &ogg_stream_detail::Tell};
    if (ov_open_callbacks(decoder.get(), &decoder->file, nullptr, 0, callbacks) != 0) {
        try {
            if (stream->IsSeekable())
                stream->Seek(0, start);
        } catch (const Exception&) {
            // The open already failed; that is what gets reported.
        }
        throw Exception("This does not appear to be an Ogg Stream");
    }
    decoder->open = true;
    const vorbis_info* info = ov_info(&decoder->file, -1);
    if (!info || info->channels < 1 || info->rate < 1 || info->rate > INT_MAX)
        throw Exception("This does not appear to be an Ogg Stream");
    channels = info->channels;
    sampleRate = static_cast<int>(info->rate);
}

OggStream::~OggStream() = default;

bool OggStream::IsSeekable() const
{
    return ov_seekable(&decoder->file) != 0;
}

int OggStream::GetSampleCount() const
{
    if (!IsSeekable())
        throw Exception("Audio::Stream is not seekable");
    const ogg_int64_t total = ov_pcm_total(&decoder->file, -1);
    if (total < 0)
        throw Exception("OggStream: The length of the stream is unknown");
    if (total > INT_MAX)
        throw Exception("OggStream: The stream is too long");
    return static_cast<int>(total);
}

int OggStream::GetSamplePosition() const
{
    const ogg_int64_t position = ov_pcm_tell(&decoder->file);
    if (position < 0 || position > INT_MAX)
        throw Exception("OggStream: The position in the stream is unknown");
    return static_cast<int>(position);
}

void OggStream::SeekSample(int frame)
{
    const int target = std::clamp(frame, 0, GetSampleCount());
    decoder->failure.clear();
    if (ov_pcm_seek(&decoder->file, target) != 0)
        ogg_stream_detail::ThrowFailure(*decoder, String::Format("OggStream: Unable to seek to sample %d", target).CStr());
}

int OggStream::ReadSamples(float* data, int frames)
{
    using namespace ogg_stream_detail;
    int done = 0;
    int holes = 0;
    bool rewound = false;
    int sinceRewind = 0;
    while (done < frames) {
        float** pcm = nullptr;
        int link = 0;
        decoder->failure.clear();
        const long read = ov_read_float(&decoder->file, &pcm, frames - done, &link);
        if (read > 0) {
            const vorbis_info* info = ov_info(&decoder->file, link);
            const int present = std::min(info ? info->channels : channels, channels);
            const int count = static_cast<int>(std::min<long>(read, frames - done));
            for (int i = 0; i < count; ++i) {
                float* frame = data + static_cast<size_t>(done + i) * channels;
                for (int c = 0; c < present; ++c)
                    frame[c] = pcm[c][i];
                for (int c = present; c < channels; ++c)
                    frame[c] = 0.0f;
            }
            done += count;
            sinceRewind += count;
            holes = 0;
            continue;
        }
        // vorbisfile reports a failed read of the input while decoding as the end of the
        // stream: the callbacks' record tells the two apart.
        if (read == OV_EREAD || !decoder->failure.empty())
            ThrowFailure(*decoder, "OggStream: Unable to read from the input stream");
        if (read == OV_HOLE && ++holes < MaxHoles)
            continue;
        // The end of the stream, or data that does not decode.
        if (!IsLooping() || (rewound && sinceRewind == 0))
            break;
        if (ov_raw_seek(&decoder->file, 0) != 0) {
            if (!decoder->failure.empty())
                ThrowFailure(*decoder, "");
            break;
        }
        rewound = true;
        sinceRewind = 0;
        holes = 0;
    }
    return done;
}

}  // namespace Nimbrel::Utils::Loaders
