// The frame timer on a clock the test moves by hand.
#include "utils/Timer.h"

#include <gtest/gtest.h>

namespace timer_test {

using Nimbrel::Utils::Timer;

double now = 0.0;
double FakeClock()
{
    return now;
}

TEST(TimerTest, ElapsedAndDeltaRunFromTheReset)
{
    now = 50.0;
    Timer timer(FakeClock);
    EXPECT_EQ(timer.GetElapsed(), 0.0);
    EXPECT_EQ(timer.GetDelta(), 0.0);  // right after the reset

    now = 51.0;
    EXPECT_DOUBLE_EQ(timer.GetDelta(), 1.0);
    now = 52.0;
    EXPECT_DOUBLE_EQ(timer.GetDelta(), 1.0);
    EXPECT_DOUBLE_EQ(timer.GetElapsed(), 2.0);

    now = 60.0;
    timer.Reset();
    now = 60.25;
    EXPECT_DOUBLE_EQ(timer.GetElapsed(), 0.25);
    EXPECT_DOUBLE_EQ(timer.GetDelta(), 0.25);
}

TEST(TimerTest, FramesPerSecondChangesOncePerSecondWindow)
{
    now = 0.0;
    Timer timer(FakeClock);
    // One call every 10 ms: the figure keeps its start value until more than a second has
    // passed, then it is the calls counted divided by the window's length.
    int step = 0;
    for (; step <= 100; ++step) {
        now = step * 0.01;
        EXPECT_EQ(timer.GetFPS(), 0.0) << "at " << now;
    }
    now = step * 0.01;  // 1.01 s: 101 calls counted in 1.01 s
    EXPECT_NEAR(timer.GetFPS(), 100.0, 1e-9);

    // The next window starts at 1.01 s with this call counted; two calls in 1.5 s.
    now = 2.0;
    EXPECT_NEAR(timer.GetFPS(), 100.0, 1e-9);
    now = 2.51;
    EXPECT_NEAR(timer.GetFPS(), 2.0 / 1.5, 1e-9);
}

TEST(TimerTest, RealClockMovesForward)
{
    Timer timer;
    const double first = timer.GetElapsed();
    const double second = timer.GetElapsed();
    EXPECT_GE(first, 0.0);
    EXPECT_GE(second, first);
}

}  // namespace timer_test
