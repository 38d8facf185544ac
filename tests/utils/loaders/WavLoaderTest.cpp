// RIFF WAVE files into audio clips: layouts that load, and a table of broken files.
#include "utils/loaders/WavLoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"
#include "utils/audio/Clip.h"
#include "utils/audio/ClipAudioStream.h"

#include "support/Expect.h"
#include "support/MemoryFileSystem.h"
#include "support/MemoryStream.h"
#include "support/WavFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace wav_loader_test {

using Testing::Wav;

std::vector<uint8_t> Bytes(int count, int seed = 1)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<uint8_t>(i * 31 + seed));
    return bytes;
}

class WavLoaderTest : public testing::Test {
protected:
    WavLoaderTest()
    {
        proxy->SetFileSystem(files.Get());
    }

    // The clip the WAV loader makes of the bytes, or its exception.
    Audio::Clip* Load(const std::vector<uint8_t>& bytes)
    {
        (*files)["sound.wav"] = bytes;
        proxy->Collect();  // the file may have been opened and cached before
        return static_cast<Audio::Clip*>(loader->Load(ResourceType::AudioClip, "sound.wav", proxy.Get()));
    }

    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
    Managed<Loaders::WavLoader> loader{new Loaders::WavLoader()};
};

TEST_F(WavLoaderTest, ReadsTheFormatAndTheSampleData)
{
    Wav wav;
    wav.data = Bytes(4000);
    Managed<Audio::Clip> clip(Load(wav.Build()));
    EXPECT_EQ(clip->GetChannelCount(), 2);
    EXPECT_EQ(clip->GetSampleWidth(), 16);
    EXPECT_EQ(clip->GetSampleRate(), 44100);  // 176400 / 4
    ASSERT_EQ(clip->GetSize(), 4000);
    EXPECT_EQ(std::vector<uint8_t>(clip->GetData(), clip->GetData() + 4000), wav.data);

    // The rate comes from the byte rate and the block alignment.
    wav.byteRate = 22050 * 4;
    Managed<Audio::Clip> slower(Load(wav.Build()));
    EXPECT_EQ(slower->GetSampleRate(), 22050);
}

