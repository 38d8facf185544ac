// The audio outlet: its feeder thread, its requests and what comes out of the device, on a
// mixer the test drives by hand and on SDL's disk driver.
#include "utils/audio/Outlet.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "platform/Clock.h"
#include "platform/Sleep.h"
#include "sound/SDLSoundDevice.h"
#include "utils/audio/ClipAudioStream.h"

#include "support/AudioFixtures.h"
#include "support/Expect.h"
#include "support/SDLAudio.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Nimbrel::Testing::ManualSoundDevice;

namespace outlet_test {

// A mono ramp stream of `frames` frames with hooks: it can throw once it reaches a frame,
// hold the first seek until released, and it records seeks and duration requests.
class ScriptedStream : public Audio::Stream {
public:
    explicit ScriptedStream(int frames, int rate = 44100) : frames(frames), rate(rate) {}

    bool IsReadable() const override { return true; }
    bool IsSeekable() const override { return true; }
    int GetSampleRate() const override { return rate; }
    int GetSampleCount() const override { return frames; }
    int GetSamplePosition() const override { return position; }
    double GetDuration() const override
    {
        ++durationCalls;
        durationThread = std::this_thread::get_id();
        return Stream::GetDuration();
    }
    void SeekSample(int frame) override
    {
        std::unique_lock<std::mutex> guard(lock);
        seeks.push_back(frame);
        changed.notify_all();
        if (holdFirstSeek && seeks.size() == 1)
            changed.wait(guard, [this] { return released; });
        position = std::clamp(frame, 0, frames);
    }
    int ReadSamples(float* data, int count) override
    {
        int i = 0;
        for (; i < count && position < frames; ++i, ++position) {
            if (position >= throwAt)
                throw Exception("The decoder broke");
            data[i] = Testing::RampValue(position);
        }
        return i;
    }

    std::vector<int> Seeks()
    {
        std::lock_guard<std::mutex> guard(lock);
        return seeks;
    }
    bool WaitForSeeks(size_t count)
    {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(10), [&] { return seeks.size() >= count; });
    }
    void LetSeekGo()
    {
        std::lock_guard<std::mutex> guard(lock);
        released = true;
        changed.notify_all();
    }

    int throwAt = std::numeric_limits<int>::max();
    bool holdFirstSeek = false;
    mutable std::atomic<int> durationCalls{0};
    mutable std::thread::id durationThread;

private:
    const int frames;
    const int rate;
    int position = 0;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<int> seeks;
    bool released = false;
};

using Testing::WaitFor;

bool Silent(const std::vector<float>& output)
{
    for (float sample : output)
        if (sample != 0.0f)
            return false;
    return true;
}

// The ramp frames in played output (mono ramp, both channels equal), -1 for silence.
std::vector<int> Frames(const std::vector<float>& stereo)
{
    std::vector<int> frames;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        EXPECT_EQ(stereo[i], stereo[i + 1]) << "frame " << i / 2;
        frames.push_back(Testing::RampFrame(stereo[i]));
    }
    return frames;
}

// The last ramp frame in `frames`, -1 when all is silence.
int LastRampFrame(const std::vector<int>& frames)
{
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame)
        if (*frame >= 0)
            return *frame;
    return -1;
}

// Silent frames after the last ramp frame; 0 before any ramp frame has come out.
size_t TrailingSilence(const std::vector<int>& frames)
{
    size_t silent = 0;
    for (auto frame = frames.rbegin(); frame != frames.rend() && *frame < 0; ++frame)
        ++silent;
    return silent == frames.size() ? 0 : silent;
}

// Checks that `frames` (silence dropped) runs from `first` to `last` in order, one frame per
// step within the one-step tolerance of the 16-bit conversion; returns the index after it.
size_t ExpectRun(const std::vector<int>& frames, size_t at, int first, int last)
{
    while (at < frames.size() && frames[at] < 0)
        ++at;
    for (int expected = first; expected <= last; ++expected, ++at) {
        if (at >= frames.size()) {
            ADD_FAILURE() << "the output ends before frame " << expected;
            return at;
        }
        if (frames[at] != expected && frames[at] != expected - 1) {
            ADD_FAILURE() << "output frame " << at << " shows ramp frame " << frames[at] << ", expected " << expected;
            return at;
        }
    }
    return at;
}

