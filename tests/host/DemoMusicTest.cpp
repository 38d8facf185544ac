// The demo's music as committed in data/: its format and length, and a beat a listener hears
// where the Studio's clock counts one (140 beats per minute).
#include "utils/loaders/OggStream.h"

#include "core/Managed.h"
#include "support/MemoryStream.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace demo_music_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;

TEST(DemoMusicTest, EightyTwoBarsAt140BeatsPerMinuteWithAKickOnEveryBeat)
{
    std::ifstream file(NIMBREL_DEMO_DATA "/music.ogg", std::ios::binary);
    ASSERT_TRUE(file) << NIMBREL_DEMO_DATA "/music.ogg";
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    Managed<Testing::MemoryStream> input(new Testing::MemoryStream(bytes));
    Managed<Loaders::OggStream> music(new Loaders::OggStream(input.Get()));

    const int beatFrames = 44100 * 60 / 140;
    ASSERT_EQ(music->GetChannelCount(), 2);
    ASSERT_EQ(music->GetSampleRate(), 44100);
    ASSERT_EQ(music->GetSampleCount(), 82 * 4 * beatFrames);

    std::vector<float> samples(static_cast<size_t>(music->GetSampleCount()) * 2);
    int read = 0;
    while (read < music->GetSampleCount()) {
        const int got = music->ReadSamples(&samples[static_cast<size_t>(read) * 2], music->GetSampleCount() - read);
        ASSERT_GT(got, 0);
        read += got;
    }
    auto energy = [&](int first, int count) {
        double sum = 0;
        for (int i = first; i < first + count; ++i)
            sum += samples[2 * i] * samples[2 * i] + samples[2 * i + 1] * samples[2 * i + 1];
        return sum;
    };
    // In every bar with drums, the first tenth of a beat is much louder than the tenth before it.
    const int window = beatFrames / 10;
    for (int beat = 8 * 4; beat < 80 * 4; ++beat) {
        if (beat >= 40 * 4 && beat < 44 * 4)
            continue;  // the break has no kick
        const int at = beat * beatFrames;
        EXPECT_GT(energy(at, window), 2 * energy(at - window, window)) << "beat " << beat;
    }
}

}  // namespace demo_music_test
