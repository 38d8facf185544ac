// Ogg Vorbis decoding over engine streams, with fixtures encoded here by libvorbisenc.
#include "utils/loaders/OggStream.h"

#include "core/Exception.h"
#include "core/Managed.h"

#include "support/Expect.h"
#include "support/MemoryStream.h"
#include "support/VorbisEncoder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace ogg_stream_test {

// A slow sweep, left and right in opposite phase: smooth enough to survive the encoder.
std::vector<float> Sweep(int frames, int channels, int rate)
{
    std::vector<float> samples;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const float value = static_cast<float>(0.5 * std::sin(2 * M_PI * (200 + 100 * t) * t));
        for (int c = 0; c < channels; ++c)
            samples.push_back(c % 2 ? -value : value);
    }
    return samples;
}

struct Fixture {
    int frames;
    int channels;
    int rate;
    std::vector<float> source;
    std::vector<uint8_t> file;
};

const Fixture& Stereo()
{
    static const Fixture fixture = [] {
        Fixture f{50000, 2, 44100, Sweep(50000, 2, 44100), {}};
        f.file = Testing::EncodeVorbis(f.source, 2, 44100, 0.4f, 1024);
        return f;
    }();
    return fixture;
}

Testing::MemoryStream* NewInput(const std::vector<uint8_t>& bytes, bool seekable = true)
{
    auto* stream = new Testing::MemoryStream(bytes);
    stream->seekable = seekable;
    return stream;
}

// Adopts the input.
Loaders::OggStream* Open(Testing::MemoryStream* input)
{
    Managed<Testing::MemoryStream> held(input);
    return new Loaders::OggStream(input);
}

std::vector<float> ReadFrames(Audio::Stream& stream, int frames)
{
    std::vector<float> samples(static_cast<size_t>(frames) * stream.GetChannelCount());
    const int read = stream.ReadSamples(samples.data(), frames);
    samples.resize(static_cast<size_t>(read) * stream.GetChannelCount());
    return samples;
}

TEST(OggStream, DecodesWithTheEncodedPropertiesAndSignal)
{
    const Fixture& f = Stereo();
    Managed<Loaders::OggStream> stream(Open(NewInput(f.file)));
    EXPECT_TRUE(stream->IsReadable());
    EXPECT_TRUE(stream->IsSeekable());
    EXPECT_EQ(stream->GetChannelCount(), 2);
    EXPECT_EQ(stream->GetSampleRate(), 44100);
    EXPECT_EQ(stream->GetSampleCount(), f.frames);
    EXPECT_DOUBLE_EQ(stream->GetDuration(), f.frames / 44100.0);
    EXPECT_EQ(stream->GetLength(), f.frames * 2 * 4);

    std::vector<float> decoded = ReadFrames(*stream, f.frames + 100);
    ASSERT_EQ(decoded.size(), f.source.size()) << "a read at the end returns only what is left";
    double error = 0, energy = 0;
    for (size_t i = 0; i < decoded.size(); ++i) {
        error += (decoded[i] - f.source[i]) * (decoded[i] - f.source[i]);
        energy += f.source[i] * f.source[i];
    }
    EXPECT_LT(error / energy, 0.01) << "the decoded signal is not the encoded one";
    EXPECT_EQ(stream->GetSamplePosition(), f.frames);
    EXPECT_EQ(ReadFrames(*stream, 10).size(), 0u);
}

TEST(OggStream, ASeekGivesWhatASequentialReadGives)
{
    const Fixture& f = Stereo();
    Managed<Loaders::OggStream> stream(Open(NewInput(f.file)));
    std::vector<float> sequential = ReadFrames(*stream, f.frames);
    for (int start : {0, 1, 4095, 25000, f.frames - 700}) {
        stream->SeekSample(start);
        EXPECT_EQ(stream->GetSamplePosition(), start);
        std::vector<float> part = ReadFrames(*stream, 600);
        ASSERT_EQ(part.size(), 1200u) << start;
        for (size_t i = 0; i < part.size(); ++i)
            ASSERT_NEAR(part[i], sequential[2 * static_cast<size_t>(start) + i], 1e-6) << "seek to " << start << ", sample " << i;
    }
    stream->SeekSample(-10);
    EXPECT_EQ(stream->GetSamplePosition(), 0);
    stream->SeekSample(f.frames + 10);
    EXPECT_EQ(stream->GetSamplePosition(), f.frames);

    // The byte view: whole float frames.
    stream->Seek(0, 8 * 100);
    EXPECT_EQ(stream->GetPosition(), 800);
    float two[4];
    EXPECT_EQ(stream->Read(two, 4, 4), 16);
    EXPECT_NEAR(two[0], sequential[200], 1e-6);
    EXPECT_THROW_MESSAGE(stream->Read(two, 12, 1),
                         "Audio::Stream::Read: This is float data, so total bytes to read must be multiple of 4 * channelCount");
    EXPECT_THROW_MESSAGE(stream->Seek(3, 0), "Invalid SeekOrigin");
}