TEST(Outlet, PlayStateIsTheLastRequestMade)
{
    ManualSoundDevice device;
    Managed<Audio::Clip> clip(Testing::CreateRampClip(20000));
    Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
    stream->SetLooping(true);
    Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), &device, 2048));
    ASSERT_TRUE(WaitFor([&] { return device.created == 1; }));
    Sleep(30);
    EXPECT_TRUE(Silent(device.Render(256))) << "nothing is heard before Play";

    outlet->Play();
    ASSERT_TRUE(WaitFor([&] { return !Silent(device.Render(16)); }));

    // Both requests land between two polls: the later one wins.
    outlet->Stop();
    outlet->Play();
    EXPECT_TRUE(WaitFor([&] { return !Silent(device.Render(64)); })) << "Stop then Play must end up playing";

    outlet->Play();
    outlet->Stop();
    EXPECT_TRUE(WaitFor([&] { return Silent(device.Render(64)); })) << "Play then Stop must end up stopped";
}

TEST(Outlet, ASeekPostedWhileTheFeederServesOneIsNotLost)
{
    ManualSoundDevice device;
    ScriptedStream stream(44100);
    stream.holdFirstSeek = true;
    Managed<Audio::Outlet> outlet(new Audio::Outlet(&stream, &device, 1024));
    outlet->Seek(0.1);
    ASSERT_TRUE(stream.WaitForSeeks(1));  // the feeder is inside the first seek
    outlet->Seek(0.2);
    stream.LetSeekGo();
    ASSERT_TRUE(stream.WaitForSeeks(2)) << "the second seek was lost";
    EXPECT_EQ(stream.Seeks()[0], 4410);
    EXPECT_EQ(stream.Seeks().back(), 8820);
}

TEST(Outlet, DurationIsReadOnceOnTheConstructingThread)
{
    ManualSoundDevice device;
    ScriptedStream stream(22050, 11025);
    Managed<Audio::Outlet> outlet(new Audio::Outlet(&stream, &device, 1024));
    outlet->Play();
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(outlet->GetDuration(), 2.0);
    EXPECT_EQ(stream.durationCalls, 1);
    EXPECT_EQ(stream.durationThread, std::this_thread::get_id());

    // A stream that cannot tell keeps telling so.
    Managed<Audio::Stream> unseekable(new Audio::Stream());
    Managed<Audio::Outlet> blind(new Audio::Outlet(unseekable.Get(), &device, 1024));
    EXPECT_THROW_MESSAGE(blind->GetDuration(), "Audio::Stream is not seekable");
}

TEST(Outlet, ChunksMustLeaveRoomForTwoInTheRing)
{
    ManualSoundDevice device;
    Managed<Audio::Clip> mono(Testing::CreateRampClip(100));
    Managed<Audio::ClipAudioStream> monoStream(mono->CreateStream());
    Managed<Audio::Clip> stereo(new Audio::Clip(800, 2, 32, 44100, std::unique_ptr<uint8_t[]>(new uint8_t[800]())));
    Managed<Audio::ClipAudioStream> stereoStream(stereo->CreateStream());
    struct Case {
        Audio::Stream* stream;
        int frames;
        bool fits;
    };
    for (Case c : {Case{monoStream.Get(), 11025, true}, Case{monoStream.Get(), 11026, false},
                   Case{stereoStream.Get(), 5512, true}, Case{stereoStream.Get(), 5513, false},
                   Case{monoStream.Get(), 0, false}, Case{monoStream.Get(), -1, false}}) {
        if (c.fits) {
            Managed<Audio::Outlet> outlet(new Audio::Outlet(c.stream, &device, c.frames));
        } else {
            EXPECT_THROW_MESSAGE(Audio::Outlet(c.stream, &device, c.frames),
                                 String::Format("Audio::Outlet: A chunk of %d frames does not fit the sound buffer", c.frames).CStr());
        }
    }
}

// Plays `outlet` on the manual device at about real speed until it is finished (or a time
// limit), collecting the output. `finishedEarly` is set if the outlet says it is finished
// before the last frame of the ramp has been played.
std::vector<int> PlayOut(ManualSoundDevice& device, Audio::Outlet& outlet, int lastFrame, bool& finishedEarly)
{
    std::vector<int> frames;
    bool lastPlayed = false;
    finishedEarly = false;
    const double start = GetSeconds();
    while (GetSeconds() - start < 10.0) {
        if (outlet.IsFinished()) {
            finishedEarly = !lastPlayed;
            break;
        }
        for (int frame : Frames(device.Render(256))) {
            frames.push_back(frame);
            lastPlayed = lastPlayed || frame >= lastFrame - 1;
        }
        Sleep(8);
    }
    for (int frame : Frames(device.Render(30000)))
        frames.push_back(frame);
    return frames;
}

