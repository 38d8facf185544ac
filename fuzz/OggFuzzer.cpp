// Ogg Vorbis files: the AudioClip request of the default proxy (the WAV reader refuses the
// bytes, the generic clip loader decodes the Ogg stream whole), then the AudioStream request
// itself, sought and read past its end while looping.
#include "FuzzProxy.h"
#include "OggPageChecksums.h"

#include "utils/audio/Clip.h"
#include "utils/audio/Stream.h"

#include <algorithm>
#include <vector>

using namespace Nimbrel;

// libvorbisfile loses 8 bytes of its own when the open of a chained stream fails in the
// headers of a later link: it does so without the engine (ov_fopen over the same bytes in a
// plain C program shows it). The leak is allocated in the library's static functions, which
// carry no symbol; the first frame with a name is ov_open_callbacks, so that is what the
// suppression names (a function, never a library path, so it matches wherever the library
// is installed). libvorbisfile is built without frame pointers, so the allocation stacks are
// taken by the slow unwinder here, or they would end in the nameless frame. The suppression
// also covers what an open that succeeded allocates; that ov_clear frees it all is shown by
// the OggStream tests, which run under the leak check with no such exemption.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:ov_open_callbacks\n";
}

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

// A mutation as libFuzzer makes it, with the page checksums made right again afterwards.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    Fuzzing::SetOggPageChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("music.ogg", data, size);
    Fuzzing::Attempt([&] { proxy.Get<Utils::Audio::Clip>(Utils::ResourceType::AudioClip, "music.ogg"); });

    Fuzzing::Attempt([&] {
        Managed<Utils::Audio::Stream> stream = proxy.Get<Utils::Audio::Stream>(Utils::ResourceType::AudioStream, "music.ogg");
        constexpr int Piece = 1024;
        std::vector<float> samples(static_cast<size_t>(Piece) * std::max(1, stream->GetChannelCount()));
        const int count = stream->GetSampleCount();
        for (int frame : {count / 2, count - 1, count, -1}) {
            stream->SeekSample(frame);
            stream->ReadSamples(samples.data(), Piece);
        }
        // A looping stream goes on from its start; a bounded number of frames past the end
        // shows the rewind without decoding a long file many times over.
        stream->SetLooping(true);
        stream->SeekSample(std::max(0, count - Piece / 2));
        for (int i = 0; i < 4; ++i)
            stream->ReadSamples(samples.data(), Piece);
    });
    return 0;
}
