#include "MusicSynth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace demogen {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kBeatFrames = int(kMusicRate * 60 / kMusicBeatsPerMinute);  // 18900 exactly
constexpr int kBarFrames = 4 * kBeatFrames;
constexpr int kSixteenthFrames = kBeatFrames / 4;

double NoteFrequency(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

class Noise {
public:
    float Next()  // in [-1, 1)
    {
        state_ = state_ * 1664525u + 1013904223u;
        return float(state_ >> 8) / float(1u << 23) - 1.0f;
    }

private:
    uint32_t state_ = 12345u;
};

struct Mix {
    std::vector<float> left, right;
    explicit Mix(size_t frames) : left(frames), right(frames) {}
    void Add(size_t frame, float value, float pan)  // pan -1 left … 1 right
    {
        if (frame >= left.size())
            return;
        left[frame] += value * (1 - pan) * 0.5f * 1.4f;
        right[frame] += value * (1 + pan) * 0.5f * 1.4f;
    }
};

// The chords' roots, one bar each: A minor, F major, C major, G major.
constexpr int kRoots[4] = {45, 41, 48, 43};
// Chord tones above each root (third and fifth; minor only for A).
constexpr int kThirds[4] = {3, 4, 4, 4};

void Kick(Mix& mix, size_t at)
{
    double phase = 0;
    for (int i = 0; i < kMusicRate * 35 / 100; ++i) {
        const double t = double(i) / kMusicRate;
        phase += kTwoPi * (48 + 110 * std::exp(-t * 28)) / kMusicRate;
        mix.Add(at + i, float(0.9 * std::sin(phase) * std::exp(-t * 7)), 0);
    }
}

void Snare(Mix& mix, Noise& noise, size_t at)
{
    for (int i = 0; i < kMusicRate / 4; ++i) {
        const double t = double(i) / kMusicRate;
        const double body = 0.25 * std::sin(kTwoPi * 190 * t) * std::exp(-t * 30);
        mix.Add(at + i, float(0.35 * noise.Next() * std::exp(-t * 16) + body), -0.1f);
    }
}

void HiHat(Mix& mix, Noise& noise, size_t at, bool open)
{
    float previous = 0;
    const int length = open ? kMusicRate / 6 : kMusicRate / 20;
    const double decay = open ? 18 : 70;
    for (int i = 0; i < length; ++i) {
        const float white = noise.Next();
        const float bright = white - previous;  // first difference: keeps the highs
        previous = white;
        mix.Add(at + i, float(0.09 * bright * std::exp(-double(i) / kMusicRate * decay)), 0.35f);
    }
}

void Bass(Mix& mix, size_t at, int midi, int frames)
{
    const double frequency = NoteFrequency(midi);
    double phase = 0, low = 0;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / kMusicRate;
        phase += frequency / kMusicRate;
        phase -= std::floor(phase);
        const double saw = 2 * phase - 1;
        const double cutoff = 0.04 + 0.25 * std::exp(-t * 14);  // a plucked filter sweep
        low += cutoff * (saw - low);
        const double envelope = std::min(1.0, t * 400) * std::exp(-t * 3) * std::min(1.0, double(frames - i) / 200);
        mix.Add(at + i, float(0.42 * low * envelope), 0);
    }
}

void Lead(Mix& mix, size_t at, int midi, int frames, float pan)
{
    const double frequency = NoteFrequency(midi);
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / kMusicRate;
        double tone = 0;
        for (int h = 1; h <= 7; h += 2)  // a soft square: its first odd harmonics
            tone += std::sin(kTwoPi * frequency * h * t * (1 + 0.002 * std::sin(kTwoPi * 5 * t))) / (h * h * 0.6 + 0.4);
        const double envelope = std::min(1.0, t * 150) * (0.6 + 0.4 * std::exp(-t * 8)) * std::min(1.0, double(frames - i) / 400);
        mix.Add(at + i, float(0.12 * tone * envelope), pan);
    }
}

// The lead's motifs: per sixteenth, a degree of the A minor pentatonic (A C D E G), shifted by
// the bar's chord, or -1 for a rest; the note lasts until the next entry.
constexpr int kMotifs[4][16] = {
    {0, -1, 2, -1, 4, -1, 2, 3, -1, 4, -1, 5, 4, -1, 2, -1},
    {5, -1, 4, -1, 2, -1, 4, -1, 5, 6, -1, 5, 4, -1, -1, -1},
    {2, -1, -1, 3, 4, -1, 5, -1, 7, -1, 5, -1, 4, 2, -1, -1},
    {4, -1, 5, 4, 2, -1, 0, -1, 2, -1, -1, -1, 1, -1, 2, -1},
};
constexpr int kPentatonic[5] = {0, 3, 5, 7, 10};
// Per chord, the degree the motifs start from: A over A minor, C over F and C, G over G.
constexpr int kLeadShift[4] = {0, 1, 1, 4};

