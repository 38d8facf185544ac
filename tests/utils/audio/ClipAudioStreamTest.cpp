// Audio streams over clips: sample formats, looping, seeking, and the byte view of the floats.
#include "utils/audio/ClipAudioStream.h"

#include "core/Managed.h"
#include "utils/audio/Clip.h"

#include "support/Expect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace clip_audio_stream_test {

Audio::Clip* MakeClip(std::vector<uint8_t> bytes, int channels, int width, int rate = 22050)
{
    std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
    std::memcpy(data.get(), bytes.data(), bytes.size());
    return new Audio::Clip(static_cast<int>(bytes.size()), channels, width, rate, std::move(data));
}

std::vector<float> ReadAll(Audio::Stream& stream, int frames)
{
    std::vector<float> samples(static_cast<size_t>(frames) * stream.GetChannelCount(), -9.0f);
    const int read = stream.ReadSamples(samples.data(), frames);
    samples.resize(static_cast<size_t>(read) * stream.GetChannelCount());
    return samples;
}

TEST(ClipAudioStream, ScalesEachSampleWidthIntoTheFloatRange)
{
    float floats[3] = {0.5f, -0.25f, 1.5f};
    std::vector<uint8_t> floatBytes(12);
    std::memcpy(floatBytes.data(), floats, 12);
    struct Case {
        std::vector<uint8_t> bytes;
        int width;
        std::vector<float> samples;
    };
    // 8-bit data is unsigned with 128 as silence; 16-bit data is signed little-endian.
    for (const Case& c : {Case{{0x80, 0xFF, 0x00, 0x40}, 8, {0.0f, 127 / 128.0f, -1.0f, -0.5f}},
                          Case{{0x00, 0x00, 0xFF, 0x7F, 0x00, 0x80, 0x00, 0xC0}, 16, {0.0f, 32767 / 32768.0f, -1.0f, -0.5f}},
                          Case{floatBytes, 32, {0.5f, -0.25f, 1.5f}}}) {
        Managed<Audio::Clip> clip(MakeClip(c.bytes, 1, c.width));
        Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
        EXPECT_EQ(stream->GetSampleCount(), static_cast<int>(c.samples.size())) << c.width;
        EXPECT_EQ(ReadAll(*stream, 10), c.samples) << c.width;
    }
}

TEST(ClipAudioStream, InterleavesChannelsAndLoopsWithinOneRead)
{
    // Three stereo 16-bit frames: (1, -1), (2, -2), (3, -3) in units of 1/32768.
    std::vector<uint8_t> bytes;
    for (int i = 1; i <= 3; ++i)
        for (int value : {i, -i}) {
            bytes.push_back(static_cast<uint8_t>(value & 0xFF));
            bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
        }
    Managed<Audio::Clip> clip(MakeClip(bytes, 2, 16, 8000));
    Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
    EXPECT_EQ(stream->GetChannelCount(), 2);
    EXPECT_EQ(stream->GetSampleRate(), 8000);
    EXPECT_EQ(stream->GetSampleCount(), 3);
    EXPECT_DOUBLE_EQ(stream->GetDuration(), 3 / 8000.0);
    const float u = 1 / 32768.0f;

    stream->SeekSample(2);
    stream->SetLooping(true);
    EXPECT_EQ(ReadAll(*stream, 4), (std::vector<float>{3 * u, -3 * u, u, -u, 2 * u, -2 * u, 3 * u, -3 * u}));
    EXPECT_EQ(stream->GetSamplePosition(), 3);

    stream->SetLooping(false);
    EXPECT_EQ(ReadAll(*stream, 4).size(), 0u);
    stream->SeekSample(-5);
    EXPECT_EQ(stream->GetSamplePosition(), 0);
    stream->SeekSample(99);
    EXPECT_EQ(stream->GetSamplePosition(), 3);
    stream->SeekTime(2 / 8000.0 + 1e-9);
    EXPECT_EQ(stream->GetSamplePosition(), 2);
    EXPECT_DOUBLE_EQ(stream->GetTime(), 2 / 8000.0);
}

