#include "utils/studio/MusicalClock.h"

#include "core/Exception.h"
#include "platform/Clock.h"

#include <cmath>

namespace Nimbrel::Utils::Studio {

MusicalClock::MusicalClock(ClockFunction clock) : clock(clock ? clock : &GetSeconds), clockStart(this->clock()) {}

void MusicalClock::SetTempo(double bpm)
{
    if (!(bpm > 0.0) || !std::isfinite(bpm))
        throw Exception("Studio::Root::SetTempo(): The tempo must be a positive number of beats per minute");
    tempo = bpm;
}

void MusicalClock::SetTime(double seconds)
{
    if (!(seconds > 0.0))
        seconds = 0.0;
    clockStart = clock() - seconds;
    time = seconds;
    if (transport)
        transport->Seek(seconds);
}

void MusicalClock::Pause()
{
    paused = true;
    if (transport)
        transport->Stop();
}

void MusicalClock::Play()
{
    paused = false;
    SetTime(time);
    if (transport)
        transport->Play();
}

void MusicalClock::Advance()
{
    if (!paused)
        time = clock() - clockStart;
}

}  // namespace Nimbrel::Utils::Studio