TEST_F(WavLoaderTest, SkipsWhatComesBeforeTheData)
{
    struct Case {
        const char* name;
        Wav wav;
    };
    Wav list;
    list.chunksBeforeData = {{"LIST", Bytes(26)}};
    Wav odd;  // odd chunks keep their pad byte
    odd.chunksBeforeData = {{"junk", Bytes(3)}, {"fact", Bytes(4)}, {"bext", Bytes(1)}};
    Wav longFormat;  // a format chunk with an extension size and more
    longFormat.formatExtra = {0, 0};
    Wav oddFormat;
    oddFormat.formatExtra = {1, 0, 9};
    Wav hugeFormat;  // longer than the part of a format chunk that is read
    hugeFormat.formatExtra = Bytes(101);
    Wav extensible;
    extensible.tag = 0xFFFE;
    extensible.formatExtra = {22, 0, 16, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    for (Case c : {Case{"LIST", list}, Case{"odd chunks", odd}, Case{"18-byte format", longFormat},
                   Case{"odd format", oddFormat},
                   Case{"117-byte format", hugeFormat}, Case{"extensible PCM", extensible}}) {
        c.wav.data = Bytes(400, 7);
        Managed<Audio::Clip> clip(Load(c.wav.Build()));
        ASSERT_EQ(clip->GetSize(), 400) << c.name;
        EXPECT_EQ(std::vector<uint8_t>(clip->GetData(), clip->GetData() + 400), c.wav.data) << c.name;
        EXPECT_EQ(clip->GetSampleWidth(), 16) << c.name;
    }
}

TEST_F(WavLoaderTest, EightBitDataIsUnsignedAndFloatDataIsThirtyTwoBits)
{
    Wav eight;
    eight.channels = 1;
    eight.bits = 8;
    eight.rate = 8000;
    eight.data = {0x80, 0xFF, 0x00, 0xC0};
    Managed<Audio::Clip> clip(Load(eight.Build()));
    EXPECT_EQ(clip->GetSampleWidth(), 8);
    EXPECT_EQ(clip->GetSampleRate(), 8000);
    Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
    float samples[4];
    ASSERT_EQ(stream->ReadSamples(samples, 4), 4);
    EXPECT_EQ(samples[0], 0.0f);
    EXPECT_EQ(samples[1], 127 / 128.0f);
    EXPECT_EQ(samples[2], -1.0f);
    EXPECT_EQ(samples[3], 0.5f);

    Wav floats;
    floats.tag = 3;
    floats.bits = 32;
    floats.channels = 1;
    const float values[2] = {0.25f, -0.75f};
    floats.data.resize(8);
    std::memcpy(floats.data.data(), values, 8);
    Managed<Audio::Clip> floatClip(Load(floats.Build()));
    EXPECT_EQ(floatClip->GetSampleWidth(), 32);
    Managed<Audio::ClipAudioStream> floatStream(floatClip->CreateStream());
    ASSERT_EQ(floatStream->ReadSamples(samples, 4), 2);
    EXPECT_EQ(samples[0], 0.25f);
    EXPECT_EQ(samples[1], -0.75f);
}

TEST_F(WavLoaderTest, WideIntegerSamplesBecomeFloats)
{
    // Each sample's bytes, little-endian, and the float it stands for.
    struct Sample {
        std::vector<uint8_t> bytes;
        float value;
    };
    const std::vector<Sample> samples24 = {{{0x00, 0x00, 0x00}, 0.0f},        {{0x00, 0x00, 0x80}, -1.0f},
                                           {{0xFF, 0xFF, 0x7F}, 8388607 / 8388608.0f}, {{0x00, 0x00, 0x40}, 0.5f},
                                           {{0x01, 0x00, 0x00}, 1 / 8388608.0f},      {{0xFF, 0xFF, 0xFF}, -1 / 8388608.0f},
                                           {{0x56, 0x34, 0x12}, 0x123456 / 8388608.0f}, {{0x00, 0x00, 0xC0}, -0.5f}};
    const std::vector<Sample> samples32 = {{{0x00, 0x00, 0x00, 0x80}, -1.0f},
                                           {{0x00, 0x00, 0x00, 0x40}, 0.5f},
                                           {{0x01, 0x00, 0x00, 0x00}, 1 / 2147483648.0f},
                                           {{0xFF, 0xFF, 0xFF, 0xFF}, -1 / 2147483648.0f},
                                           {{0x00, 0x01, 0x00, 0x00}, 256 / 2147483648.0f},
                                           {{0x00, 0x00, 0x00, 0xC0}, -0.5f}};
    // The extensible header: extension size, valid bits, channel mask, PCM sub-format.
    auto extension = [](uint8_t validBits) {
        return std::vector<uint8_t>{22, 0, validBits, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    };
    struct Case {
        const char* name;
        uint16_t bits;
        bool extensible;
        uint8_t validBits;
        const std::vector<Sample>& samples;
    };
    for (const Case& c : {Case{"24-bit", 24, false, 24, samples24}, Case{"32-bit", 32, false, 32, samples32},
                          Case{"extensible 24-bit", 24, true, 24, samples24},
                          Case{"extensible 32-bit", 32, true, 32, samples32},
                          Case{"extensible 24 bits in 32", 32, true, 24, samples32}}) {
        SCOPED_TRACE(c.name);
        Wav wav;
        wav.bits = c.bits;
        wav.rate = 48000;
        if (c.extensible) {
            wav.tag = 0xFFFE;
            wav.formatExtra = extension(c.validBits);
        }
        for (const Sample& sample : c.samples)
            wav.data.insert(wav.data.end(), sample.bytes.begin(), sample.bytes.end());
        wav.data.push_back(0x7F);  // a partial sample at the end is not a sample
        Managed<Audio::Clip> clip(Load(wav.Build()));
        EXPECT_EQ(clip->GetSampleWidth(), 32);
        EXPECT_EQ(clip->GetChannelCount(), 2);
        EXPECT_EQ(clip->GetSampleRate(), 48000);
        ASSERT_EQ(clip->GetSize(), static_cast<int>(c.samples.size() * 4));
        for (size_t i = 0; i < c.samples.size(); ++i) {
            float value;
            std::memcpy(&value, clip->GetData() + i * 4, 4);
            EXPECT_EQ(value, c.samples[i].value) << i;
        }
    }
}

TEST_F(WavLoaderTest, BrokenFilesEndInTheirMessages)
{
    const std::vector<uint8_t> good = [] {
        Wav wav;
        wav.data = Bytes(64);
        return wav.Build();
    }();
    auto with = [&](std::function<void(Wav&)> change) {
        Wav wav;
        wav.data = Bytes(64);
        change(wav);
        return wav.Build();
    };
    auto replaced = [&](size_t at, const char* text) {
        std::vector<uint8_t> bytes = good;
        std::memcpy(bytes.data() + at, text, 4);
        return bytes;
    };
    auto cut = [&](size_t length) { return std::vector<uint8_t>(good.begin(), good.begin() + length); };
    std::vector<uint8_t> shortFormat = good;
    shortFormat[16] = 12;

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"empty", {}, "Invalid WAV-File! The file ends inside a header"},
        {"not RIFF", replaced(0, "RIFX"), "Invalid WAV-File! RIFF-header not found"},
        {"a short text", {'h', 'e', 'l', 'l', 'o'}, "Invalid WAV-File! RIFF-header not found"},
        {"not WAVE", replaced(8, "AVI "), "Invalid WAV-File! WAVE-header not found"},
        {"no format first", replaced(12, "LIST"), "Invalid WAV-File! FORMAT-header not found"},
        {"format chunk too short", shortFormat, "Invalid WAV-File! FORMAT-header too short"},
        {"cut inside the format", cut(30), "Invalid WAV-File! The file ends inside a header"},
        {"ADPCM", with([](Wav& w) { w.tag = 2; }), "Invalid WAV-File! Only 8-, 16-, 24- or 32-bit PCM and 32-bit float data are supported"},
        {"12-bit PCM", with([](Wav& w) { w.bits = 12; w.blockAlign = 4; }), "Invalid WAV-File! Only 8-, 16-, 24- or 32-bit PCM and 32-bit float data are supported"},
        {"24-bit float", with([](Wav& w) { w.tag = 3; w.bits = 24; }), "Invalid WAV-File! Only 8-, 16-, 24- or 32-bit PCM and 32-bit float data are supported"},
        {"64-bit float", with([](Wav& w) { w.tag = 3; w.bits = 64; }), "Invalid WAV-File! Only 8-, 16-, 24- or 32-bit PCM and 32-bit float data are supported"},
        {"extensible without its extension", with([](Wav& w) { w.tag = 0xFFFE; }), "Invalid WAV-File! Only 8-, 16-, 24- or 32-bit PCM and 32-bit float data are supported"},
        {"no channels", with([](Wav& w) { w.channels = 0; w.blockAlign = 0; }), "Invalid WAV-File! Channel count and block alignment do not match"},
        {"wrong block alignment", with([](Wav& w) { w.blockAlign = 3; }), "Invalid WAV-File! Channel count and block alignment do not match"},
        {"no byte rate", with([](Wav& w) { w.byteRate = 0; }), "Invalid WAV-File! Invalid sample rate"},
        {"no data chunk", with([](Wav& w) { w.withData = false; w.chunksBeforeData = {{"LIST", Bytes(10)}}; }), "Invalid WAV-File! DATA-chunk not found"},
        {"data chunk past the RIFF size", with([](Wav& w) { w.riffSize = 28; }), "Invalid WAV-File! DATA-chunk not found"},
        {"data larger than the file", with([](Wav& w) { w.dataSize = 65; }), "Invalid WAV-File! DATA-chunk larger than the file"},
        {"data size of 4 GB", with([](Wav& w) { w.dataSize = 0xFFFFFFFF; }), "Invalid WAV-File! DATA-chunk larger than the file"},
        {"cut inside the data", cut(good.size() - 1), "Invalid WAV-File! DATA-chunk larger than the file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW_MESSAGE(Managed<Audio::Clip>(Load(c.bytes)), c.message);
    }

    // A chunk that claims more than the file holds ends the search instead of wrapping around.
    std::vector<uint8_t> lying = with([](Wav& w) { w.chunksBeforeData = {{"LIST", Bytes(8)}}; });
    lying[36 + 4] = 0xF0;  // the LIST size
    lying[36 + 7] = 0x7F;
    EXPECT_THROW_MESSAGE(Managed<Audio::Clip>(Load(lying)), "Invalid WAV-File! DATA-chunk not found");
}

// Serves every InputStream as an unseekable stream over the bytes it was given.
class UnseekableOpener : public ResourceProxy::Service {
public:
    explicit UnseekableOpener(std::vector<uint8_t> bytes) : bytes(std::move(bytes)) {}
    Object* Load(ResourceType, const String&, ResourceProxy*) override
    {
        auto* stream = new Testing::MemoryStream(bytes);
        stream->seekable = false;
        stream->readChunk = 5;
        return stream;
    }
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::InputStream); }
    String GetName() override { return "UnseekableOpener"; }
    std::vector<uint8_t> bytes;
};

TEST(WavLoader, ReadsUnseekableStreamsAndTrustsNoSizeThere)
{
    Wav wav;
    wav.chunksBeforeData = {{"LIST", Bytes(5000)}};
    wav.data = Bytes(3000, 3);
    struct Case {
        int64_t dataSize;
        const char* message;
    };
    for (Case c : {Case{-1, nullptr}, Case{0x7FFFFFF0, "Invalid WAV-File! DATA-chunk larger than the file"}}) {
        wav.dataSize = c.dataSize;
        Managed<ResourceProxy> proxy(new ResourceProxy());
        Managed<UnseekableOpener> opener(new UnseekableOpener(wav.Build()));
        proxy->AddService(opener.Get());
        Loaders::WavLoader loader;
        if (c.message) {
            EXPECT_THROW_MESSAGE(Managed<Object>(loader.Load(ResourceType::AudioClip, "x", proxy.Get())), c.message);
            continue;
        }
        Managed<Audio::Clip> clip(static_cast<Audio::Clip*>(loader.Load(ResourceType::AudioClip, "x", proxy.Get())));
        EXPECT_EQ(std::vector<uint8_t>(clip->GetData(), clip->GetData() + clip->GetSize()), wav.data);
    }
}

}  // namespace wav_loader_test
