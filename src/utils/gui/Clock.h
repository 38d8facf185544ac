#pragma once
// The time GUI animations read (button pulses, the text box caret): the process clock unless a
// test has put a source of its own in its place.

namespace Nimbrel::Utils::GUI {

using TimeSource = double (*)();

// Seconds from the current source.
double Now();
// Null restores the process clock.
void SetTimeSource(TimeSource source);

}  // namespace Nimbrel::Utils::GUI
