#include "utils/audio/Analyser.h"

#include "core/Exception.h"
#include "core/String.h"
#include "utils/ProbeValue.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace Nimbrel::Utils::Audio {

namespace analyser_detail {

constexpr double BlockSeconds = 0.005;
constexpr double ReferenceSeconds = 0.15;
constexpr int RiseBlocks = 4;
constexpr double OnsetRatio = 2.0;
constexpr double OnsetFloor = 1e-6;
constexpr double FloorDecibels = -60.0;

void CheckRange(const char* operation, const char* what, double value, double low, double high)
{
    if (!(value >= low && value <= high))
        throw Exception(String::Format("Audio::Analyser::%s: %s of %g is outside %g to %g", operation, what, value, low, high));
}

}  // namespace analyser_detail

using namespace analyser_detail;

struct Analyser::State {
    const HeardSource* source = nullptr;
    int rate = 0;
    int levelFrames = 0;
    kiss_fftr_cfg fft = nullptr;
    std::vector<float> heard;                 // the last WindowFrames frames, oldest first
    std::vector<float> windowed;              // heard × Hann
    std::vector<float> hann;
    std::vector<kiss_fft_cpx> spectrum;       // WindowFrames / 2 + 1 bins
    std::array<int, BandCount> firstBin{};    // bins [firstBin, endBin) of each band
    std::array<int, BandCount> endBin{};
    double powerScale = 0.0;                  // bin power to mean square of a sine
    std::array<float, BandCount> shown{};
    std::array<double, BandCount> holdLeft{};

    int blockFrames = 0;
    double blockSum = 0.0;    // squares of the block being filled
    int blockCount = 0;
    double reference = 0.0;   // block energy, following its peaks
    double referenceFall = 0.0;
    std::array<double, RiseBlocks> references{};  // the last RiseBlocks references, a ring
    int referenceAt = 0;
    double time = 0.0;
    double lastOnset = 0.0;
    bool hadOnset = false;
    int beatCount = 0;
    int64_t lastHeard = 0;

    ProbeValue<float> level;
    std::array<ProbeValue<float>, BandCount> bands;
    ProbeValue<float> beat;
    ProbeValue<int> beatCounter;

    ~State()
    {
        if (fft)
            kiss_fftr_free(fft);
    }
};

double Analyser::GetBandEdge(int band)
{
    if (band < 0 || band > BandCount)
        throw Exception(String::Format("Audio::Analyser::GetBandEdge: There is no band %d", band));
    return LowestHz * std::pow(HighestHz / LowestHz, static_cast<double>(band) / BandCount);
}

Analyser::Analyser(const HeardSource* source, ProbeProxy* probes) : state(std::make_unique<State>())
{
    if (!source || !probes)
        throw Exception("Audio::Analyser: A heard source and a probe proxy are needed");
    const int rate = source->GetHeardRate();
    if (rate < 8000 || rate > 384000)
        throw Exception(String::Format("Audio::Analyser: A sample rate of %d Hz can not be analysed", rate));
    State& s = *state;
    s.source = source;
    s.rate = rate;
    s.blockFrames = std::max(64, static_cast<int>(std::lround(rate * BlockSeconds)));
    s.referenceFall = std::exp(-BlockSeconds / ReferenceSeconds);
    s.levelFrames = std::clamp(static_cast<int>(std::lround(rate / 60.0)), 1, WindowFrames);
    s.lastHeard = source->GetHeardFrames();

    s.fft = kiss_fftr_alloc(WindowFrames, 0, nullptr, nullptr);
    if (!s.fft)
        throw Exception("Audio::Analyser: Out of memory");
    s.heard.assign(WindowFrames, 0.0f);
    s.windowed.assign(WindowFrames, 0.0f);
    s.hann.resize(WindowFrames);
    double sumSquares = 0.0;
    for (int i = 0; i < WindowFrames; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / WindowFrames);
        s.hann[i] = static_cast<float>(w);
        sumSquares += w * w;
    }
    s.spectrum.resize(WindowFrames / 2 + 1);
    s.powerScale = 2.0 / (static_cast<double>(WindowFrames) * sumSquares);

    // Bins 1 … N/2 - 1: the DC bin and the one at half the rate are left out.
    const double binHz = static_cast<double>(rate) / WindowFrames;
    const int lastBin = WindowFrames / 2 - 1;
    for (int b = 0; b < BandCount; ++b) {
        const double low = GetBandEdge(b), high = GetBandEdge(b + 1);
        int first = std::max(1, static_cast<int>(std::ceil(low / binHz)));
        int end = std::min(lastBin + 1, static_cast<int>(std::ceil(high / binHz)));
        if (first >= end && low < lastBin * binHz) {
            first = std::clamp(static_cast<int>(std::lround(std::sqrt(low * high) / binHz)), 1, lastBin);
            end = first + 1;
        }
        s.firstBin[b] = first;
        s.endBin[b] = std::max(first, end);
    }

    s.level = ProbeValue<float>(probes, "audio.level");
    for (int b = 0; b < BandCount; ++b)
        s.bands[b] = ProbeValue<float>(probes, String::Format("audio.bands.%d", b));
    s.beat = ProbeValue<float>(probes, "audio.beat");
    s.beatCounter = ProbeValue<int>(probes, "audio.beat_count");
}

