#pragma once
// Vertex and index buffers. A buffer is unlocked or locked; Lock maps the store into memory
// and Unlock gives it back.

#include "core/Object.h"
#include "graphics/Enumerations.h"

namespace Nimbrel::Graphics {

class Buffer : public Object {
public:
    ~Buffer() override = default;
    // Writes size bytes at offset; a size of 0 means the whole buffer.
    virtual void SetData(const void* data, int offset, int size) = 0;
    // Maps the buffer and returns the address of byte offset. size is what the caller means to
    // touch; backends may map more.
    virtual void* Lock(LockMode mode, int offset, int size) = 0;
    virtual void Unlock() = 0;
    // Size in bytes.
    virtual int GetSize() = 0;
};

class VertexBuffer : public Buffer {
public:
    // Bytes from one vertex to the next.
    virtual int GetStride() = 0;
};

class IndexBuffer : public Buffer {
public:
    // 2 or 4 bytes per index.
    virtual int GetIndexSize() = 0;
};

}  // namespace Nimbrel::Graphics