TEST(ClipAudioStream, ByteAccessWorksInWholeFloatFrames)
{
    Managed<Audio::Clip> clip(MakeClip(std::vector<uint8_t>(4 * 2 * 2, 0), 2, 16));
    Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
    EXPECT_EQ(stream->GetLength(), 4 * 2 * 4);
    float data[16];
    EXPECT_THROW_MESSAGE(stream->Read(data, 12, 1),
                         "Audio::Stream::Read: This is float data, so total bytes to read must be multiple of 4 * channelCount");
    EXPECT_EQ(stream->Read(data, 4, 4), 16);
    EXPECT_EQ(stream->GetPosition(), 16);
    EXPECT_EQ(stream->Read(data, 1, 64), 16);  // only two frames are left
    EXPECT_EQ(stream->Read(data, 8, 1), 0);

    EXPECT_EQ(stream->Seek(0, 8), 8);
    EXPECT_EQ(stream->Seek(1, 16), 24);
    EXPECT_EQ(stream->Seek(2, -24), 8);
    EXPECT_EQ(stream->Seek(2, 80), 32);  // clamped to the end
    EXPECT_THROW_MESSAGE(stream->Seek(0, 4), "Audio::Stream::Seek: This is float data, so offset must be multiple of 4 * channelCount");
    EXPECT_THROW_MESSAGE(stream->Seek(3, 8), "Invalid SeekOrigin");
}

TEST(ClipAudioStream, UnsupportedWidthsAndEmptyClips)
{
    Managed<Audio::Clip> wide(MakeClip(std::vector<uint8_t>(12, 0), 1, 24));
    Managed<Audio::ClipAudioStream> stream(wide->CreateStream());
    float data[4];
    EXPECT_THROW_MESSAGE(stream->ReadSamples(data, 1), "Only Audio::Clip with 1, 2 or 4 BitsPrSample supported");

    // An empty looping clip returns nothing instead of looping forever.
    Managed<Audio::Clip> empty(new Audio::Clip(0, 2, 16, 44100));
    Managed<Audio::ClipAudioStream> nothing(empty->CreateStream());
    nothing->SetLooping(true);
    EXPECT_EQ(nothing->ReadSamples(data, 2), 0);

    // A trailing partial frame is not read.
    Managed<Audio::Clip> ragged(MakeClip(std::vector<uint8_t>(7, 0), 2, 16));
    Managed<Audio::ClipAudioStream> whole(ragged->CreateStream());
    EXPECT_EQ(whole->GetSampleCount(), 1);

    EXPECT_THROW_MESSAGE(Audio::Clip(16, 0, 16, 44100), "Audio::Clip: Invalid format");
    EXPECT_THROW_MESSAGE(Audio::Clip(-1, 1, 16, 44100), "Audio::Clip: Invalid format");
}

TEST(ClipAudioStream, KeepsItsClipAlive)
{
    Audio::Clip* clip = MakeClip({0x80, 0x90}, 1, 8);
    Audio::ClipAudioStream* stream = clip->CreateStream();
    clip->Release();
    float data[2];
    EXPECT_EQ(stream->ReadSamples(data, 2), 2);
    EXPECT_EQ(data[1], 16 / 128.0f);
    stream->Release();
}

TEST(AudioStream, TheBaseStreamIsNeitherSeekableNorReadable)
{
    Managed<Audio::Stream> stream(new Audio::Stream());
    EXPECT_EQ(stream->GetChannelCount(), 1);
    EXPECT_EQ(stream->GetSampleRate(), 44100);
    EXPECT_FALSE(stream->IsLooping());
    EXPECT_THROW_MESSAGE(stream->GetSampleCount(), "Audio::Stream is not seekable");
    EXPECT_THROW_MESSAGE(stream->GetDuration(), "Audio::Stream is not seekable");
    EXPECT_THROW_MESSAGE(stream->GetLength(), "Audio::Stream is not seekable");
    EXPECT_THROW_MESSAGE(stream->SeekTime(1.0), "Audio::Stream is not seekable");
    float data[1];
    EXPECT_THROW_MESSAGE(stream->ReadSamples(data, 1), "Audio::Stream is not readable");
    EXPECT_THROW_MESSAGE(stream->Write(data, 4, 1), "Stream not writeable");
}

}  // namespace clip_audio_stream_test
