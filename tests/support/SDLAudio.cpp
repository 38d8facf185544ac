#include "support/SDLAudio.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace Nimbrel::Testing {

void UseDummyAudioDriver()
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

std::string CurrentAudioDriver()
{
    const char* driver = SDL_GetCurrentAudioDriver();
    return driver ? driver : "";
}

ScopedVariable::ScopedVariable(const char* name, const std::string& value) : name(name)
{
    if (const char* old = std::getenv(name))
        previous = old;
    setenv(name, value.c_str(), 1);
}

ScopedVariable::~ScopedVariable()
{
    if (previous)
        setenv(name, previous->c_str(), 1);
    else
        unsetenv(name);
}

AudioDriver::AudioDriver(const char* driver) : variable("SDL_AUDIODRIVER", driver)
{
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "SDL audio is already running: the driver cannot be chosen";
}

DiskAudio::DiskAudio()
    : file(std::filesystem::path(folder.Path()) / "output.raw"), output("SDL_DISKAUDIOFILE", file.string())
{
}

std::vector<float> DiskAudio::ReadOutput() const
{
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    // Before the driver has written anything both are empty, and their data may be null.
    if (!samples.empty())
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

}  // namespace Nimbrel::Testing
