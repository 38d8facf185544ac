#pragma once
// What the Studio tests share: a platform clock the test sets, and a transport that records
// what the Studio asked of the music.

#include "utils/audio/Transport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

// The seconds the Studio's clock reads while a test uses StudioTestClock.
inline double& StudioTestSeconds()
{
    static double seconds = 0.0;
    return seconds;
}
inline double StudioTestClock()
{
    return StudioTestSeconds();
}

// "Play", "Stop" and "Seek <seconds>" in the order asked.
class RecordingTransport : public Utils::Audio::Transport {
public:
    void Play() override { calls.push_back("Play"); }
    void Stop() override { calls.push_back("Stop"); }
    void Seek(double seconds) override { calls.push_back("Seek " + Format(seconds)); }
    static std::string Format(double seconds)
    {
        char text[32];
        std::snprintf(text, sizeof(text), "%g", seconds);
        return text;
    }
    std::vector<std::string> calls;
};

}  // namespace Nimbrel::Testing
