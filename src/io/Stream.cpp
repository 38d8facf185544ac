#include "io/Stream.h"

#include "core/Exception.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>

namespace Nimbrel::IO {

namespace stream_detail {

constexpr const char* ReadFailed = "Unable to read data from stream";
constexpr const char* WriteFailed = "Unable to write data to stream";
constexpr const char* StringUnterminated = "Reached end of stream before string was terminated";
constexpr const char* FieldShort = "Could not read specified amount of bytes";

// Strings from streams that cannot tell how much is left are read in pieces of this size,
// so a hostile length costs at most what the stream really delivers.
constexpr int StringChunk = 64 * 1024;

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "streams need a little- or big-endian host");

// The bytes of a value in stream order (little-endian), whatever the host's order.
template <class T>
std::array<uint8_t, sizeof(T)> ToStreamOrder(T value)
{
    auto bytes = std::bit_cast<std::array<uint8_t, sizeof(T)>>(value);
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

template <class T>
T FromStreamOrder(std::array<uint8_t, sizeof(T)> bytes)
{
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(bytes.begin(), bytes.end());
    return std::bit_cast<T>(bytes);
}

}  // namespace stream_detail

int Stream::Read(void*, int, int)
{
    throw Exception("Stream not readable");
}

int Stream::Write(const void*, int, int)
{
    throw Exception("Stream not writeable");
}

int Stream::Seek(int, int)
{
    throw Exception("Stream not seekable");
}

// Reads until `size` bytes have arrived or the stream delivers nothing; returns the count.
int Stream::ReadUpTo(void* data, int size)
{
    auto* bytes = static_cast<uint8_t*>(data);
    int total = 0;
    while (total < size) {
        int moved = Read(bytes + total, 1, size - total);
        if (moved <= 0 || moved > size - total)
            break;
        total += moved;
    }
    return total;
}

void Stream::ReadExactly(void* data, int size)
{
    if (ReadUpTo(data, size) != size)
        throw Exception(stream_detail::ReadFailed);
}

void Stream::WriteExactly(const void* data, int size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    int total = 0;
    while (total < size) {
        int moved = Write(bytes + total, 1, size - total);
        if (moved <= 0 || moved > size - total)
            throw Exception(stream_detail::WriteFailed);
        total += moved;
    }
}

// ---------------------------------------------------------------------------------------------
// Typed values

template <class T>
T Stream::ReadValue()
{
    std::array<uint8_t, sizeof(T)> bytes;
    ReadExactly(bytes.data(), sizeof(T));
    return stream_detail::FromStreamOrder<T>(bytes);
}

template <class T>
void Stream::WriteValue(T value)
{
    auto bytes = stream_detail::ToStreamOrder(value);
    WriteExactly(bytes.data(), sizeof(T));
}

int8_t Stream::ReadInt8() { return ReadValue<int8_t>(); }
uint8_t Stream::ReadUInt8() { return ReadValue<uint8_t>(); }
int16_t Stream::ReadInt16() { return ReadValue<int16_t>(); }
uint16_t Stream::ReadUInt16() { return ReadValue<uint16_t>(); }
int32_t Stream::ReadInt32() { return ReadValue<int32_t>(); }
uint32_t Stream::ReadUInt32() { return ReadValue<uint32_t>(); }
int64_t Stream::ReadInt64() { return ReadValue<int64_t>(); }
uint64_t Stream::ReadUInt64() { return ReadValue<uint64_t>(); }
float Stream::ReadFloat() { return ReadValue<float>(); }
double Stream::ReadDouble() { return ReadValue<double>(); }

void Stream::WriteInt8(int8_t value) { WriteValue(value); }
void Stream::WriteUInt8(uint8_t value) { WriteValue(value); }
void Stream::WriteInt16(int16_t value) { WriteValue(value); }
void Stream::WriteUInt16(uint16_t value) { WriteValue(value); }
void Stream::WriteInt32(int32_t value) { WriteValue(value); }
void Stream::WriteUInt32(uint32_t value) { WriteValue(value); }
void Stream::WriteInt64(int64_t value) { WriteValue(value); }
void Stream::WriteUInt64(uint64_t value) { WriteValue(value); }
void Stream::WriteFloat(float value) { WriteValue(value); }
void Stream::WriteDouble(double value) { WriteValue(value); }

// ---------------------------------------------------------------------------------------------
// Strings

// Reads exactly `length` bytes into a string, or throws `shortMessage`. A seekable stream is
// asked up front whether that many bytes are left; any other stream is read piece by piece.
String Stream::ReadBytes(int length, const char* shortMessage)
{
    if (length < 0)
        throw Exception(String::Format("Invalid string length %d", length));
    std::string bytes;
    if (IsSeekable()) {
        int64_t left = static_cast<int64_t>(GetLength()) - GetPosition();
        if (length > left)
            throw Exception(shortMessage);
        bytes.reserve(static_cast<size_t>(length));
    }
    while (bytes.size() < static_cast<size_t>(length)) {
        int piece = std::min(stream_detail::StringChunk, length - static_cast<int>(bytes.size()));
        size_t start = bytes.size();
        bytes.resize(start + static_cast<size_t>(piece));
        if (ReadUpTo(bytes.data() + start, piece) != piece)
            throw Exception(shortMessage);
    }
    return String(bytes.data(), length);
}

String Stream::ReadString()
{
    int32_t length = ReadInt32();
    return ReadBytes(length, stream_detail::StringUnterminated);
}

void Stream::WriteString(const String& text)
{
    WriteInt32(text.Length());
    WriteExactly(text.CStr(), text.Length());
}

String Stream::ReadString(int length)
{
    String field = ReadBytes(length, stream_detail::FieldShort);
    const char* data = field.CStr();
    int end = static_cast<int>(std::find(data, data + length, '\0') - data);
    return end == length ? field : String(data, end);
}

String Stream::ReadLine()
{
    std::string line;
    for (;;) {
        char character;
        if (ReadUpTo(&character, 1) != 1)
            throw Exception(stream_detail::StringUnterminated);
        if (character == '\n')
            break;
        if (line.size() == static_cast<size_t>(INT32_MAX))
            throw Exception("Line is longer than a string can hold");
        line.push_back(character);
    }
    return String(line.data(), static_cast<int>(line.size()));
}

void Stream::WriteText(const String& text)
{
    WriteExactly(text.CStr(), text.Length());
}

void Stream::WriteLine(const String& text)
{
    WriteText(text);
    WriteExactly("\n", 1);
}

}  // namespace Nimbrel::IO