TEST(Outlet, FinishesOnceTheLastFrameIsPlayedAndPadsTheEndWithSilence)
{
    // Longer than the ring, so that stale audio would be there to hear after the end.
    ManualSoundDevice device;
    Managed<Audio::Clip> clip(Testing::CreateRampClip(30000));
    Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
    Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), &device, 4096));
    Sleep(50);
    EXPECT_FALSE(outlet->IsFinished());
    outlet->Play();

    bool finishedEarly = false;
    std::vector<int> frames = PlayOut(device, *outlet, 29999, finishedEarly);
    EXPECT_TRUE(outlet->IsFinished());
    EXPECT_FALSE(finishedEarly);
    size_t end = ExpectRun(frames, 0, 0, 29999);
    for (size_t i = end; i < frames.size(); ++i)
        ASSERT_EQ(frames[i], -1) << "output frame " << i << " after the end is not silent";
    EXPECT_EQ(device.mixer->GetUnderrunCount(), 0);
    EXPECT_EQ(outlet->GetError(), "");
}

TEST(Outlet, AShortStreamFinishesOnlyAfterItWasPlayedAndAnEmptyOneAtOnce)
{
    ManualSoundDevice device;
    Managed<Audio::Clip> clip(Testing::CreateRampClip(500));
    Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
    Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), &device, 4096));
    Sleep(100);
    EXPECT_FALSE(outlet->IsFinished()) << "not finished before it was played";
    outlet->Play();
    ASSERT_TRUE(WaitFor([&] { return !Silent(device.Render(1)); }));
    device.Render(400);
    Sleep(60);
    EXPECT_FALSE(outlet->IsFinished()) << "finished with 99 frames still to play";
    device.Render(100);
    EXPECT_TRUE(WaitFor([&] { return outlet->IsFinished(); }));

    Managed<Audio::Clip> none(new Audio::Clip(0, 1, 32, 44100));
    Managed<Audio::ClipAudioStream> empty(none->CreateStream());
    Managed<Audio::Outlet> nothing(new Audio::Outlet(empty.Get(), &device, 4096));
    EXPECT_TRUE(WaitFor([&] { return nothing->IsFinished(); }));
}

TEST(Outlet, AFailingStreamOrBufferEndsTheOutletAsFinishedWithItsError)
{
    ManualSoundDevice device;
    ScriptedStream failsAtOnce(44100);
    failsAtOnce.throwAt = 0;
    ScriptedStream failsLater(44100);
    failsLater.throwAt = 10000;
    Managed<Audio::Clip> surround(new Audio::Clip(1200, 6, 16, 44100, std::unique_ptr<uint8_t[]>(new uint8_t[1200]())));
    Managed<Audio::ClipAudioStream> sixChannels(surround->CreateStream());
    struct Case {
        Audio::Stream* stream;
        const char* error;
    };
    for (Case c : {Case{&failsAtOnce, "The decoder broke"}, Case{&failsLater, "The decoder broke"},
                   Case{sixChannels.Get(), "Unable to create sound buffer (Bad format)"}}) {
        Managed<Audio::Outlet> outlet(new Audio::Outlet(c.stream, &device, 1024));
        outlet->Play();
        EXPECT_TRUE(WaitFor([&] {
            device.Render(512);
            return outlet->IsFinished();
        }));
        EXPECT_EQ(outlet->GetError(), c.error);
        outlet->Play();  // requests after the end do nothing
        outlet->Seek(0.0);
    }
}

