#pragma once
// SDL audio for tests. Sound devices in tests run on SDL's dummy driver (the test command
// sets it; UseDummyAudioDriver() sets it too when a test binary is run by hand) or on its disk
// driver, which writes everything the device plays to a file.
//
// AudioDriver selects an SDL audio driver by name for the devices made while it lives and
// puts the previous choice back afterwards. DiskAudio selects the disk driver with an output
// file in a temporary folder of its own. SDL reads these variables when its audio subsystem
// starts, so no other SDL audio user may be alive in the process meanwhile (every test runs
// in a process of its own under ctest, and the engine's devices stop the subsystem when they
// go).

#include "support/TempFolder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

void UseDummyAudioDriver();

// The name of the driver SDL audio runs on, empty when it is not running.
std::string CurrentAudioDriver();

// Sets an environment variable for its lifetime.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name;
    std::optional<std::string> previous;
};

class AudioDriver {
public:
    explicit AudioDriver(const char* driver);

private:
    ScopedVariable variable;
};

class DiskAudio {
public:
    DiskAudio();

    // Everything played so far (complete once the device is closed), as stereo float frames;
    // it may be read while the device plays, when the file may still be empty.
    std::vector<float> ReadOutput() const;

private:
    TempFolder folder;
    std::filesystem::path file;
    ScopedVariable output;
    AudioDriver driver{"disk"};
};

}  // namespace Nimbrel::Testing