Analyser::~Analyser() = default;

void Analyser::SetTempo(double bpm)
{
    CheckRange("SetTempo", "A tempo", bpm, 1.0, 1000.0);
    tempo = bpm;
}

void Analyser::SetPeakHold(double seconds)
{
    CheckRange("SetPeakHold", "A hold", seconds, 0.0, 10.0);
    peakHold = seconds;
}

void Analyser::SetFallOff(double perSecond)
{
    CheckRange("SetFallOff", "A fall-off", perSecond, 0.0, 1000.0);
    fallOff = perSecond;
}

void Analyser::Update(double frameSeconds)
{
    CheckRange("Update", "A frame time", frameSeconds, 0.0, 10.0);
    State& s = *state;
    s.time += frameSeconds;
    const double beatSeconds = 60.0 / tempo;

    const int64_t heardFrames = s.source->GetHeardFrames();
    const int fresh = static_cast<int>(std::clamp<int64_t>(heardFrames - s.lastHeard, 0, WindowFrames));
    s.lastHeard = heardFrames;
    s.source->ReadHeard(s.heard.data(), WindowFrames);

    // Level.
    double squares = 0.0;
    for (int i = WindowFrames - s.levelFrames; i < WindowFrames; ++i)
        squares += static_cast<double>(s.heard[i]) * s.heard[i];
    s.level.SetValue(static_cast<float>(std::sqrt(squares / s.levelFrames)));

    // Bands.
    for (int i = 0; i < WindowFrames; ++i)
        s.windowed[i] = s.heard[i] * s.hann[i];
    kiss_fftr(s.fft, s.windowed.data(), s.spectrum.data());
    for (int b = 0; b < BandCount; ++b) {
        double power = 0.0;
        for (int k = s.firstBin[b]; k < s.endBin[b]; ++k)
            power += static_cast<double>(s.spectrum[k].r) * s.spectrum[k].r + static_cast<double>(s.spectrum[k].i) * s.spectrum[k].i;
        // Twice the mean square: a full-scale sine gives 1, 0 dB.
        const double relative = 2.0 * power * s.powerScale;
        const double decibels = relative > 0.0 ? 10.0 * std::log10(relative) : FloorDecibels;
        const float current = static_cast<float>(std::clamp((decibels - FloorDecibels) / -FloorDecibels, 0.0, 1.0));

        float& shown = s.shown[b];
        if (current >= shown) {
            shown = current;
            s.holdLeft[b] = peakHold;
        } else {
            double falling = frameSeconds;
            if (s.holdLeft[b] > 0.0) {
                const double held = std::min(s.holdLeft[b], falling);
                s.holdLeft[b] -= held;
                falling -= held;
            }
            shown = std::max(current, static_cast<float>(shown - fallOff * falling));
        }
        s.bands[b].SetValue(shown);
    }

    // Onsets, on the frames heard since the previous Update.
    // Blocks of a few milliseconds carry over from one Update to the next, so an onset is
    // seen in the block it starts in wherever the frame boundaries fall.
    for (int i = WindowFrames - fresh; i < WindowFrames; ++i) {
        s.blockSum += static_cast<double>(s.heard[i]) * s.heard[i];
        if (++s.blockCount < s.blockFrames)
            continue;
        const double energy = s.blockSum / s.blockFrames;
        s.blockSum = 0.0;
        s.blockCount = 0;
        const bool rested = !s.hadOnset || s.time - s.lastOnset >= 0.25 * beatSeconds;
        // The reference of RiseBlocks blocks ago: a rise spread over a few blocks counts.
        double& earlier = s.references[s.referenceAt];
        if (rested && energy > OnsetFloor && energy >= OnsetRatio * earlier) {
            s.hadOnset = true;
            s.lastOnset = s.time;
            ++s.beatCount;
        }
        s.reference = std::max(energy, s.reference * s.referenceFall);
        earlier = s.reference;
        s.referenceAt = (s.referenceAt + 1) % RiseBlocks;
    }
    const double sinceOnset = s.time - s.lastOnset;
    s.beat.SetValue(s.hadOnset ? static_cast<float>(std::max(0.0, 1.0 - sinceOnset / beatSeconds)) : 0.0f);
    s.beatCounter.SetValue(s.beatCount);
}

}  // namespace Nimbrel::Utils::Audio
