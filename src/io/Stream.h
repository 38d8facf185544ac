#pragma once
// IO::Stream: the engine's byte stream, with typed little-endian reads and writes.
//
// Implementations supply the virtual byte operations. Read and Write move at most
// size x count bytes and return the amount moved (whole items for files, bytes for the
// console and memory streams); 0 means nothing could be moved. The typed operations ask for
// items of one byte, so both conventions agree, and keep asking until the value is complete:
// a value is either read or written whole or the operation throws.
//
// On the wire every number is little-endian (integers two's complement, floats IEEE 754)
// with no padding; strings are a 32-bit length followed by that many bytes, no terminator.

#include "core/Object.h"
#include "core/String.h"

#include <cstdint>

namespace Nimbrel::IO {

class Stream : public Object {
public:
    virtual bool IsReadable() const { return false; }
    virtual bool IsWriteable() const { return false; }
    virtual bool IsSeekable() const { return false; }
    virtual int GetLength() const { return 0; }
    virtual int GetPosition() const { return 0; }
    // Throws "Stream not readable" unless overridden.
    virtual int Read(void* data, int size, int count);
    // Throws "Stream not writeable" unless overridden.
    virtual int Write(const void* data, int size, int count);
    // Origin 0 from the start, 1 from the current position, 2 from the end; returns the new
    // position. Throws "Stream not seekable" unless overridden.
    virtual int Seek(int origin, int offset);
    virtual void Flush() {}

    // Each throws "Unable to read data from stream" unless the whole value arrives.
    int8_t ReadInt8();
    uint8_t ReadUInt8();
    int16_t ReadInt16();
    uint16_t ReadUInt16();
    int32_t ReadInt32();
    uint32_t ReadUInt32();
    int64_t ReadInt64();
    uint64_t ReadUInt64();
    float ReadFloat();
    double ReadDouble();

    // Each throws "Unable to write data to stream" unless the whole value is taken.
    void WriteInt8(int8_t value);
    void WriteUInt8(uint8_t value);
    void WriteInt16(int16_t value);
    void WriteUInt16(uint16_t value);
    void WriteInt32(int32_t value);
    void WriteUInt32(uint32_t value);
    void WriteInt64(int64_t value);
    void WriteUInt64(uint64_t value);
    void WriteFloat(float value);
    void WriteDouble(double value);

    // A 32-bit length, then that many bytes. A negative length, or one longer than what is
    // left of a seekable stream, throws before anything is allocated; on other streams the
    // string grows only as its bytes arrive. A short string throws "Reached end of stream
    // before string was terminated".
    String ReadString();
    void WriteString(const String& text);
    // A fixed-width field of exactly `length` bytes; the string ends at the first zero byte.
    // Throws "Could not read specified amount of bytes" when fewer bytes arrive.
    String ReadString(int length);
    // Bytes up to a line feed, which is consumed and not stored (a carriage return before it
    // stays). Throws "Reached end of stream before string was terminated" at the end.
    String ReadLine();
    // The bytes of the text only; throws "Unable to write data to stream" when they are not
    // all taken.
    void WriteText(const String& text);
    // The text followed by one line feed.
    void WriteLine(const String& text);

private:
    template <class T>
    T ReadValue();
    template <class T>
    void WriteValue(T value);
    int ReadUpTo(void* data, int size);
    void ReadExactly(void* data, int size);
    void WriteExactly(const void* data, int size);
    String ReadBytes(int length, const char* shortMessage);
};

}  // namespace Nimbrel::IO
