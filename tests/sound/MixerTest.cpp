// The software mixer and its buffers without any audio output: the tests render by hand.
#include "sound/Mixer.h"
#include "sound/SDLSoundBuffer.h"
#include "sound/SampleFormat.h"

#include "support/Expect.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Sound;

namespace mixer_test {

std::vector<float> Render(Mixer& mixer, int frames)
{
    std::vector<float> output(2 * static_cast<size_t>(frames));
    mixer.Render(output.data(), frames);
    return output;
}

TEST(SampleFormat, DecodesTheEdgeValuesOfEachWidth)
{
    struct Case {
        int bits;
        std::vector<uint8_t> bytes;  // little-endian
        float value;
    };
    const Case cases[] = {
        {8, {0}, -1.0f},
        {8, {127}, -1 / 128.0f},
        {8, {128}, 0.0f},
        {8, {255}, 127 / 128.0f},
        {16, {0x00, 0x80}, -1.0f},
        {16, {0xFF, 0x7F}, 32767 / 32768.0f},
        {16, {0x00, 0x00}, 0.0f},
        {16, {0xFF, 0xFF}, -1 / 32768.0f},
        {16, {0x01, 0x00}, 1 / 32768.0f},
        {16, {0x00, 0x01}, 256 / 32768.0f},
        {32, {0x00, 0x00, 0x80, 0x3F}, 1.0f},
        {32, {0x00, 0x00, 0x80, 0xBF}, -1.0f},
        {32, {0x00, 0x00, 0x00, 0x80}, -0.0f},
        {32, {0x01, 0x00, 0x00, 0x00}, std::numeric_limits<float>::denorm_min()},
        {32, {0x00, 0x00, 0xC0, 0x7F}, std::numeric_limits<float>::quiet_NaN()},
        {32, {0xDB, 0x0F, 0x49, 0x40}, 3.14159274f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, first byte " << int(c.bytes[0]));
        // At an odd address, as samples of odd-sized frames lie.
        uint8_t buffer[5] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
        std::memcpy(buffer + 1, c.bytes.data(), c.bytes.size());
        // Compared bit for bit, so -0 and NaN count too.
        EXPECT_EQ(std::bit_cast<uint32_t>(DecodeSample(buffer + 1, c.bits)), std::bit_cast<uint32_t>(c.value));
    }
}

// A ring of `frames` frames whose samples are all different, with the floats the mixer should
// turn them into.
struct Ring {
    int channels;
    int bits;
    std::vector<uint8_t> bytes;
    std::vector<float> expected;  // per frame: left, right
};

Ring MakeRing(int channels, int bits, int frames)
{
    Ring ring{channels, bits, {}, {}};
    for (int i = 0; i < frames; ++i) {
        float frame[2];
        for (int c = 0; c < channels; ++c) {
            const int n = i * channels + c;
            if (bits == 8) {
                uint8_t value = static_cast<uint8_t>(n * 7 + 3);
                ring.bytes.push_back(value);
                frame[c] = (value - 128) / 128.0f;
            } else if (bits == 16) {
                int16_t value = static_cast<int16_t>(n * 389 - 20000);
                ring.bytes.push_back(static_cast<uint8_t>(value & 0xFF));
                ring.bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
                frame[c] = value / 32768.0f;
            } else {
                float value = std::sin(n * 0.1f) * 0.9f;
                uint8_t raw[4];
                std::memcpy(raw, &value, 4);
                ring.bytes.insert(ring.bytes.end(), raw, raw + 4);
                frame[c] = value;
            }
        }
        ring.expected.push_back(frame[0]);
        ring.expected.push_back(channels == 2 ? frame[1] : frame[0]);
    }
    return ring;
}

std::vector<uint8_t> Constant16(int frames, int channels, int16_t value)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < frames * channels; ++i) {
        bytes.push_back(static_cast<uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    }
    return bytes;
}

TEST(Mixer, LoopingBufferMixedForTwiceItsSizeYieldsItsDataTwice)
{
    struct Case {
        int channels;
        int bits;
    };
    for (Case c : {Case{1, 8}, Case{2, 8}, Case{1, 16}, Case{2, 16}, Case{1, 32}, Case{2, 32}}) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.bits << " bits");
        const int frames = 300;
        Ring ring = MakeRing(c.channels, c.bits, frames);
        MixerVoice voice;
        voice.ring = ring.bytes;
        voice.channels = c.channels;
        voice.bitsPerSample = c.bits;
        voice.blockAlign = c.channels * c.bits / 8;
        voice.frameCount = frames;
        voice.playing = true;
        voice.looping = true;
        MixerVoice* voices[] = {&voice};

