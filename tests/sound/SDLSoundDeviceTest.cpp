// The SDL sound device on SDL's dummy driver: it opens, mixes in real time and closes.
#include "sound/SDLSoundDevice.h"

#include "core/Managed.h"
#include "platform/Sleep.h"
#include "sound/Buffer.h"

#include "support/Expect.h"
#include "support/SDLAudio.h"
#include "support/WaitFor.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <vector>

using namespace Nimbrel;

namespace sdl_sound_device_test {

// Waits for the play cursor to leave `from`, up to a generous deadline.
bool CursorMoves(Sound::Buffer* buffer, int from)
{
    return Testing::WaitFor([&] { return buffer->GetPlayPosition() != from; });
}

TEST(SDLSoundDevice, PlaysBuffersInRealTimeAndStopsTheSubsystemWhenClosed)
{
    Testing::UseDummyAudioDriver();
    ASSERT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    Managed<Sound::Device> device(Sound::Device::Create(nullptr));
    auto* sdl = dynamic_cast<Sound::SDLSoundDevice*>(device.Get());
    ASSERT_NE(sdl, nullptr);
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    EXPECT_EQ(sdl->GetOutputRate(), 44100);

    Managed<Sound::Buffer> buffer(device->CreateBuffer(44100, 2, 16, 44100));
    std::vector<uint8_t> tone(44100, 0x10);
    buffer->Write(tone.data(), 0, 44100);
    Sleep(60);
    EXPECT_EQ(buffer->GetPlayPosition(), 0) << "a buffer is silent until played";

    buffer->PlayLooping(0);
    EXPECT_TRUE(CursorMoves(buffer.Get(), 0));
    // Stop and the mixing callback take the mixer's lock, so the cursor is final once Stop
    // has returned.
    buffer->Stop();
    const int stopped = buffer->GetPlayPosition();
    Sleep(80);
    EXPECT_EQ(buffer->GetPlayPosition(), stopped);

    EXPECT_THROW_MESSAGE(device->CreateBuffer(44100, 2, 12, 44100), "Unable to create sound buffer (Bad format)");

    // The buffer outlives its device and is no longer mixed.
    buffer->PlayLooping(0);
    device.Set(nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    const int after = buffer->GetPlayPosition();
    Sleep(60);
    EXPECT_EQ(buffer->GetPlayPosition(), after);
}

TEST(SDLSoundDevice, WithoutAnOutputItCannotBeCreated)
{
    {
        Testing::AudioDriver missing("no-such-driver");
        EXPECT_THROW_MESSAGE(Sound::Device::Create(nullptr), "Unable to create sound device");
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

}  // namespace sdl_sound_device_test
