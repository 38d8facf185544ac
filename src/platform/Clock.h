#pragma once
// The process clock every timing in the engine reads.
//
// GetSeconds() returns seconds since its first call in the process, from a monotonic clock.
// The origin is set once, thread-safely, so the audio feeder thread may read the clock too.

namespace Nimbrel {

double GetSeconds();

}  // namespace Nimbrel
