// The host's capture of the first thirty seconds at ten frames a second, run as the program
// itself: every frame is written with the progress on one console line, frames before 16 s
// show only the floor, scene 0 grows in from 16 s on, and audio.wav holds the music's decoded
// samples of the span. One test, as ctest runs every test in a process of its own and the
// capture is the costly part.
//
// The floor's colours (its material, its line glow and the background) all have at least as
// much blue as red; scene 0, a ring of sandstone pillars with copper blocks, is warm; scene 1
// is blue and white. A pixel with clearly more red than blue is one of scene 0's.
#include "support/SDLVideo.h"
#include "support/TempFolder.h"

#include "core/Managed.h"
#include "io/NativeFileSystem.h"
#include "utils/Bitmap2D.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"
#include "utils/audio/Clip.h"
#include "utils/audio/ClipAudioStream.h"
#include "utils/audio/Stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace host_capture_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Pixels of the frame with clearly more red than blue.
int WarmPixels(ResourceProxy* frames, int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame);
    Resource<Bitmap2D, ResourceType::Bitmap2D> image(frames, name);
    EXPECT_EQ(image->GetWidth(), 1024);
    EXPECT_EQ(image->GetHeight(), 768);
    EXPECT_EQ(image->GetPixelFormat(), Graphics::PixelFormatR8G8B8A8);
    const uint8_t* pixel = image->GetData();
    int warm = 0;
    for (int i = 0; i < image->GetWidth() * image->GetHeight(); ++i, pixel += 4)
        warm += pixel[0] > pixel[2] + 24;
    return warm;
}

std::vector<float> ReadAll(Audio::Stream* stream, int frames)
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

TEST(CaptureTest, TheFirstThirtySecondsAtTenFramesASecond)
{
    Testing::HoldSDLVideo();
    if (HasFatalFailure())
        return;
    Testing::TempFolder temp;
    // The host finds its content as "data/" under the working folder.
    const std::string command = "cd " + Quoted(NIMBREL_DEMO_DATA "/..") + " && " + Quoted(NIMBREL_HOST_PROGRAM) +
                                " --capture " + Quoted(temp / "frames") + " --fps 10 --from 0 --to 30 > " +
                                Quoted(temp / "host.log") + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << temp.Read("host.log");

    for (const char* name : {"frame-000000.png", "frame-000001.png", "frame-000299.png", "audio.wav"})
        EXPECT_TRUE(temp.Exists(std::string("frames/") + name)) << name;
    EXPECT_FALSE(temp.Exists("frames/frame-000300.png"));
    const std::string log = temp.Read("host.log");
    EXPECT_NE(log.find("\rframe 1 of 300, "), std::string::npos) << log.substr(0, 200);
    EXPECT_NE(log.find("\rframe 300 of 300, 0:00 left"), std::string::npos);
    EXPECT_EQ(log.find('\n'), log.size() - 1) << "one line, ended once";

    Managed<IO::FileSystem> folder(IO::NativeFileSystem::Create((temp / "frames/").c_str()));
    Managed<ResourceProxy> frames(new DefaultResourceProxy());
    frames->SetFileSystem(folder.Get());
    for (int frame : {0, 40, 80, 120, 159, 160})
        EXPECT_EQ(WarmPixels(frames.Get(), frame), 0) << "frame " << frame;
    // The wipe grows the first part in within two thirds of a second and each further part a
    // third of a second after the one before.
    const int grown[] = {WarmPixels(frames.Get(), 163), WarmPixels(frames.Get(), 166), WarmPixels(frames.Get(), 170),
                         WarmPixels(frames.Get(), 180), WarmPixels(frames.Get(), 200)};
    EXPECT_GT(grown[0], 0);
    for (int i = 1; i < 5; ++i)
        EXPECT_GT(grown[i], grown[i - 1]) << "step " << i;
    EXPECT_GT(grown[4], 1024 * 768 / 20) << "a twentieth of the picture at 20 s";
    EXPECT_EQ(WarmPixels(frames.Get(), 290), 0) << "scene 1 from 24 s on";

    Resource<Audio::Clip, ResourceType::AudioClip> clip(frames.Get(), "audio.wav");
    ASSERT_EQ(clip->GetSampleWidth(), 32) << "the floats as decoded";
    Managed<Audio::Stream> wave(clip->CreateStream());
    Managed<IO::FileSystem> data(IO::NativeFileSystem::Create(NIMBREL_DEMO_DATA "/"));
    Managed<ResourceProxy> dataProxy(new DefaultResourceProxy());
    dataProxy->SetFileSystem(data.Get());
    Resource<Audio::Stream, ResourceType::AudioStream> music(dataProxy.Get(), "music.ogg");
    ASSERT_EQ(wave->GetChannelCount(), music->GetChannelCount());
    ASSERT_EQ(wave->GetSampleRate(), music->GetSampleRate());
    const int span = 30 * music->GetSampleRate();
    ASSERT_EQ(wave->GetSampleCount(), span);
    const std::vector<float> written = ReadAll(wave.Get(), span);
    const std::vector<float> decoded = ReadAll(music.Get(), span);
    ASSERT_EQ(written.size(), decoded.size());
    size_t differing = 0;
    for (size_t i = 0; i < written.size(); ++i)
        differing += written[i] != decoded[i];
    EXPECT_EQ(differing, 0u) << "of " << written.size() << " samples";
}

// Content that cannot be read ends the start-up with exit status 1 and the proxy's report,
// naming the file, once and on a line of its own.
TEST(CaptureTest, MissingOrDamagedContentEndsTheStartUpNamingTheFile)
{
    Testing::HoldSDLVideo();
    if (HasFatalFailure())
        return;
    struct Case {
        const char* what;
        const char* font;  // the font file's bytes, or null for no data folder at all
    };
    for (const Case& c : {Case{"no data folder", nullptr}, Case{"a damaged font", "not a font"}}) {
        Testing::TempFolder temp;
        temp.Write("work/.keep", "");
        if (c.font)
            temp.Write("work/data/DejaVuSans.ttf", c.font);
        // The shell writes the host's exit status down.
        const std::string command = "cd " + Quoted(temp / "work") + " && " + Quoted(NIMBREL_HOST_PROGRAM) +
                                    " --windowed > " + Quoted(temp / "host.log") + " 2>&1; echo $? > " +
                                    Quoted(temp / "status");
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string log = temp.Read("host.log");
        EXPECT_EQ(temp.Read("status"), "1\n") << c.what << ": " << log;
        // The report's first line names the descriptor; the lines below it, the loaders tried.
        const std::string report = "Descriptor 'data/DejaVuSans.ttf:12' could not be converted";
        const size_t named = log.find(report);
        EXPECT_NE(named, std::string::npos) << c.what << ": " << log;
        EXPECT_EQ(log.find(report, named + 1), std::string::npos) << c.what << ", said once: " << log;
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), '\n') << c.what;
    }
}

}  // namespace host_capture_test
