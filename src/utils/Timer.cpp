#include "utils/Timer.h"

namespace Nimbrel::Utils {

Timer::Timer(double (*clock)()) : clock(clock)
{
    Reset();
}

void Timer::Reset()
{
    startTime = clock();
    previousSample = 0.0;
    frameCounter = 0;
    windowStart = 0.0;
}

double Timer::GetElapsed()
{
    return clock() - startTime;
}

double Timer::GetDelta()
{
    const double now = GetElapsed();
    const double delta = now - previousSample;
    previousSample = now;
    return delta;
}

double Timer::GetFPS()
{
    const double now = GetElapsed();
    if (now - windowStart > 1.0) {
        framesPerSecond = frameCounter / (now - windowStart);
        frameCounter = 0;
        windowStart = now;
    }
    ++frameCounter;
    return framesPerSecond;
}

}  // namespace Nimbrel::Utils
