#pragma once
// A readable, writeable stream over a byte vector, for tests of code that reads or writes
// streams. Writes overwrite at the position and extend the vector; reads and seeks behave
// like the engine's memory stream. Knobs let a test imitate awkward streams: no seeking,
// reads that deliver only a few bytes per call, writes that stop being taken after a limit.
// `largestRequest` records the biggest size x count a caller asked to read in one call.

#include "io/Stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Nimbrel::Testing {

class MemoryStream : public IO::Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> initial) : bytes(std::move(initial)) {}

    bool IsReadable() const override { return true; }
    bool IsWriteable() const override { return true; }
    bool IsSeekable() const override { return seekable; }
    int GetLength() const override { return static_cast<int>(bytes.size()); }
    int GetPosition() const override { return position; }

    int Read(void* data, int size, int count) override
    {
        int64_t wanted = std::max<int64_t>(0, static_cast<int64_t>(size) * count);
        largestRequest = std::max(largestRequest, wanted);
        if (readChunk > 0)
            wanted = std::min<int64_t>(wanted, readChunk);
        int n = static_cast<int>(std::min<int64_t>(wanted, GetLength() - position));
        if (n <= 0)
            return 0;
        std::memcpy(data, bytes.data() + position, static_cast<size_t>(n));
        position += n;
        return n;
    }

    int Write(const void* data, int size, int count) override
    {
        int64_t n = std::max<int64_t>(0, static_cast<int64_t>(size) * count);
        if (writeLimit >= 0) {
            n = std::min<int64_t>(n, writeLimit);
            writeLimit -= static_cast<int>(n);
        }
        if (n == 0)
            return 0;
        size_t end = static_cast<size_t>(position + n);
        if (end > bytes.size())
            bytes.resize(end);
        std::memcpy(bytes.data() + position, data, static_cast<size_t>(n));
        position = static_cast<int>(end);
        return static_cast<int>(n);
    }

    int Seek(int origin, int offset) override
    {
        if (!seekable)
            return Stream::Seek(origin, offset);
        int64_t base = origin == 0 ? 0 : origin == 1 ? position : GetLength();
        position = static_cast<int>(std::clamp<int64_t>(base + offset, 0, GetLength()));
        return position;
    }

    std::vector<uint8_t> bytes;
    int position = 0;
    bool seekable = true;
    int readChunk = 0;     // most bytes one Read delivers; 0 for no limit
    int writeLimit = -1;   // bytes still taken by Write; -1 for no limit
    int64_t largestRequest = 0;
};

}  // namespace Nimbrel::Testing
