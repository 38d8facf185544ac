#include "platform/Clock.h"

#include <chrono>

namespace Nimbrel {

double GetSeconds()
{
    using Clock = std::chrono::steady_clock;
    static const Clock::time_point origin = Clock::now();
    return std::chrono::duration<double>(Clock::now() - origin).count();
}

}  // namespace Nimbrel
