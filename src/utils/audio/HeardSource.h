#pragma once
// Utils::Audio::HeardSource: where an analyser reads the sound that is being heard.
//
// Frames are mono floats of -1 … 1 at GetHeardRate() Hz. GetHeardFrames() counts the frames
// heard so far and only grows; ReadHeard copies the last `frames` of them, oldest first, with
// silence for what the source no longer (or never) had. Both are called from the main thread
// once per frame and must be cheap and allocation-free. The Outlet is one; tests feed
// samples through their own.

#include <cstdint>

namespace Nimbrel::Utils::Audio {

class HeardSource {
public:
    virtual ~HeardSource() = default;
    virtual int GetHeardRate() const = 0;
    virtual int64_t GetHeardFrames() const = 0;
    virtual void ReadHeard(float* mono, int frames) const = 0;
};

}  // namespace Nimbrel::Utils::Audio