TEST(Outlet, WhatIsHeardIsWhatTheDevicePlayedUpToItsCursor)
{
    ManualSoundDevice device;
    Managed<Audio::Clip> clip(Testing::CreateRampClip(20000));
    Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
    stream->SetLooping(true);
    Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), &device, 2048));
    EXPECT_EQ(outlet->GetHeardRate(), 44100);
    Testing::PlayedAudio listening(device, *outlet);
    const int ringFrames = Audio::Outlet::RingBytes / 2;

    ASSERT_TRUE(WaitFor([&] { return device.created == 1; }));
    ASSERT_TRUE(listening.Published());  // nothing played: the feeder reports no frame heard
    EXPECT_EQ(outlet->GetHeardFrames(), 0);
    EXPECT_EQ(listening.Heard(3000), std::vector<long>(3000, 0)) << "the queued chunks are not heard before Play";

    outlet->Play();
    ASSERT_TRUE(listening.RenderUntil(true));
    ASSERT_TRUE(listening.Published());
    EXPECT_EQ(listening.Heard(100), listening.LastPlayed(100)) << "silence before the first frame played";
    for (int step = 0; step < 30; ++step) {
        ASSERT_TRUE(listening.Render(997));
        ASSERT_EQ(listening.Heard(3000), listening.LastPlayed(3000)) << "after " << listening.played.size() << " frames";
    }

    // Paused: the cursor stays while the feeder goes on queuing; nothing more is heard.
    outlet->Stop();
    ASSERT_TRUE(listening.RenderUntil(false));
    device.Render(5000);
    ASSERT_TRUE(listening.Published());
    EXPECT_EQ(listening.Heard(3000), listening.LastPlayed(3000));

    // A seek while paused: the audio queued before it is heard first, then the target.
    outlet->Seek(0.1);
    outlet->Play();
    ASSERT_TRUE(listening.RenderUntil(true));
    bool jumped = false;
    for (int step = 0; step < 12; ++step) {
        ASSERT_TRUE(listening.Render(997));
        ASSERT_EQ(listening.Heard(3000), listening.LastPlayed(3000)) << "after " << listening.played.size() << " frames";
        const std::vector<long> last = listening.LastPlayed(997);
        for (size_t i = 1; i < last.size(); ++i)
            jumped = jumped || (last[i - 1] - last[i] > 100 && std::abs(last[i] - Testing::RampBase - 4410) <= 1);
    }
    EXPECT_TRUE(jumped) << "the seek target was never heard";

    // More than the ring keeps: the oldest part is silence, the rest what was played.
    const int kept = ringFrames - 2 * 2048;
    std::vector<long> heard = listening.Heard(ringFrames + 500);
    std::vector<long> played = listening.LastPlayed(ringFrames + 500);
    EXPECT_EQ(std::vector<long>(heard.begin(), heard.begin() + 500), std::vector<long>(500, 0));
    EXPECT_EQ(std::vector<long>(heard.end() - kept, heard.end()), std::vector<long>(played.end() - kept, played.end()));
    EXPECT_EQ(device.mixer->GetUnderrunCount(), 0);

    EXPECT_THROW_MESSAGE(outlet->ReadHeard(nullptr, 4), "Audio::Outlet::ReadHeard: 4 frames can not be read");
    float one = 0.0f;
    EXPECT_THROW_MESSAGE(outlet->ReadHeard(&one, -1), "Audio::Outlet::ReadHeard: -1 frames can not be read");
    outlet->ReadHeard(nullptr, 0);
}

// ---------------------------------------------------------------------------------------------
// On SDL drivers

// Releases `outlet` on a thread of its own; true when the release returned before the deadline.
// Otherwise the manual device is rendered until the release returns, so that a destructor
// that waits for its audio to be played fails the test instead of hanging it.
bool ReleasesWithoutPlaying(Audio::Outlet* outlet, ManualSoundDevice& device)
{
    std::atomic<bool> released{false};
    std::thread releaser([&] {
        outlet->Release();
        released = true;
    });
    const bool inTime = WaitFor([&] { return released.load(); });
    while (!released)
        device.Render(4096);
    releaser.join();
    return inTime;
}

TEST(Outlet, TheDestructorDoesNotWaitForQueuedAudioInAnyState)
{
    // Nothing plays on the manual device unless the test renders, so a destructor that waited
    // for queued audio, or for the stream to end, would never return on its own.
    ManualSoundDevice device;
    enum State { Fresh, Playing, Paused, Seeking, Draining, Finished, Failed };
    for (State state : {Fresh, Playing, Paused, Seeking, Draining, Finished, Failed}) {
        SCOPED_TRACE(testing::Message() << "state " << state);
        // 8000 Hz mono: thirty seconds, or a hundred frames for the one that is played out.
        ScriptedStream stream(state == Finished ? 100 : 8000 * 30, 8000);
        if (state == Failed)
            stream.throwAt = 0;
        auto* outlet = new Audio::Outlet(&stream, &device, 2048);
        ASSERT_TRUE(WaitFor([&] { return device.created.load() > 0 || outlet->IsFinished(); }));
        if (state != Fresh && state != Failed)
            outlet->Play();
        if (state == Paused)
            outlet->Stop();
        if (state == Seeking)
            outlet->Seek(12.5);
        if (state == Draining)
            outlet->Seek(29.95);  // the stream ends with its last frames still queued
        if (state == Seeking || state == Draining) {
            EXPECT_TRUE(stream.WaitForSeeks(1));
        }
        if (state == Finished) {
            EXPECT_TRUE(WaitFor([&] {
                device.Render(256);
                return outlet->IsFinished();
            }));
        }
        if (state == Failed) {
            EXPECT_TRUE(WaitFor([&] { return outlet->IsFinished(); }));
        }
        device.created = 0;
        EXPECT_TRUE(ReleasesWithoutPlaying(outlet, device));
    }
}

