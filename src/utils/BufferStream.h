#pragma once
// Utils::BufferStream: a read-only, seekable stream over an IO::Buffer.
//
// The stream holds a counted reference to its buffer for as long as it lives. Reads count
// bytes and stop at the end of the buffer (a read there returns 0); seeks are clamped to the
// buffer.

#include "core/Managed.h"
#include "io/Buffer.h"
#include "io/Stream.h"

namespace Nimbrel::Utils {

class BufferStream : public IO::Stream {
public:
    // Adds a reference to the buffer; the caller keeps its own.
    explicit BufferStream(IO::Buffer* buffer);

    bool IsReadable() const override { return true; }
    bool IsSeekable() const override { return true; }
    int GetLength() const override { return buffer->GetSize(); }
    int GetPosition() const override { return position; }
    int Read(void* data, int size, int count) override;
    int Seek(int origin, int offset) override;

private:
    Managed<IO::Buffer> buffer;
    int32_t position = 0;
};

}  // namespace Nimbrel::Utils
