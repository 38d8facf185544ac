#pragma once
// Sound::Buffer: a ring of PCM bytes that can be filled, played once or in a loop,
// positioned and adjusted.
//
// Cursors are byte offsets into the ring. The play cursor is the next byte to be played; it
// stays where it is when the buffer stops. The write cursor is the buffer's own bookkeeping
// for Append: where the next appended bytes go. GetFreeSpace() is the distance from the write
// cursor forward to the play cursor, 0 when they are equal, so a streaming writer that keeps
// the ring from filling up completely can tell how much is still queued (size - free space).
//
// Formats: 8-bit samples are unsigned, 16-bit samples signed, 32-bit samples IEEE floats;
// frames interleave the channels, channel 0 (left) first, little-endian.
//
// A buffer is used by one thread at a time; it may be another thread than the one that
// plays the device.

#include "core/Object.h"

namespace Nimbrel::Sound {

class Buffer : public Object {
public:
    ~Buffer() override = default;

    // Plays from the play cursor to the end of the ring, then stops with the cursor at 0.
    // The priority is accepted for compatibility and has no effect. Throws "Unable to play
    // sound buffer" on failure.
    virtual void Play(int priority) = 0;
    // Plays from the play cursor, wrapping from the end of the ring to its start.
    virtual void PlayLooping(int priority) = 0;
    // Stops; the play cursor stays.
    virtual void Stop() = 0;
    // Copies size bytes into the ring at the byte offset, wrapping at the end. Nothing happens
    // when size is 0; otherwise an offset outside the ring, or a size below 0 or above the
    // ring's size, throws "Unable to lock sound buffer".
    virtual void Write(const void* data, int offset, int size) = 0;
    // Write at the write cursor, then moves the write cursor forward by size, modulo the size.
    virtual void Append(const void* data, int size) = 0;
    // Moves the play cursor to the frame that holds the byte offset. An offset outside the
    // ring throws "Unable to set sound buffer position".
    virtual void SetPlayPosition(int offset) = 0;
    // Sets the write cursor to the offset modulo the ring's size.
    virtual void SetWriteCursor(int offset) = 0;
    // Playback rate in Hz, 100 … 200000; 0 restores the buffer's own sample rate. Anything
    // else throws "Unable to set sound buffer frequency" and changes nothing.
    virtual void SetFrequency(int frequency) = 0;
    // -1 left only … 0 both channels at full level … 1 right only. Outside that range throws
    // "Unable to set sound buffer pan" and changes nothing.
    virtual void SetPan(float pan) = 0;
    // 0 silent … 1 full, on a logarithmic scale of 100 dB. Outside that range throws "Unable to
    // set sound buffer volume" and changes nothing.
    virtual void SetVolume(float volume) = 0;
    virtual int GetPlayPosition() = 0;
    // The earliest byte that is safe to write: everything before it up to the play cursor has
    // been consumed by the output.
    virtual int GetWritePosition() = 0;
    // Bytes from the write cursor forward to the play cursor; 0 when they are equal.
    virtual int GetFreeSpace() = 0;
    virtual int GetFrequency() = 0;
    virtual float GetPan() = 0;
    virtual float GetVolume() = 0;
    virtual int GetChannelCount() = 0;
    virtual int GetBitsPerSample() = 0;
};

}  // namespace Nimbrel::Sound