TEST(Outlet, OnTheDiskDriverARampComesOutInOrderAndCompleteThenSilence)
{
    Testing::DiskAudio disk;
    const int frames = 29000;
    Managed<Audio::Clip> clip(Testing::CreateRampClip(frames));
    int64_t underruns = 0;
    {
        Managed<Sound::SDLSoundDevice> device(new Sound::SDLSoundDevice(nullptr));
        ASSERT_EQ(Testing::CurrentAudioDriver(), "disk");
        Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
        Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), device.Get(), 8192));
        // Let the device play some silence first.
        ASSERT_TRUE(WaitFor([&] { return disk.ReadOutput().size() >= 2 * 1024; }));
        outlet->Play();
        ASSERT_TRUE(WaitFor([&] { return outlet->IsFinished(); }));
        EXPECT_TRUE(WaitFor([&] { return TrailingSilence(Frames(disk.ReadOutput())) > 1000; }));
        outlet.Set(nullptr);
        underruns = device->GetUnderrunCount();
    }
    EXPECT_EQ(underruns, 0);

    std::vector<int> output = Frames(disk.ReadOutput());
    ASSERT_GT(output.size(), static_cast<size_t>(frames));
    EXPECT_EQ(output.front(), -1) << "something was heard before Play";
    size_t end = ExpectRun(output, 0, 0, frames - 1);
    size_t silence = 0;
    for (size_t i = end; i < output.size(); ++i) {
        ASSERT_EQ(output[i], -1) << "output frame " << i << " after the end is not silent";
        ++silence;
    }
    EXPECT_GT(silence, 1000u);
}

TEST(Outlet, OnTheDiskDriverStopFreezesAndSeekResumesAtTheRightFrame)
{
    Testing::DiskAudio disk;
    const int frames = 29000;
    const int chunk = 8192;
    Managed<Audio::Clip> clip(Testing::CreateRampClip(frames));
    {
        Managed<Sound::SDLSoundDevice> device(new Sound::SDLSoundDevice(nullptr));
        ASSERT_EQ(Testing::CurrentAudioDriver(), "disk");
        Managed<Audio::ClipAudioStream> stream(clip->CreateStream());
        Managed<Audio::Outlet> outlet(new Audio::Outlet(stream.Get(), device.Get(), chunk));
        outlet->Play();
        ASSERT_TRUE(WaitFor([&] { return LastRampFrame(Frames(disk.ReadOutput())) >= 4000; }));
        outlet->Stop();
        // Stopped once a pause of 0.15 s has come out after the last ramp frame.
        ASSERT_TRUE(WaitFor([&] { return TrailingSilence(Frames(disk.ReadOutput())) > 44100 * 150 / 1000; }));
        outlet->Seek(0.05);  // frame 2205
        outlet->Play();
        ASSERT_TRUE(WaitFor([&] { return outlet->IsFinished(); }));
    }

    // Silence dropped, the output is the ramp up to the end of what was queued when the seek
    // came, then the ramp from the seek target to the end.
    std::vector<int> output = Frames(disk.ReadOutput());
    size_t at = 0;
    while (at < output.size() && output[at] < 0)
        ++at;
    int previous = -1;
    int playedBeforeSeek = -1;  // the last ramp frame before the pause in which the seek came
    size_t pauseStart = 0, longestPause = 0;
    for (; at < output.size(); ++at) {
        if (output[at] < 0) {
            if (!pauseStart)
                pauseStart = at;
            continue;
        }
        if (pauseStart) {
            if (at - pauseStart > longestPause) {
                longestPause = at - pauseStart;
                playedBeforeSeek = previous;
            }
            pauseStart = 0;
        }
        if (previous >= 0 && output[at] < previous - 1000)
            break;  // the jump back to the seek target
        ASSERT_TRUE(previous < 0 || output[at] == previous + 1 || output[at] == previous || output[at] == previous + 2)
            << "output frame " << at << " shows ramp frame " << output[at] << " after " << previous;
        previous = output[at];
    }
    EXPECT_GT(longestPause, 44100u * 150 / 1000) << "Stop did not hold the output for the pause";
    ASSERT_LT(at, output.size()) << "the seek never took effect";
    const int stoppedAt = previous;
    EXPECT_GE(playedBeforeSeek, 4000);
    EXPECT_GE(stoppedAt, playedBeforeSeek);
    EXPECT_LE(stoppedAt, playedBeforeSeek + 2 * chunk) << "more than the queued audio played after the seek";
    size_t end = ExpectRun(output, at, 2205, frames - 1);
    for (size_t i = end; i < output.size(); ++i)
        ASSERT_EQ(output[i], -1) << "output frame " << i << " after the end is not silent";
}

}  // namespace outlet_test
