#pragma once
// Utils::Loaders::WavLoader: the service that reads RIFF WAVE files into audio clips.
//
// Accepted: PCM with 8 (unsigned), 16, 24 or 32 bits per sample, and IEEE float with 32
// bits, also when given in the extensible format. 8- and 16-bit data and floats are kept as
// they are, with the file's bits per sample as the clip's sample width; 24- and 32-bit
// integers become 32-bit floats (full scale is -1 to 1). The clip's rate is the average
// bytes per second over the block alignment.
//
// Layout: "RIFF", size, "WAVE", then the "fmt " chunk first; a format chunk longer than its
// 16 basic bytes is skipped past. Chunks up to "data" are skipped by their size plus the pad
// byte of an odd size. A missing "data" chunk, or one larger than what is left of the file,
// is an error; so is a file that ends inside a header ("Invalid WAV-File! ...").

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class WavLoader : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::AudioClip); }
    String GetName() override { return "WavLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
