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

#include <SDL.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

inline void UseDummyAudioDriver()
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

// Sets an environment variable for its lifetime.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name(name)
    {
        if (const char* old = std::getenv(name))
            previous = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable()
    {
        if (previous)
            setenv(name, previous->c_str(), 1);
        else
            unsetenv(name);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name;
    std::optional<std::string> previous;
};

class AudioDriver {
public:
    explicit AudioDriver(const char* driver) : variable("SDL_AUDIODRIVER", driver)
    {
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "SDL audio is already running: the driver cannot be chosen";
    }

private:
    ScopedVariable variable;
};

class DiskAudio {
public:
    DiskAudio() : file(std::filesystem::path(folder.Path()) / "output.raw"), output("SDL_DISKAUDIOFILE", file.string()) {}

    // Everything played so far (complete once the device is closed), as stereo float frames;
    // it may be read while the device plays, when the file may still be empty.
    std::vector<float> ReadOutput() const
    {
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<float> samples(bytes.size() / sizeof(float));
        // Before the driver has written anything both are empty, and their data may be null.
        if (!samples.empty())
            std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
        return samples;
    }

private:
    TempFolder folder;
    std::filesystem::path file;
    ScopedVariable output;
    AudioDriver driver{"disk"};
};

}  // namespace Nimbrel::Testing
