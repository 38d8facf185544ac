#pragma once
// Suspends the calling thread for about the given number of milliseconds (0 or less yields).

namespace Nimbrel {

void Sleep(int milliseconds);

}  // namespace Nimbrel
