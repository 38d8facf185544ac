#include "io/StreamBytes.h"

#include "core/Exception.h"

#include <algorithm>

namespace Nimbrel::IO {

std::vector<uint8_t> ReadToEnd(Stream* stream)
{
    std::vector<uint8_t> bytes;
    if (stream->IsSeekable())
        bytes.reserve(static_cast<size_t>(std::max(0, stream->GetLength() - stream->GetPosition())));
    uint8_t chunk[65536];
    for (;;) {
        int n = stream->Read(chunk, 1, sizeof(chunk));
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + std::min<int>(n, sizeof(chunk)));
    }
    return bytes;
}

void WriteAll(Stream* stream, const uint8_t* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        int piece = static_cast<int>(std::min<size_t>(size - done, 1 << 20));
        int n = stream->Write(data + done, 1, piece);
        if (n <= 0)
            throw Exception("Unable to write data to stream");
        done += static_cast<size_t>(n);
    }
    stream->Flush();
}

}  // namespace Nimbrel::IO
