#pragma once
// Timer: the Application's frame clock, on the process clock.
//
// GetElapsed() is the time since the reset; GetDelta() the time since the previous GetDelta()
// (since the reset for the first call); GetFPS() counts one frame per call and, at most once
// per second, sets the frame rate to the calls counted over the window's length. The rate
// reads 0.0 until the first full second has passed.

#include "core/Object.h"
#include "platform/Clock.h"

namespace Nimbrel::Utils {

class Timer : public Object {
public:
    // The clock is GetSeconds unless a test gives another one (seconds as a double).
    explicit Timer(double (*clock)() = GetSeconds);

    void Reset();
    double GetElapsed();
    double GetDelta();
    double GetFPS();

private:
    double (*clock)();
    double startTime = 0.0;
    double previousSample = 0.0;
    int frameCounter = 0;
    double windowStart = 0.0;
    double framesPerSecond = 0.0;
};

}  // namespace Nimbrel::Utils
