#pragma once
// The demo's music: a small synthesiser plays drums, bass and a lead over a four-chord loop in
// A minor at 140 beats per minute, 82 bars (2 minutes 20.6 seconds), and the result is encoded
// as Ogg Vorbis with libvorbisenc. The kick falls on every beat and the chords change on every
// bar, so a listener hears the bars and beats the Studio's clock counts. Everything is computed
// from fixed tables and a fixed-seed noise source, so the same build gives the same bytes.

#include <cstdint>
#include <vector>

namespace demogen {

constexpr int kMusicRate = 44100;
constexpr int kMusicBars = 82;
constexpr double kMusicBeatsPerMinute = 140.0;

// Interleaved stereo samples in -1 … 1.
std::vector<float> SynthesiseMusic();

// `quality` is libvorbisenc's VBR quality (-0.1 … 1).
std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& interleavedStereo, float quality);

}  // namespace demogen
