// The audio services through the default resource proxy: which loader makes what, how clip
// requests fall back, what the decoders share, and sound buffers made from clips.
#include "core/Exception.h"
#include "core/Managed.h"
#include "io/Buffer.h"
#include "sound/Buffer.h"
#include "sound/SDLSoundBuffer.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"
#include "utils/audio/Clip.h"
#include "utils/audio/Stream.h"
#include "utils/loaders/OggStream.h"
#include "utils/loaders/SoundBufferLoader.h"

#include "support/AudioFixtures.h"
#include "support/Expect.h"
#include "support/FixtureFile.h"
#include "support/MemoryFileSystem.h"
#include "support/MemoryStream.h"
#include "support/VorbisEncoder.h"
#include "support/WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace audio_loaders_test {

using ClipHandle = Resource<Audio::Clip, ResourceType::AudioClip>;
using StreamHandle = Resource<Audio::Stream, ResourceType::AudioStream>;
using BufferHandle = Resource<Sound::Buffer, ResourceType::SoundBuffer>;

// 16-bit stereo at 44100 Hz with `dataBytes` bytes of a pattern as its data.
std::vector<uint8_t> StereoWav(int dataBytes)
{
    Testing::Wav wav;
    for (int i = 0; i < dataBytes; ++i)
        wav.data.push_back(static_cast<uint8_t>(i * 13 + 5));
    return wav.Build();
}

// The whole decode of an Ogg file, straight from its bytes.
std::vector<float> Decode(const std::vector<uint8_t>& file)
{
    Managed<Testing::MemoryStream> input(new Testing::MemoryStream(file));
    Loaders::OggStream stream(input.Get());
    std::vector<float> samples(static_cast<size_t>(stream.GetSampleCount()) * stream.GetChannelCount());
    stream.ReadSamples(samples.data(), stream.GetSampleCount());
    return samples;
}

class AudioLoaders : public testing::Test {
protected:
    AudioLoaders()
    {
        std::vector<float> tone;
        for (int i = 0; i < 30000; ++i) {
            const float value = 0.4f * std::sin(i * 0.03f);
            tone.push_back(value);
            tone.push_back(value * 0.5f);
        }
        (*files)["music.ogg"] = Testing::EncodeVorbis(tone, 2, 22050);
        (*files)["beep.wav"] = StereoWav(4000);
        (*files)["ragged.wav"] = StereoWav(4003);
        (*files)["noise.bin"] = std::vector<uint8_t>(3000, 0x5A);
        proxy->SetFileSystem(files.Get());
    }

    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
};

TEST_F(AudioLoaders, AnOggFileBecomesAFloatClipWhenTheWavReaderRejectsIt)
{
    ClipHandle clip(proxy.Get(), "music.ogg");
    EXPECT_EQ(clip->GetSampleWidth(), 32);
    EXPECT_EQ(clip->GetChannelCount(), 2);
    EXPECT_EQ(clip->GetSampleRate(), 22050);
    ASSERT_EQ(clip->GetSize(), 30000 * 2 * 4);
    std::vector<float> expected = Decode((*files)["music.ogg"]);
    EXPECT_EQ(std::memcmp(clip->GetData(), expected.data(), expected.size() * 4), 0);

    ClipHandle wav(proxy.Get(), "beep.wav");
    EXPECT_EQ(wav->GetSampleWidth(), 16);
    EXPECT_EQ(wav->GetSize(), 4000);

    // The decoder made for the clip and its input went with it; only plain requests are cached.
    for (int i = 0; i < proxy->GetRecordCount(); ++i)
        EXPECT_EQ(proxy->GetRecord(i).descriptor.IndexOf('{'), -1) << proxy->Dump().CStr();
}

TEST_F(AudioLoaders, FailuresReportEveryLoaderInTheOrderTried)
{
    // The nested report names what was asked for, word for word the same every time.
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_THROW_MESSAGE(ClipHandle(proxy.Get(), "noise.bin"),
                             "Descriptor 'noise.bin' could not be converted to an object: \n"
                             "WavLoader: Invalid WAV-File! RIFF-header not found\n"
                             "AudioClipLoader: Descriptor 'noise.bin' could not be converted to an object: \n"
                             "OggLoader: This does not appear to be an Ogg Stream\n\n");
    // The WAV reader's stream is cached as any request is; the decoder's own stream is gone.
    ASSERT_EQ(proxy->GetRecordCount(), 1) << proxy->Dump().CStr();
    EXPECT_EQ(proxy->GetRecord(0).descriptor, "noise.bin");
    EXPECT_EQ(proxy->GetRecord(0).object->GetRefCount(), 1);

    EXPECT_THROW_MESSAGE(StreamHandle(proxy.Get(), "beep.wav"),
                         "Descriptor 'beep.wav' could not be converted to an object: \n"
                         "OggLoader: This does not appear to be an Ogg Stream\n");
    // The failed Ogg attempt did not disturb the WAV.
    ClipHandle wav(proxy.Get(), "beep.wav");
    EXPECT_EQ(wav->GetSize(), 4000);
}