TEST(OggStream, ALoopingStreamGoesOnFromItsStartWithinOneRead)
{
    const Fixture& f = Stereo();
    Managed<Loaders::OggStream> stream(Open(NewInput(f.file)));
    std::vector<float> start = ReadFrames(*stream, 1000);
    stream->SeekSample(f.frames - 500);
    stream->SetLooping(true);
    std::vector<float> wrapped = ReadFrames(*stream, 1500);
    ASSERT_EQ(wrapped.size(), 3000u);
    for (size_t i = 0; i < 2000; ++i)
        ASSERT_NEAR(wrapped[1000 + i], start[i], 1e-6) << i;
}

TEST(OggStream, AnUnseekableInputDecodesButHasNoLength)
{
    const Fixture& f = Stereo();
    Managed<Loaders::OggStream> stream(Open(NewInput(f.file, false)));
    EXPECT_FALSE(stream->IsSeekable());
    EXPECT_EQ(stream->GetChannelCount(), 2);
    EXPECT_THROW_MESSAGE(stream->GetSampleCount(), "Audio::Stream is not seekable");
    EXPECT_THROW_MESSAGE(stream->GetDuration(), "Audio::Stream is not seekable");
    EXPECT_THROW_MESSAGE(stream->SeekSample(10), "Audio::Stream is not seekable");
    stream->SetLooping(true);  // cannot rewind: the end is the end
    EXPECT_EQ(ReadFrames(*stream, f.frames + 1000).size(), f.source.size());
    EXPECT_EQ(ReadFrames(*stream, 10).size(), 0u);
}

// An input whose reads throw once `failAt` bytes have been delivered in all, or once told to.
class FailingInput : public Testing::MemoryStream {
public:
    FailingInput(std::vector<uint8_t> bytes, int failAt) : MemoryStream(std::move(bytes)), failAt(failAt) {}
    int Read(void* data, int size, int count) override
    {
        if (failing || delivered >= failAt)
            throw Exception("The disk went away");
        const int read = MemoryStream::Read(data, 1, std::min(size * count, failAt - delivered));
        delivered += read;
        return read;
    }
    int failAt;
    int delivered = 0;
    bool failing = false;
};

TEST(OggStream, FailuresOfTheInputComeBackAsExceptionsNotThroughTheDecoder)
{
    const Fixture& f = Stereo();
    // The input goes away after the open; vorbisfile alone would take that for the end.
    auto* input = new FailingInput(f.file, INT_MAX);
    Managed<Loaders::OggStream> stream(Open(input));
    input->failing = true;
    std::vector<float> samples(2 * 4096);
    EXPECT_THROW_MESSAGE(
        {
            for (int i = 0; i < 100; ++i)
                stream->ReadSamples(samples.data(), 4096);
        },
        "The disk went away");
    // A looping stream that cannot rewind says why.
    input->failing = false;
    stream->SeekSample(f.frames - 10);
    stream->SetLooping(true);
    input->failing = true;
    EXPECT_THROW_MESSAGE(stream->ReadSamples(samples.data(), 4096), "The disk went away");

    // Failing while the decoder opens is a failed open.
    EXPECT_THROW_MESSAGE(Open(new FailingInput(f.file, 10)), "This does not appear to be an Ogg Stream");
}

TEST(OggStream, AFailedOpenLeavesTheInputWhereItWas)
{
    std::vector<uint8_t> notOgg(500, 'x');
    Managed<Testing::MemoryStream> input(NewInput(notOgg));
    input->Seek(0, 37);
    EXPECT_THROW_MESSAGE(Loaders::OggStream{input.Get()}, "This does not appear to be an Ogg Stream");
    EXPECT_EQ(input->GetPosition(), 37);
}

