#include "utils/loaders/SoundBufferLoader.h"

#include "core/Exception.h"
#include "sound/Buffer.h"
#include "sound/Device.h"
#include "utils/Resource.h"
#include "utils/audio/Clip.h"

namespace Nimbrel::Utils::Loaders {

Object* SoundBufferLoader::Load(ResourceType type, const String& descriptor, ResourceProxy* proxy)
{
    Sound::Device* device = proxy->GetSoundDevice();
    if (type != ResourceType::SoundBuffer)
        throw Exception("Target type not supported");
    Resource<Audio::Clip, ResourceType::AudioClip> clip(proxy, descriptor);
    // A trailing partial frame (a truncated file) is not sound; the buffer holds whole frames.
    const int frameBytes = clip->GetChannelCount() * (clip->GetSampleWidth() / 8);
    const int size = frameBytes > 0 ? clip->GetSize() - clip->GetSize() % frameBytes : clip->GetSize();
    Managed<Sound::Buffer> buffer(
        device->CreateBuffer(size, clip->GetChannelCount(), clip->GetSampleWidth(), clip->GetSampleRate()));
    buffer->Write(clip->GetData(), 0, size);
    return buffer.Detach();
}

}  // namespace Nimbrel::Utils::Loaders