        std::vector<float> output(2 * 2 * frames, 9.0f);
        EXPECT_EQ(MixVoices(voices, 1, output.data(), 2 * frames, 44100), 0);
        for (int i = 0; i < 2 * frames; ++i) {
            ASSERT_EQ(output[2 * i], ring.expected[2 * (i % frames)]) << "frame " << i;
            ASSERT_EQ(output[2 * i + 1], ring.expected[2 * (i % frames) + 1]) << "frame " << i;
        }
        EXPECT_EQ(voice.GetPlayCursor(), 0);
        EXPECT_TRUE(voice.playing);
    }
}

TEST(Mixer, PlayOnceStartsAtThePlayCursorAndEndsInSilenceWithTheCursorAtZero)
{
    auto mixer = std::make_shared<Mixer>(44100);
    Ring ring = MakeRing(2, 16, 100);
    SDLSoundBuffer buffer(mixer, 400, 2, 16, 44100);
    buffer.Write(ring.bytes.data(), 0, 400);
    buffer.SetPlayPosition(40 * 4 + 3);  // inside frame 40: the frame's start counts
    EXPECT_EQ(buffer.GetPlayPosition(), 160);
    buffer.Play(0);

    std::vector<float> output = Render(*mixer, 100);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(output[2 * i], ring.expected[2 * (40 + i)]) << "frame " << i;
    for (int i = 120; i < 200; ++i)
        ASSERT_EQ(output[i], 0.0f) << "sample " << i;
    EXPECT_EQ(buffer.GetPlayPosition(), 0);

    // Stopped at the end: nothing more is heard until it is played again.
    for (float sample : Render(*mixer, 50))
        ASSERT_EQ(sample, 0.0f);
    buffer.Play(0);
    EXPECT_EQ(Render(*mixer, 1)[0], ring.expected[0]);
}

