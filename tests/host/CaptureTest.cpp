// The host's capture of the first thirty seconds at ten frames a second, run as the program
// itself: every frame is written, frames before 16 s show only the floor, scene 0 grows in
// from 16 s on, and audio.wav holds the music's decoded samples of the span.
//
// The floor's colours (its material, its line glow and the background) all have at least as
// much blue as red; scene 0, a ring of sandstone pillars with copper blocks, is warm. A pixel
// with clearly more red than blue is one of the scene's.
#include "support/SDLVideo.h"
#include "support/TempFolder.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/NativeFileSystem.h"
#include "utils/Bitmap2D.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"
#include "utils/audio/Clip.h"
#include "utils/audio/ClipAudioStream.h"
#include "utils/audio/Stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace host_capture_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;

constexpr int Fps = 10;
constexpr int Seconds = 30;

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CaptureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Testing::HoldSDLVideo();
        temp = new Testing::TempFolder();
        // The host finds its content as "data/" under the working folder.
        const std::string command = "cd " + Quoted(NIMBREL_DEMO_DATA "/..") + " && " + Quoted(NIMBREL_HOST_PROGRAM) +
                                    " --capture " + Quoted(*temp / "frames") + " --fps 10 --from 0 --to 30 > " +
                                    Quoted(*temp / "host.log") + " 2>&1";
        status = std::system(command.c_str());
        frames = IO::NativeFileSystem::Create((*temp / "frames/").c_str());
        proxy = new DefaultResourceProxy();
        proxy->SetFileSystem(frames);
    }
    static void TearDownTestSuite()
    {
        proxy->Release();
        frames->Release();
        delete temp;
    }

    // Pixels of the frame with clearly more red than blue.
    static int WarmPixels(int frame)
    {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%06d.png", frame);
        Resource<Bitmap2D, ResourceType::Bitmap2D> image(proxy, name);
        EXPECT_EQ(image->GetWidth(), 1024);
        EXPECT_EQ(image->GetHeight(), 768);
        EXPECT_EQ(image->GetPixelFormat(), Graphics::PixelFormatR8G8B8A8);
        const uint8_t* pixel = image->GetData();
        int warm = 0;
        for (int i = 0; i < image->GetWidth() * image->GetHeight(); ++i, pixel += 4)
            warm += pixel[0] > pixel[2] + 24;
        return warm;
    }

    static std::vector<float> ReadAll(Audio::Stream* stream, int frames)
    {
        std::vector<float> samples(static_cast<size_t>(frames) * stream->GetChannelCount());
        int read = 0;
        while (read < frames) {
            const int got = stream->ReadSamples(&samples[static_cast<size_t>(read) * stream->GetChannelCount()], frames - read);
            if (got <= 0)
                break;
            read += got;
        }
        samples.resize(static_cast<size_t>(read) * stream->GetChannelCount());
        return samples;
    }

    void SetUp() override { ASSERT_EQ(status, 0) << temp->Read("host.log"); }

    static Testing::TempFolder* temp;
    static int status;
    static IO::FileSystem* frames;
    static ResourceProxy* proxy;
};

Testing::TempFolder* CaptureTest::temp = nullptr;
int CaptureTest::status = -1;
IO::FileSystem* CaptureTest::frames = nullptr;
ResourceProxy* CaptureTest::proxy = nullptr;

TEST_F(CaptureTest, WritesEveryFrameOfTheSpanAndReportsProgressOnOneLine)
{
    for (const char* name : {"frame-000000.png", "frame-000001.png", "frame-000299.png", "audio.wav"})
        EXPECT_TRUE(temp->Exists(std::string("frames/") + name)) << name;
    EXPECT_FALSE(temp->Exists("frames/frame-000300.png"));
    const std::string log = temp->Read("host.log");
    EXPECT_NE(log.find("\rframe 1 of 300, "), std::string::npos) << log.substr(0, 200);
    EXPECT_EQ(log.find('\n'), log.size() - 1) << "one line, ended once";
    EXPECT_NE(log.find("\rframe 300 of 300, 0:00 left"), std::string::npos);
}

TEST_F(CaptureTest, OnlyTheFloorBeforeSixteenSecondsThenSceneZeroGrowsIn)
{
    for (int frame : {0, 40, 80, 120, 159, 160})
        EXPECT_EQ(WarmPixels(frame), 0) << "frame " << frame;
    // The wipe grows the first pillar in within two thirds of a second and each further part a
    // third of a second after the one before.
    const int grown[] = {WarmPixels(163), WarmPixels(166), WarmPixels(170), WarmPixels(180), WarmPixels(200)};
    EXPECT_GT(grown[0], 0);
    for (int i = 1; i < 5; ++i)
        EXPECT_GT(grown[i], grown[i - 1]) << "step " << i;
    EXPECT_GT(grown[4], 1024 * 768 / 20) << "a twentieth of the picture at 20 s";
    EXPECT_EQ(WarmPixels(290), 0) << "scene 1 is cool";
}

TEST_F(CaptureTest, TheWaveHoldsTheMusicsDecodedSamplesOfTheSpan)
{
    Resource<Audio::Clip, ResourceType::AudioClip> clip(proxy, "audio.wav");
    ASSERT_EQ(clip->GetSampleWidth(), 32) << "the floats as decoded";
    Managed<Audio::Stream> wave(clip->CreateStream());
    Managed<IO::FileSystem> data(IO::NativeFileSystem::Create(NIMBREL_DEMO_DATA "/"));
    Managed<ResourceProxy> dataProxy(new DefaultResourceProxy());
    dataProxy->SetFileSystem(data.Get());
    Resource<Audio::Stream, ResourceType::AudioStream> music(dataProxy.Get(), "music.ogg");

    ASSERT_EQ(wave->GetChannelCount(), music->GetChannelCount());
    ASSERT_EQ(wave->GetSampleRate(), music->GetSampleRate());
    const int span = Seconds * music->GetSampleRate();
    ASSERT_EQ(wave->GetSampleCount(), span);
    const std::vector<float> written = ReadAll(wave.Get(), span);
    const std::vector<float> decoded = ReadAll(music.Get(), span);
    ASSERT_EQ(written.size(), decoded.size());
    size_t differing = 0;
    for (size_t i = 0; i < written.size(); ++i)
        differing += written[i] != decoded[i];
    EXPECT_EQ(differing, 0u) << "of " << written.size() << " samples";
}

}  // namespace host_capture_test
