#pragma once
// Everything a stream still delivers, as text, for tests that compare what a file system or
// loader hands out with what was put in.

#include "io/Stream.h"

#include <string>

namespace Nimbrel::Testing {

inline std::string ReadAll(IO::Stream& stream)
{
    std::string text;
    char piece[4096];
    for (int read; (read = stream.Read(piece, 1, sizeof piece)) > 0;)
        text.append(piece, static_cast<size_t>(read));
    return text;
}

}  // namespace Nimbrel::Testing