TEST_F(AudioLoaders, TheMusicStreamIsReadByNothingButItsOwner)
{
    std::vector<float> expected = Decode((*files)["music.ogg"]);
    StreamHandle music(proxy.Get(), "music.ogg");
    std::vector<float> samples(2 * 1000);
    ASSERT_EQ(music->ReadSamples(samples.data(), 1000), 1000);

    // Everything else asked of the same file goes elsewhere.
    ClipHandle clip(proxy.Get(), "music.ogg");
    Resource<IO::Buffer, ResourceType::Buffer> bytes(proxy.Get(), "music.ogg");
    StreamHandle again(proxy.Get(), "music.ogg");
    EXPECT_EQ(again.Get(), music.Get()) << "the host's own request is still cached";
    EXPECT_EQ(std::memcmp(clip->GetData(), expected.data(), 4000 * 4), 0);

    EXPECT_EQ(music->GetSamplePosition(), 1000);
    ASSERT_EQ(music->ReadSamples(samples.data(), 1000), 1000);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(samples[i], expected[2000 + i]) << i;
}

TEST_F(AudioLoaders, SoundBuffersHoldTheClipsWholeFrames)
{
    Managed<Testing::ManualSoundDevice> device(new Testing::ManualSoundDevice());
    proxy->SetSoundDevice(device.Get());

    BufferHandle beep(proxy.Get(), "beep.wav");
    EXPECT_EQ(beep->GetChannelCount(), 2);
    EXPECT_EQ(beep->GetBitsPerSample(), 16);
    EXPECT_EQ(beep->GetFrequency(), 44100);
    beep->Play(0);
    std::vector<float> output = device->Render(1000);
    std::vector<uint8_t> wav = StereoWav(4000);
    for (int i = 0; i < 2000; ++i) {
        const int16_t value = static_cast<int16_t>(wav[44 + 2 * i] | (wav[45 + 2 * i] << 8));
        ASSERT_EQ(output[i], value / 32768.0f) << i;
    }

    BufferHandle ragged(proxy.Get(), "ragged.wav");
    EXPECT_EQ(dynamic_cast<Sound::SDLSoundBuffer*>(ragged.Get())->GetSize(), 4000);

    BufferHandle music(proxy.Get(), "music.ogg");
    EXPECT_EQ(music->GetBitsPerSample(), 32);
    EXPECT_EQ(music->GetFrequency(), 22050);
    EXPECT_EQ(dynamic_cast<Sound::SDLSoundBuffer*>(music.Get())->GetSize(), 30000 * 2 * 4);
    beep->Stop();
    music->SetFrequency(44100);
    music->Play(0);
    std::vector<float> expected = Decode((*files)["music.ogg"]);
    output = device->Render(100);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(output[i], expected[i]) << i;

    EXPECT_THROW_MESSAGE(Managed<Object>(Loaders::SoundBufferLoader().Load(ResourceType::AudioClip, "beep.wav", proxy.Get())),
                         "Target type not supported");
}

// Found by the Ogg fuzz target: a file of headers and no audio pages decodes to no frames,
// and the clip loader copied from the empty sample vector's null storage.
TEST_F(AudioLoaders, AnOggFileOfNoFramesBecomesAnEmptyClip)
{
    (*files)["silent.ogg"] = Testing::ReadFixture("fuzz/ogg/no-frames.ogg");
    ClipHandle clip(proxy.Get(), "silent.ogg");
    EXPECT_EQ(clip->GetSize(), 0);
    EXPECT_EQ(clip->GetChannelCount(), 2);
    EXPECT_EQ(clip->GetSampleRate(), 11025);
    EXPECT_EQ(clip->GetSampleWidth(), 32);
}

TEST_F(AudioLoaders, SoundBuffersNeedASoundDevice)
{
    EXPECT_THROW_MESSAGE(BufferHandle(proxy.Get(), "beep.wav"),
                         "Descriptor 'beep.wav' could not be converted to an object: \n"
                         "SoundBufferLoader: ResoruceProxy: No SoundDevice set\n");
}

}  // namespace audio_loaders_test