int PentatonicNote(int base, int degree)
{
    return base + 12 * (degree / 5) + kPentatonic[degree % 5];
}

// The bars where each part plays: intro, build, main sections, a break, the last section and
// the ending.
bool KickPlays(int bar) { return bar >= 0 && bar < 80 && !(bar >= 40 && bar < 44); }
bool SnarePlays(int bar) { return bar >= 8 && bar < 80 && !(bar >= 40 && bar < 44); }
bool BassPlays(int bar) { return bar >= 4 && bar < 80; }
bool LeadPlays(int bar) { return (bar >= 12 && bar < 40) || (bar >= 44 && bar < 80); }

}  // namespace

std::vector<float> SynthesiseMusic()
{
    const size_t frames = size_t(kMusicBars) * kBarFrames;
    Mix mix(frames);
    Noise noise;
    for (int bar = 0; bar < kMusicBars; ++bar) {
        const size_t barStart = size_t(bar) * kBarFrames;
        const int chord = bar % 4, root = kRoots[chord];
        for (int beat = 0; beat < 4; ++beat) {
            const size_t beatStart = barStart + size_t(beat) * kBeatFrames;
            if (KickPlays(bar))
                Kick(mix, beatStart);
            if (SnarePlays(bar) && beat % 2 == 1)
                Snare(mix, noise, beatStart);
            if (bar < 80) {
                HiHat(mix, noise, beatStart, false);
                HiHat(mix, noise, beatStart + 2 * kSixteenthFrames, bar >= 8);
            }
        }
        if (BassPlays(bar)) {
            // Eighths: root, root, octave, root, fifth, root, octave, third.
            const int pattern[8] = {0, 0, 12, 0, 7, 0, 12, kThirds[chord]};
            for (int e = 0; e < 8; ++e)
                Bass(mix, barStart + size_t(e) * 2 * kSixteenthFrames, root + pattern[e], 2 * kSixteenthFrames - 300);
        }
        if (LeadPlays(bar)) {
            const int* motif = kMotifs[(bar / 4) % 4];
            for (int s = 0; s < 16; ++s) {
                if (motif[s] < 0)
                    continue;
                int length = 1;
                while (s + length < 16 && motif[s + length] < 0)
                    ++length;
                const size_t at = barStart + size_t(s) * kSixteenthFrames;
                const int note = PentatonicNote(69, motif[s] + kLeadShift[chord]);
                const int frames16 = length * kSixteenthFrames - 200;
                Lead(mix, at, note, frames16, -0.2f);
                Lead(mix, at + 3 * kSixteenthFrames, note, frames16, 0.6f);  // a dotted-eighth echo
            }
        }
        if (bar == 80) {  // the ending: a long A minor chord over the last two bars
            for (int offset : {0, 3, 7, 12})
                Lead(mix, barStart, 57 + offset, 2 * kBarFrames - 2000, offset % 2 ? 0.4f : -0.4f);
            Bass(mix, barStart, 33, 2 * kBarFrames - 2000);
            Kick(mix, barStart);
        }
    }

    std::vector<float> interleaved(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        interleaved[2 * i] = float(std::tanh(mix.left[i] * 0.9));
        interleaved[2 * i + 1] = float(std::tanh(mix.right[i] * 0.9));
    }
    return interleaved;
}

std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& interleavedStereo, float quality)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, kMusicRate, quality) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("libvorbisenc refused the stereo stream's settings");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Nimbrel 2 demo theme");
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 140);  // a fixed serial number keeps the file's bytes fixed

    std::vector<uint8_t> file;
    ogg_page page;
    auto writePage = [&] {
        file.insert(file.end(), page.header, page.header + page.header_len);
        file.insert(file.end(), page.body, page.body + page.body_len);
    };
    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&stream, &identification);
    ogg_stream_packetin(&stream, &comments);
    ogg_stream_packetin(&stream, &codebooks);
    while (ogg_stream_flush(&stream, &page))
        writePage();

    auto drain = [&] {
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page))
                    writePage();
            }
        }
    };
    const size_t frames = interleavedStereo.size() / 2;
    for (size_t offset = 0; offset < frames;) {
        const int count = int(std::min<size_t>(4096, frames - offset));
        float** buffer = vorbis_analysis_buffer(&dsp, count);
        for (int i = 0; i < count; ++i) {
            buffer[0][i] = interleavedStereo[2 * (offset + i)];
            buffer[1][i] = interleavedStereo[2 * (offset + i) + 1];
        }
        vorbis_analysis_wrote(&dsp, count);
        drain();
        offset += size_t(count);
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page))
        writePage();

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return file;
}

}  // namespace demogen