// Where an Ogg page starts: the offsets of "OggS" in the file.
std::vector<size_t> PageStarts(const std::vector<uint8_t>& file)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i + 4 <= file.size(); ++i)
        if (file[i] == 'O' && file[i + 1] == 'g' && file[i + 2] == 'g' && file[i + 3] == 'S')
            starts.push_back(i);
    return starts;
}

TEST(OggStream, MalformedFilesEndInExceptionsOrShortReads)
{
    const Fixture& f = Stereo();
    const std::vector<size_t> pages = PageStarts(f.file);
    ASSERT_GT(pages.size(), 4u);
    auto cut = [&](size_t length) { return std::vector<uint8_t>(f.file.begin(), f.file.begin() + length); };
    auto patched = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> bytes = f.file;
        bytes[at] = value;
        return bytes;
    };
    auto hugeGranule = [&] {
        std::vector<uint8_t> bytes = f.file;
        const size_t last = pages.back();
        for (int i = 6; i < 14; ++i)
            bytes[last + i] = i == 13 ? 0x0F : 0xFF;  // granule position of the last page
        return bytes;
    };
    std::vector<uint8_t> garbage;
    for (int i = 0; i < 5000; ++i)
        garbage.push_back(static_cast<uint8_t>((i * 7919) >> 3));

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool opens;
    };
    const std::vector<Case> cases = {
        {"empty", {}, false},
        {"garbage", garbage, false},
        {"only the capture pattern", cut(4), false},
        {"cut inside the first page", cut(pages[1] / 2), false},
        {"only the identification header", cut(pages[1]), false},
        {"cut inside the setup header", cut((pages[1] + pages[2]) / 2), false},
        {"identification header with a broken checksum", patched(22, f.file[22] ^ 0x55), false},
        {"headers without audio", cut(pages[2]), true},
        {"cut in the middle of the audio", cut((pages[2] + f.file.size()) / 2), true},
        {"audio page with a broken checksum", patched(pages[4] + 22, f.file[pages[4] + 22] ^ 0x55), true},
        {"last page lying about the length", hugeGranule(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool seekable : {true, false}) {
            SCOPED_TRACE(seekable ? "seekable" : "unseekable");
            Managed<Loaders::OggStream> stream;
            try {
                stream.Set(Open(NewInput(c.bytes, seekable)));
            } catch (const Exception& error) {
                EXPECT_FALSE(c.opens) << error.GetMessage().CStr();
                EXPECT_STREQ(error.GetMessage().CStr(), "This does not appear to be an Ogg Stream");
                continue;
            }
            EXPECT_TRUE(c.opens);
            // Whatever opens decodes to an end, also when asked to loop.
            for (bool looping : {false, true}) {
                stream->SetLooping(looping);
                std::vector<float> samples(2 * 4096);
                int total = 0;
                for (int i = 0; i < 40; ++i) {
                    int read = 0;
                    try {
                        read = stream->ReadSamples(samples.data(), 4096);
                    } catch (const Exception&) {
                        break;
                    }
                    ASSERT_GE(read, 0);
                    ASSERT_LE(read, 4096);
                    total += read;
                    if (read < 4096)
                        break;
                }
                EXPECT_LE(total, looping ? 40 * 4096 : f.frames);
                if (seekable) {
                    try {
                        stream->SeekSample(0);
                    } catch (const Exception&) {
                    }
                }
            }
        }
    }
}

TEST(OggStream, AStreamWithNothingToDecodeDoesNotLoopForever)
{
    const Fixture& f = Stereo();
    const std::vector<size_t> pages = PageStarts(f.file);
    std::vector<uint8_t> headersOnly(f.file.begin(), f.file.begin() + pages[2]);
    for (bool seekable : {true, false}) {
        Managed<Loaders::OggStream> stream(Open(NewInput(headersOnly, seekable)));
        stream->SetLooping(true);
        float samples[2 * 64];
        EXPECT_EQ(stream->ReadSamples(samples, 64), 0);
    }
}

}  // namespace ogg_stream_test
