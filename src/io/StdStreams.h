#pragma once
// The console streams: the process's standard output and standard input as IO::Streams.
//
// Neither is seekable. Both count bytes. Standard input reports how many bytes really
// arrived, so a read at the end of input returns 0 and the typed and line reads on top of it
// end with their exception rather than inventing bytes.

#include "io/Stream.h"

namespace Nimbrel::IO {

class StdOutStream : public Stream {
public:
    bool IsWriteable() const override { return true; }
    int Write(const void* data, int size, int count) override;
    void Flush() override;
};

class StdInStream : public Stream {
public:
    bool IsReadable() const override { return true; }
    int Read(void* data, int size, int count) override;
};

// Each returns a new stream owned by the caller (count 1).
StdOutStream* CreateStdOutStream();
StdInStream* CreateStdInStream();

}  // namespace Nimbrel::IO
