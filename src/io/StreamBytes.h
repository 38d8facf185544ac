#pragma once
// Whole-block transfers between streams and memory, for formats that are parsed from memory
// with ByteReader and assembled with ByteWriter.

#include "io/ByteWriter.h"
#include "io/Stream.h"

#include <cstdint>
#include <vector>

namespace Nimbrel::IO {

// Everything from the stream's position to its end.
std::vector<uint8_t> ReadToEnd(Stream* stream);

// All of the bytes, in pieces of at most a megabyte; throws "Unable to write data to stream"
// when the stream stops taking them. Flushes the stream afterwards.
void WriteAll(Stream* stream, const uint8_t* data, size_t size);
inline void WriteAll(Stream* stream, const ByteWriter& bytes)
{
    WriteAll(stream, bytes.Data(), bytes.Size());
}

}  // namespace Nimbrel::IO
