#pragma once
// GLVertexBuffer and GLIndexBuffer: OpenGL buffer objects behind the Buffer interface.
//
// The store is made at creation with undefined contents. SetData with offset 0 re-specifies
// the whole store (and records the new size); with another offset it replaces a range, which
// must lie inside the store. Lock maps the whole store. A locked buffer that is destroyed is
// unmapped first: destruction never throws. A destroyed buffer tells its device, which empties
// every stream slot (or the index-buffer slot) that held it.

#include "graphics/Buffer.h"

#include <GL/gl.h>

namespace Nimbrel::Graphics {

class GLDevice;

// What the two buffer kinds share: one OpenGL buffer object bound to its target.
class GLBufferStore {
public:
    // Throws "Buffer mode enum not recognized" for an unknown mode.
    GLBufferStore(GLDevice* device, unsigned int target, BufferMode mode, int size);
    ~GLBufferStore();
    GLBufferStore(const GLBufferStore&) = delete;
    GLBufferStore& operator=(const GLBufferStore&) = delete;

    void SetData(const void* data, int offset, int size);
    void* Lock(LockMode mode, int offset);
    void Unlock();
    int GetSize() const { return size; }
    unsigned int GetName() const { return name; }
    GLDevice* GetDevice() const { return device; }
    // Binds the buffer to its target.
    void Bind();

private:
    GLDevice* device;
    unsigned int name = 0;
    unsigned int target;
    unsigned int usage;
    int size;
    bool locked = false;
};

class GLVertexBuffer : public VertexBuffer {
public:
    GLVertexBuffer(GLDevice* device, BufferMode mode, int size, int stride);
    ~GLVertexBuffer() override;

    void SetData(const void* data, int offset, int size) override { store.SetData(data, offset, size); }
    void* Lock(LockMode mode, int offset, int) override { return store.Lock(mode, offset); }
    void Unlock() override { store.Unlock(); }
    int GetSize() override { return store.GetSize(); }
    int GetStride() override { return stride; }

    unsigned int GetName() const { return store.GetName(); }
    void Bind() { store.Bind(); }

private:
    GLBufferStore store;
    int stride;
};

class GLIndexBuffer : public IndexBuffer {
public:
    // indexSize 2 gives 16-bit indices, any other value 32-bit.
    GLIndexBuffer(GLDevice* device, BufferMode mode, int size, int indexSize);
    ~GLIndexBuffer() override;

    void SetData(const void* data, int offset, int size) override { store.SetData(data, offset, size); }
    void* Lock(LockMode mode, int offset, int) override { return store.Lock(mode, offset); }
    void Unlock() override { store.Unlock(); }
    int GetSize() override { return store.GetSize(); }
    int GetIndexSize() override { return indexType == GL_UNSIGNED_SHORT ? 2 : 4; }

    // GL_UNSIGNED_SHORT or GL_UNSIGNED_INT.
    unsigned int GetIndexType() const { return indexType; }
    void Bind() { store.Bind(); }

private:
    GLBufferStore store;
    unsigned int indexType;
};

}  // namespace Nimbrel::Graphics
