#pragma once
// Studio::MusicalClock: the presentation's time in seconds and in musical units at a tempo.
//
// A bar is 4 beats, a beat 4 ticks, a tick 4 qticks (16 qticks a beat); every conversion is in
// 64-bit floating point. While playing, the time is the platform clock minus the clock reading
// at time 0; while paused it stays where it was. SetTime jumps, and the transport (the music,
// when one is set) follows through Seek, Play and Stop.
//
// The platform clock can be replaced, so a test decides how much time has passed. Main thread
// only.

#include "utils/audio/Transport.h"

namespace Nimbrel::Utils::Studio {

class MusicalClock {
public:
    using ClockFunction = double (*)();

    // Reads GetSeconds() unless a clock is given; time 0, playing, 140 beats per minute.
    explicit MusicalClock(ClockFunction clock = nullptr);

    // Throws "Studio::Root::SetTempo(): The tempo must be a positive number of beats per
    // minute" for anything else, which would make every conversion divide by zero or worse.
    void SetTempo(double bpm);
    double GetTempo() const { return tempo; }
    // Borrowed; null for none.
    void SetTransport(Audio::Transport* transport) { this->transport = transport; }
    Audio::Transport* GetTransport() const { return transport; }

    double GetTime() const { return time; }
    double GetTimeQticks() const { return SecondsToQticks(time); }
    // Times below 0 (and NaN) become 0. Restarts the count from the clock and seeks the
    // transport.
    void SetTime(double seconds);
    void SetTimeQticks(double qticks) { SetTime(QticksToSeconds(qticks)); }
    // Freezes the time and stops the transport.
    void Pause();
    // Continues from the frozen time: seeks the transport there, then plays it.
    void Play();
    bool IsPaused() const { return paused; }
    // Takes the time from the clock unless paused; once per frame.
    void Advance();
    // Seconds on the clock this one reads.
    double Now() const { return clock(); }

    double SecondsToBeats(double seconds) const { return seconds * tempo / 60.0; }
    double BeatsToSeconds(double beats) const { return beats / (tempo / 60.0); }
    double SecondsToBars(double seconds) const { return SecondsToBeats(seconds) / 4.0; }
    double BarsToSeconds(double bars) const { return BeatsToSeconds(bars * 4.0); }
    double SecondsToTicks(double seconds) const { return SecondsToBeats(seconds) * 4.0; }
    double TicksToSeconds(double ticks) const { return BeatsToSeconds(ticks / 4.0); }
    double SecondsToQticks(double seconds) const { return SecondsToBeats(seconds) * 16.0; }
    double QticksToSeconds(double qticks) const { return BeatsToSeconds(qticks / 16.0); }

private:
    ClockFunction clock;
    Audio::Transport* transport = nullptr;
    double time = 0.0;
    double clockStart;
    double tempo = 140.0;
    bool paused = false;
};

}  // namespace Nimbrel::Utils::Studio
