// WAV files: the AudioClip request of the default proxy. Bytes the WAV reader refuses fall
// through to the generic clip loader, which asks for an Ogg stream of them.
#include "FuzzProxy.h"

#include "utils/audio/Clip.h"

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("sound.wav", data, size);
    Fuzzing::Attempt([&] { proxy.Get<Utils::Audio::Clip>(Utils::ResourceType::AudioClip, "sound.wav"); });
    return 0;
}
