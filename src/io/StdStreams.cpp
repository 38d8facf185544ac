#include "io/StdStreams.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace Nimbrel::IO {

namespace std_streams_detail {

// size x count without overflow; negative requests move nothing and oversized ones are cut
// to what a result can report.
size_t RequestedBytes(int size, int count)
{
    if (size <= 0 || count <= 0)
        return 0;
    return static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(size) * count, INT_MAX));
}

}  // namespace std_streams_detail

int StdOutStream::Write(const void* data, int size, int count)
{
    size_t bytes = std_streams_detail::RequestedBytes(size, count);
    if (bytes == 0)
        return 0;
    return static_cast<int>(std::fwrite(data, 1, bytes, stdout));
}

void StdOutStream::Flush()
{
    std::fflush(stdout);
}

int StdInStream::Read(void* data, int size, int count)
{
    size_t bytes = std_streams_detail::RequestedBytes(size, count);
    if (bytes == 0)
        return 0;
    return static_cast<int>(std::fread(data, 1, bytes, stdin));
}

StdOutStream* CreateStdOutStream()
{
    return new StdOutStream();
}

StdInStream* CreateStdInStream()
{
    return new StdInStream();
}

}  // namespace Nimbrel::IO