TEST(Mixer, StopFreezesThePlayCursorAndPlayResumesFromIt)
{
    auto mixer = std::make_shared<Mixer>(44100);
    Ring ring = MakeRing(1, 16, 200);
    SDLSoundBuffer buffer(mixer, 400, 1, 16, 44100);
    buffer.Write(ring.bytes.data(), 0, 400);
    buffer.PlayLooping(0);
    Render(*mixer, 30);
    buffer.Stop();
    for (float sample : Render(*mixer, 100))
        ASSERT_EQ(sample, 0.0f);
    EXPECT_EQ(buffer.GetPlayPosition(), 60);
    EXPECT_EQ(buffer.GetWritePosition(), 60);

    buffer.PlayLooping(0);
    std::vector<float> output = Render(*mixer, 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(output[2 * i], ring.expected[2 * (30 + i)]);
}

TEST(Mixer, VolumeAndPanAreLevelsInHundredthsOfADecibel)
{
    struct Level {
        float value;
        int volume;
        int pan;
    };
    for (Level l : {Level{0.0f, -10000, 0}, Level{0.5f, -5000, 5000}, Level{1.0f, 0, 10000},
                    Level{0.25f, -7500, 2500}, Level{-1.0f, -20000, -10000}, Level{-0.5f, -15000, -5000}}) {
        EXPECT_EQ(VolumeToLevel(l.value), l.volume) << l.value;
        EXPECT_EQ(PanToLevel(l.value), l.pan) << l.value;
    }
    EXPECT_EQ(LevelToGain(0), 1.0f);
    EXPECT_EQ(LevelToGain(-10000), 0.0f);
    EXPECT_NEAR(LevelToGain(-2000), 0.1f, 1e-7);

    auto mixer = std::make_shared<Mixer>(44100);
    SDLSoundBuffer buffer(mixer, 400, 2, 16, 44100);
    std::vector<uint8_t> bytes = Constant16(100, 2, 16384);
    buffer.Write(bytes.data(), 0, 400);
    buffer.PlayLooping(0);
    const float full = 0.5f;
    const float quiet = full * std::pow(10.0f, -2.5f);  // 50 dB down

    struct Case {
        float volume;
        float pan;
        float left;
        float right;
    };
    for (Case c : {Case{1.0f, 0.0f, full, full}, Case{0.5f, 0.0f, quiet, quiet}, Case{0.0f, 0.0f, 0.0f, 0.0f},
                   Case{1.0f, 0.5f, quiet, full}, Case{1.0f, -0.5f, full, quiet}, Case{1.0f, 1.0f, 0.0f, full},
                   Case{1.0f, -1.0f, full, 0.0f}}) {
        buffer.SetVolume(c.volume);
        buffer.SetPan(c.pan);
        EXPECT_EQ(buffer.GetVolume(), c.volume);
        EXPECT_EQ(buffer.GetPan(), c.pan);
        std::vector<float> output = Render(*mixer, 4);
        EXPECT_NEAR(output[6], c.left, 1e-6) << "volume " << c.volume << ", pan " << c.pan;
        EXPECT_NEAR(output[7], c.right, 1e-6) << "volume " << c.volume << ", pan " << c.pan;
    }

    // Out of range changes nothing.
    buffer.SetVolume(0.5f);
    buffer.SetPan(0.25f);
    for (float bad : {1.5f, -0.01f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_THROW_MESSAGE(buffer.SetVolume(bad), "Unable to set sound buffer volume");
    for (float bad : {1.01f, -2.0f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_THROW_MESSAGE(buffer.SetPan(bad), "Unable to set sound buffer pan");
    EXPECT_EQ(buffer.GetVolume(), 0.5f);
    EXPECT_EQ(buffer.GetPan(), 0.25f);
}

TEST(Mixer, VoicesAddUpAndTheSumIsClamped)
{
    auto mixer = std::make_shared<Mixer>(44100);
    std::vector<uint8_t> loud = Constant16(10, 1, 24576);  // 0.75
    SDLSoundBuffer first(mixer, 20, 1, 16, 44100);
    SDLSoundBuffer second(mixer, 20, 1, 16, 44100);
    first.Write(loud.data(), 0, 20);
    second.Write(loud.data(), 0, 20);
    first.PlayLooping(0);
    EXPECT_EQ(Render(*mixer, 1)[0], 0.75f);
    second.PlayLooping(0);
    EXPECT_EQ(Render(*mixer, 1)[0], 1.0f);
    second.SetPan(1.0f);  // left silenced
    std::vector<float> output = Render(*mixer, 1);
    EXPECT_EQ(output[0], 0.75f);
    EXPECT_EQ(output[1], 1.0f);
}

TEST(Mixer, FrequencyIsThePlaybackRate)
{
    auto mixer = std::make_shared<Mixer>(44100);
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 100; ++i) {
        int16_t value = static_cast<int16_t>(i * 256);
        bytes.push_back(static_cast<uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    SDLSoundBuffer buffer(mixer, 200, 1, 16, 22050);
    EXPECT_EQ(buffer.GetFrequency(), 22050);
    buffer.Write(bytes.data(), 0, 200);
    buffer.PlayLooping(0);

    // Half the output rate: every frame lasts two output frames, interpolated in between.
    std::vector<float> output = Render(*mixer, 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_FLOAT_EQ(output[2 * i], i * 128 / 32768.0f) << i;
    EXPECT_EQ(buffer.GetPlayPosition(), 20);

    buffer.SetFrequency(88200);
    EXPECT_EQ(buffer.GetFrequency(), 88200);
    output = Render(*mixer, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_FLOAT_EQ(output[2 * i], (10 + 2 * i) * 256 / 32768.0f) << i;

    buffer.SetFrequency(0);
    EXPECT_EQ(buffer.GetFrequency(), 22050);
    for (int bad : {99, 200001, -44100})
        EXPECT_THROW_MESSAGE(buffer.SetFrequency(bad), "Unable to set sound buffer frequency");
    EXPECT_EQ(buffer.GetFrequency(), 22050);
}

TEST(SoundBuffer, AppendWrapsTheWriteCursorAndFreeSpaceRunsToThePlayCursor)
{
    auto mixer = std::make_shared<Mixer>(44100);
    SDLSoundBuffer buffer(mixer, 44100, 2, 16, 44100);
    std::vector<uint8_t> chunks[3];
    for (int k = 0; k < 3; ++k)
        chunks[k] = Constant16(4096, 2, static_cast<int16_t>((k + 1) * 1000));

    buffer.Append(chunks[0].data(), 16384);
    EXPECT_EQ(buffer.GetFreeSpace(), 27716);
    buffer.Append(chunks[1].data(), 16384);
    buffer.Append(chunks[2].data(), 16384);  // wraps: 11332 bytes at the end, 5052 at the start
    EXPECT_EQ(buffer.GetFreeSpace(), 44100 - 5052);

    buffer.PlayLooping(0);
    std::vector<float> output = Render(*mixer, 11025);
    auto chunkAt = [&](int byte) { return std::lround(output[2 * (byte / 4)] * 32768.0f) / 1000; };
    EXPECT_EQ(chunkAt(0), 3);
    EXPECT_EQ(chunkAt(5048), 3);
    EXPECT_EQ(chunkAt(5052), 1);
    EXPECT_EQ(chunkAt(16380), 1);
    EXPECT_EQ(chunkAt(16384), 2);
    EXPECT_EQ(chunkAt(32764), 2);
    EXPECT_EQ(chunkAt(32768), 3);
    EXPECT_EQ(chunkAt(44096), 3);

    // Equal cursors leave no free space.
    buffer.Stop();
    buffer.SetPlayPosition(5052);
    EXPECT_EQ(buffer.GetFreeSpace(), 0);
    buffer.SetWriteCursor(-4);
    EXPECT_EQ(buffer.GetFreeSpace(), 5056);
    buffer.SetWriteCursor(44100 + 8);
    EXPECT_EQ(buffer.GetFreeSpace(), 5044);
}

TEST(SoundBuffer, WriteWrapsAndRejectsWhatDoesNotFit)
{
    auto mixer = std::make_shared<Mixer>(44100);
    SDLSoundBuffer buffer(mixer, 40, 1, 16, 44100);
    std::vector<uint8_t> bytes = Constant16(4, 1, 8192);
    buffer.Write(bytes.data(), 36, 8);  // two frames at the end, two at the start
    buffer.PlayLooping(0);
    std::vector<float> output = Render(*mixer, 20);
    for (int frame : {0, 1, 18, 19})
        EXPECT_EQ(output[2 * frame], 0.25f) << frame;
    for (int frame : {2, 17})
        EXPECT_EQ(output[2 * frame], 0.0f) << frame;

    uint8_t big[48] = {};
    struct Case {
        int offset;
        int size;
    };
    for (Case c : {Case{40, 4}, Case{-1, 4}, Case{0, 41}, Case{0, -2}})
        EXPECT_THROW_MESSAGE(buffer.Write(big, c.offset, c.size), "Unable to lock sound buffer");
    for (int size : {41, -2})
        EXPECT_THROW_MESSAGE(buffer.Append(big, size), "Unable to lock sound buffer");
    // Nothing to copy, nothing checked.
    buffer.Write(nullptr, 1000, 0);
    buffer.Append(nullptr, 0);
    EXPECT_EQ(buffer.GetFreeSpace(), buffer.GetPlayPosition());

    for (int bad : {40, -1, 100000})
        EXPECT_THROW_MESSAGE(buffer.SetPlayPosition(bad), "Unable to set sound buffer position");
}

TEST(SoundBuffer, CreationRejectsFormatsAndSizesTheMixerCannotPlay)
{
    auto mixer = std::make_shared<Mixer>(44100);
    struct Case {
        int size;
        int channels;
        int bits;
        int rate;
        const char* message;
    };
    for (Case c : {Case{44100, 3, 16, 44100, "Unable to create sound buffer (Bad format)"},
                   Case{44100, 0, 16, 44100, "Unable to create sound buffer (Bad format)"},
                   Case{44100, 2, 24, 44100, "Unable to create sound buffer (Bad format)"},
                   Case{44100, 2, 16, 99, "Unable to create sound buffer (Bad format)"},
                   Case{44100, 2, 16, 200001, "Unable to create sound buffer (Bad format)"},
                   Case{2, 1, 8, 44100, "Unable to create sound buffer (Buffer too small)"},
                   Case{-4, 1, 8, 44100, "Unable to create sound buffer (Buffer too small)"},
                   Case{4, 2, 32, 44100, "Unable to create sound buffer (Buffer too small)"},
                   Case{44102, 2, 16, 44100, "Unable to create sound buffer (Invalid parameter)"},
                   Case{0x10000000, 1, 8, 44100, "Unable to create sound buffer (Invalid parameter)"}}) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes, " << c.channels << " channels, " << c.bits << " bits, "
                                        << c.rate << " Hz");
        EXPECT_THROW_MESSAGE(SDLSoundBuffer(mixer, c.size, c.channels, c.bits, c.rate), c.message);
    }

    SDLSoundBuffer buffer(mixer, 8, 2, 32, 100);
    EXPECT_EQ(buffer.GetChannelCount(), 2);
    EXPECT_EQ(buffer.GetBitsPerSample(), 32);
    EXPECT_EQ(buffer.GetFrequency(), 100);
    EXPECT_EQ(buffer.GetPan(), 0.0f);
    EXPECT_EQ(buffer.GetVolume(), 1.0f);
    // A new ring is silence, also for unsigned 8-bit data.
    SDLSoundBuffer unsigned8(mixer, 16, 1, 8, 44100);
    unsigned8.PlayLooping(0);
    for (float sample : Render(*mixer, 32))
        EXPECT_EQ(sample, 0.0f);
}

TEST(Mixer, CountsUnderrunsOfRingsFedByAppend)
{
    auto mixer = std::make_shared<Mixer>(44100);
    SDLSoundBuffer stream(mixer, 4000, 1, 16, 44100);
    std::vector<uint8_t> chunk = Constant16(500, 1, 100);
    stream.Append(chunk.data(), 1000);
    stream.PlayLooping(0);
    Render(*mixer, 400);
    EXPECT_EQ(mixer->GetUnderrunCount(), 0);
    stream.Append(chunk.data(), 1000);
    Render(*mixer, 600);
    EXPECT_EQ(mixer->GetUnderrunCount(), 0);
    Render(*mixer, 401);  // one frame past the appended data
    EXPECT_EQ(mixer->GetUnderrunCount(), 1);
    EXPECT_EQ(stream.GetUnderrunCount(), 1);

    // Restarting the queue at the play cursor counts from there.
    stream.SetWriteCursor(stream.GetPlayPosition());
    stream.Append(chunk.data(), 1000);
    Render(*mixer, 500);
    EXPECT_EQ(mixer->GetUnderrunCount(), 1);

    // A ring written as a whole and looped is not a stream.
    SDLSoundBuffer loop(mixer, 1000, 1, 16, 44100);
    loop.Write(chunk.data(), 0, 1000);
    loop.PlayLooping(0);
    stream.Stop();
    Render(*mixer, 5000);
    EXPECT_EQ(mixer->GetUnderrunCount(), 1);
}

TEST(Mixer, ABufferLeavesTheMixerWhenDestroyed)
{
    auto mixer = std::make_shared<Mixer>(44100);
    {
        SDLSoundBuffer buffer(mixer, 400, 2, 16, 44100);
        std::vector<uint8_t> bytes = Constant16(100, 2, 1000);
        buffer.Write(bytes.data(), 0, 400);
        buffer.PlayLooping(0);
        Render(*mixer, 10);
    }
    for (float sample : Render(*mixer, 10))
        EXPECT_EQ(sample, 0.0f);

    // A buffer may also outlive the mixer's other owners.
    auto* orphan = new SDLSoundBuffer(mixer, 400, 2, 16, 44100);
    mixer.reset();
    orphan->PlayLooping(0);
    EXPECT_EQ(orphan->GetPlayPosition(), 0);
    orphan->Release();
}

}  // namespace mixer_test
