#pragma once
// Utils::Audio::Analyser: the music as probes, for pictures that follow what is heard.
//
// Once per frame, Update reads the latest audio of a HeardSource (the music's Outlet) and
// writes these probes:
//
//   audio.level          RMS of the last 1/60 s, linear: 0 silence … 0.707 a full-scale sine
//   audio.bands.0 … 15   16 bands, logarithmic from 30 Hz to 16 kHz: band b spans
//                        30 · (16000 / 30)^(b / 16) … 30 · (16000 / 30)^((b + 1) / 16) Hz
//   audio.beat           1 on the frame of an onset, falling linearly to 0 over one beat
//   audio.beat_count     onsets heard since construction
//
// Bands: a Hann-windowed FFT of the last 2048 frames; a band's power is the sum of its bins,
// scaled so that a full-scale sine inside it reads 0 dB. -60 … 0 dB map linearly to 0 … 1
// (clamped). A band that holds no bin centre takes the bin nearest its middle; bands above
// half the sample rate stay 0. What is shown holds a peak for the peak-hold time, then falls
// by the fall-off per second until it meets the current value again.
//
// Onsets: the energy (mean square) of what is heard, in blocks of 5 ms, against a reference
// that follows its peaks and falls with a time constant of 0.15 s, as it was 20 ms before
// (so that a rise over a few blocks counts as well as a sudden one). The whole band
// counts: in most mixes the kick carries the most energy, and a click of any colour is
// caught. An onset is energy at least twice the reference and above a floor of 1e-6 (about
// -57 dB below a full-scale sine), at least a quarter
// beat after the previous onset. A steady sound is one onset when it starts, not a row of
// them. A seek is heard like any other change of the music: it resets neither the count nor
// the reference, so a jump into loud music can count as an onset, as it would sound like one.
// With nothing newly heard (paused, or the source's cursor has not moved) no onset happens.
//
// Everything is sized at construction; Update allocates nothing. Main thread only.

#include "core/Object.h"
#include "utils/ProbeProxy.h"
#include "utils/audio/HeardSource.h"

#include <memory>

namespace Nimbrel::Utils::Audio {

class Analyser : public Object {
public:
    static constexpr int BandCount = 16;
    static constexpr int WindowFrames = 2048;
    static constexpr double LowestHz = 30.0;
    static constexpr double HighestHz = 16000.0;

    // Registers the probes with `probes`. Neither is counted: the source must outlive the
    // analyser; the probe handles keep the proxy. Throws "Audio::Analyser: A heard source and
    // a probe proxy are needed" or "Audio::Analyser: A sample rate of N Hz can not be
    // analysed" (below 8000 or above 384000 Hz).
    Analyser(const HeardSource* source, ProbeProxy* probes);
    ~Analyser() override;
    Analyser(const Analyser&) = delete;
    Analyser& operator=(const Analyser&) = delete;

    // Analyses what is heard now and writes the probes; `frameSeconds` is the time since the
    // previous Update, 0 … 10 s. Values out of range here and in the setters throw
    // "Audio::Analyser::Update: A frame time of X is outside 0 to 10" (and the like).
    void Update(double frameSeconds);

    // Beats per minute, 1 … 1000; 140 at construction. Sets how long a beat takes to fall and
    // the quarter beat between two onsets.
    void SetTempo(double bpm);
    double GetTempo() const { return tempo; }
    // Seconds a band's peak is held before it falls, 0 … 10; 0.1 at construction.
    void SetPeakHold(double seconds);
    double GetPeakHold() const { return peakHold; }
    // How fast a band falls after its hold, in units of the 0 … 1 scale per second (1 is
    // 60 dB per second), 0 … 1000; 1.5 at construction. 0 keeps the peak.
    void SetFallOff(double perSecond);
    double GetFallOff() const { return fallOff; }

    // The lower edge of band b in Hz (b = BandCount gives the upper edge of the last band);
    // throws "Audio::Analyser::GetBandEdge: There is no band N" outside 0 … BandCount.
    static double GetBandEdge(int band);

    struct State;

private:
    std::unique_ptr<State> state;
    double tempo = 140.0;
    double peakHold = 0.1;
    double fallOff = 1.5;
};

}  // namespace Nimbrel::Utils::Audio
