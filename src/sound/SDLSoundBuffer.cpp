#include "sound/SDLSoundBuffer.h"

#include "core/Exception.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Nimbrel::Sound {

namespace sdl_sound_buffer_detail {

constexpr int MinimumSize = 4;
constexpr int MaximumSize = 0x0FFFFFFF;
constexpr int MinimumFrequency = 100;
constexpr int MaximumFrequency = 200000;

}  // namespace sdl_sound_buffer_detail

SDLSoundBuffer::SDLSoundBuffer(std::shared_ptr<Mixer> mixer, int size, int channels, int bitsPerSample, int sampleRate)
    : mixer(std::move(mixer)), frequency(sampleRate), channels(channels), bitsPerSample(bitsPerSample), size(size),
      sampleRate(sampleRate)
{
    using namespace sdl_sound_buffer_detail;
    if (!this->mixer)
        throw Exception("Unable to create sound buffer (Uninitialized)");
    const bool knownBits = bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 32;
    if ((channels != 1 && channels != 2) || !knownBits || sampleRate < MinimumFrequency || sampleRate > MaximumFrequency)
        throw Exception("Unable to create sound buffer (Bad format)");
    const int blockAlign = channels * bitsPerSample / 8;
    if (size < MinimumSize || size < blockAlign)
        throw Exception("Unable to create sound buffer (Buffer too small)");
    if (size > MaximumSize || size % blockAlign != 0)
        throw Exception("Unable to create sound buffer (Invalid parameter)");
    try {
        voice.ring.assign(static_cast<size_t>(size), bitsPerSample == 8 ? 0x80 : 0x00);
    } catch (const std::bad_alloc&) {
        throw Exception("Unable to create sound buffer (Out of memory)");
    }
    voice.channels = channels;
    voice.bitsPerSample = bitsPerSample;
    voice.blockAlign = blockAlign;
    voice.frameCount = size / blockAlign;
    voice.frequency = sampleRate;
    this->mixer->AddVoice(&voice);
}

SDLSoundBuffer::~SDLSoundBuffer()
{
    mixer->RemoveVoice(&voice);
}

void SDLSoundBuffer::Play(int)
{
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    voice.playing = true;
    voice.looping = false;
}

void SDLSoundBuffer::PlayLooping(int)
{
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    voice.playing = true;
    voice.looping = true;
}

void SDLSoundBuffer::Stop()
{
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    voice.playing = false;
}

// Copies `count` bytes into the ring at `offset`, wrapping once at its end. The caller holds
// the lock and has checked the range.
void SDLSoundBuffer::CopyIn(const void* data, int offset, int count)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    const int first = std::min(count, size - offset);
    std::memcpy(voice.ring.data() + offset, bytes, static_cast<size_t>(first));
    if (count > first)
        std::memcpy(voice.ring.data(), bytes + first, static_cast<size_t>(count - first));
}

void SDLSoundBuffer::Write(const void* data, int offset, int count)
{
    if (count == 0)
        return;
    if (!data || count < 0 || count > size || offset < 0 || offset >= size)
        throw Exception("Unable to lock sound buffer");
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    CopyIn(data, offset, count);
    voice.framesQueued = MixerVoice::Untracked;
}

void SDLSoundBuffer::Append(const void* data, int count)
{
    if (count == 0)
        return;
    if (!data || count < 0 || count > size)
        throw Exception("Unable to lock sound buffer");
    {
        std::lock_guard<std::mutex> guard(mixer->GetLock());
        CopyIn(data, writeCursor, count);
        if (voice.framesQueued == MixerVoice::NotTracked)
            voice.framesQueued = 0;
        if (voice.framesQueued >= 0)
            voice.framesQueued = std::min<int64_t>(voice.frameCount, voice.framesQueued + count / voice.blockAlign);
    }
    writeCursor = static_cast<int>((static_cast<int64_t>(writeCursor) + count) % size);
}

void SDLSoundBuffer::SetPlayPosition(int offset)
{
    if (offset < 0 || offset >= size)
        throw Exception("Unable to set sound buffer position");
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    voice.position = static_cast<uint64_t>(offset / voice.blockAlign) << 32;
    RecountQueued();
}

void SDLSoundBuffer::SetWriteCursor(int offset)
{
    writeCursor = static_cast<int>(((static_cast<int64_t>(offset) % size) + size) % size);
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    RecountQueued();
}

// A ring fed by Append counts as queued what lies between the play and the write cursor once
// either is moved by hand. The caller holds the lock.
void SDLSoundBuffer::RecountQueued()
{
    if (voice.framesQueued >= 0)
        voice.framesQueued = ((writeCursor - voice.GetPlayCursor() + size) % size) / voice.blockAlign;
}

void SDLSoundBuffer::SetFrequency(int value)
{
    using namespace sdl_sound_buffer_detail;
    if (value == 0)
        value = sampleRate;
    if (value < MinimumFrequency || value > MaximumFrequency)
        throw Exception("Unable to set sound buffer frequency");
    frequency = value;
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    voice.frequency = value;
}

void SDLSoundBuffer::SetPan(float value)
{
    if (!(value >= -1.0f && value <= 1.0f))
        throw Exception("Unable to set sound buffer pan");
    pan = value;
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    voice.panLevel = PanToLevel(value);
}

void SDLSoundBuffer::SetVolume(float value)
{
    if (!(value >= 0.0f && value <= 1.0f))
        throw Exception("Unable to set sound buffer volume");
    volume = value;
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    voice.volumeLevel = VolumeToLevel(value);
}

int SDLSoundBuffer::GetPlayPosition()
{
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    return voice.GetPlayCursor();
}

int SDLSoundBuffer::GetWritePosition()
{
    // The mixer reads a frame only while it mixes, so everything from the play cursor on is
    // still to be read: the play cursor is the earliest safe byte.
    return GetPlayPosition();
}

int SDLSoundBuffer::GetFreeSpace()
{
    const int play = GetPlayPosition();
    return play >= writeCursor ? play - writeCursor : size + play - writeCursor;
}

int64_t SDLSoundBuffer::GetUnderrunCount()
{
    std::lock_guard<std::mutex> guard(mixer->GetLock());
    return voice.underruns;
}

}  // namespace Nimbrel::Sound
