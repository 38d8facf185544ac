#pragma once
// Waiting in a test for what another thread or the window system makes true in its own time:
// the condition is checked until it holds, up to a deadline generous enough for two loaded
// cores under the sanitizers. The deadline only bounds a failing test; a passing one goes on
// as soon as the condition holds, so no test depends on how fast the machine is.

#include "platform/Clock.h"

#include <chrono>
#include <functional>
#include <thread>

namespace Nimbrel::Testing {

constexpr double WaitDeadlineSeconds = 10.0;

// True once `condition` holds; false only when it still fails at the deadline. Between two
// checks `pass` runs (a device's Present, an Application's Update: whatever delivers what is
// awaited), then the thread gives the others the processor for a moment.
// A wait for something slower, such as a whole program run under the sanitizers, gives its
// own deadline.
inline bool WaitFor(const std::function<bool()>& condition, const std::function<void()>& pass = {},
                    double deadlineSeconds = WaitDeadlineSeconds)
{
    const double start = GetSeconds();
    while (!condition()) {
        if (GetSeconds() - start > deadlineSeconds)
            return false;
        if (pass)
            pass();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace Nimbrel::Testing
