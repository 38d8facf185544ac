// The Studio's clock: musical conversions at a tempo, and time kept against a clock the test
// sets, with the music following through a recording transport.
#include "utils/studio/MusicalClock.h"

#include "support/Expect.h"
#include "support/StudioClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace musical_clock_test {

using namespace Nimbrel;
using Testing::RecordingTransport;
using Testing::StudioTestClock;
using Testing::StudioTestSeconds;
using Utils::Studio::MusicalClock;
using Calls = std::vector<std::string>;

class MusicalClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StudioTestSeconds() = 100.0;
        clock.SetTransport(&music);
    }
    MusicalClock clock{&StudioTestClock};
    RecordingTransport music;
};

TEST_F(MusicalClockTest, ConversionsAt140BeatsPerMinute)
{
    EXPECT_EQ(clock.GetTempo(), 140.0);
    // 1.5 s at 140 bpm is 3.5 beats.
    EXPECT_DOUBLE_EQ(clock.SecondsToBeats(1.5), 3.5);
    EXPECT_DOUBLE_EQ(clock.SecondsToBars(1.5), 0.875);
    EXPECT_DOUBLE_EQ(clock.SecondsToTicks(1.5), 14.0);
    EXPECT_DOUBLE_EQ(clock.SecondsToQticks(1.5), 56.0);
    EXPECT_NEAR(clock.QticksToSeconds(1.0), 60.0 / (140.0 * 16.0), 1e-15);
    struct Back {
        double (MusicalClock::*to)(double) const;
        double (MusicalClock::*from)(double) const;
    };
    const Back inverses[] = {{&MusicalClock::SecondsToBeats, &MusicalClock::BeatsToSeconds},
                             {&MusicalClock::SecondsToBars, &MusicalClock::BarsToSeconds},
                             {&MusicalClock::SecondsToTicks, &MusicalClock::TicksToSeconds},
                             {&MusicalClock::SecondsToQticks, &MusicalClock::QticksToSeconds}};
    for (const Back& pair : inverses)
        EXPECT_NEAR((clock.*pair.from)((clock.*pair.to)(7.25)), 7.25, 1e-12);
}

TEST_F(MusicalClockTest, TempoChangesTheQtickTimeOfTheSameSeconds)
{
    clock.SetTime(1.5);
    clock.SetTempo(120.0);
    EXPECT_DOUBLE_EQ(clock.GetTimeQticks(), 48.0);
    clock.SetTimeQticks(64.0);
    EXPECT_DOUBLE_EQ(clock.GetTime(), 2.0);
}

TEST_F(MusicalClockTest, TempoThatIsNotAPositiveNumberIsRefused)
{
    for (double bpm : {0.0, -140.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        EXPECT_THROW_MESSAGE(clock.SetTempo(bpm),
                             "Studio::Root::SetTempo(): The tempo must be a positive number of beats per minute");
        EXPECT_EQ(clock.GetTempo(), 140.0);
    }
}

TEST_F(MusicalClockTest, TimeRunsWithTheClockFromWhereItWasSet)
{
    clock.SetTime(4.0);
    StudioTestSeconds() += 2.5;
    clock.Advance();
    EXPECT_DOUBLE_EQ(clock.GetTime(), 6.5);
    EXPECT_EQ(music.calls, Calls({"Seek 4"}));
}

TEST_F(MusicalClockTest, TimeBeforeZeroSeeksZero)
{
    for (double seconds : {-3.0, -0.0001, std::numeric_limits<double>::quiet_NaN()}) {
        music.calls.clear();
        clock.SetTime(seconds);
        EXPECT_EQ(clock.GetTime(), 0.0);
        EXPECT_EQ(music.calls, Calls({"Seek 0"}));
        StudioTestSeconds() += 1.0;
        clock.Advance();
        EXPECT_DOUBLE_EQ(clock.GetTime(), 1.0) << "counting restarts at 0";
    }
}

TEST_F(MusicalClockTest, PauseFreezesTimeAndPlayResumesFromThere)
{
    clock.SetTime(10.0);
    clock.Pause();
    EXPECT_TRUE(clock.IsPaused());
    StudioTestSeconds() += 5.0;
    clock.Advance();
    EXPECT_DOUBLE_EQ(clock.GetTime(), 10.0);

    clock.Play();
    EXPECT_FALSE(clock.IsPaused());
    EXPECT_EQ(music.calls, Calls({"Seek 10", "Stop", "Seek 10", "Play"})) << "resume seeks, then plays";
    StudioTestSeconds() += 1.0;
    clock.Advance();
    EXPECT_DOUBLE_EQ(clock.GetTime(), 11.0);
}

TEST_F(MusicalClockTest, WithoutATransportTheClockStillRuns)
{
    clock.SetTransport(nullptr);
    clock.SetTime(2.0);
    clock.Pause();
    clock.Play();
    StudioTestSeconds() += 1.0;
    clock.Advance();
    EXPECT_DOUBLE_EQ(clock.GetTime(), 3.0);
    EXPECT_TRUE(music.calls.empty());
}

}  // namespace musical_clock_test
