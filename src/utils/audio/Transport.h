#pragma once
// Utils::Audio::Transport: what a clock that follows music asks of the player. The Outlet is
// one; tests put a recording transport in its place.

namespace Nimbrel::Utils::Audio {

class Transport {
public:
    virtual ~Transport() = default;
    virtual void Play() = 0;
    // Pauses; Play resumes where it stopped.
    virtual void Stop() = 0;
    virtual void Seek(double seconds) = 0;
};

}  // namespace Nimbrel::Utils::Audio
