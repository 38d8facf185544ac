#include "graphics/gl/GLBuffer.h"

#include "core/Exception.h"
#include "graphics/gl/GLDevice.h"

namespace Nimbrel::Graphics {

namespace GLBufferDetail {

GLenum UsageCode(BufferMode mode)
{
    switch (mode) {
    case BufferModeStatic: return GL_STATIC_DRAW;
    case BufferModeDynamic: return GL_DYNAMIC_READ;
    case BufferModeVolatile: return GL_DYNAMIC_DRAW;
    default: throw Exception("Buffer mode enum not recognized");
    }
}

GLenum AccessCode(LockMode mode)
{
    switch (mode) {
    case LockRead: return GL_READ_ONLY;
    case LockWrite: return GL_WRITE_ONLY;
    case LockReadWrite: return GL_READ_WRITE;
    default:
        throw Exception("Invalid lock operation. Buffer can not be locked with read-only and write-only at the same time");
    }
}

}  // namespace GLBufferDetail

GLBufferStore::GLBufferStore(GLDevice* owner, unsigned int bufferTarget, BufferMode mode, int bytes)
    : device(owner), target(bufferTarget), usage(GLBufferDetail::UsageCode(mode)), size(bytes)
{
    if (bytes < 0)
        throw Exception("CreateBuffer(): Negative buffer size");
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    gl.GenBuffers(1, &name);
    gl.BindBuffer(target, name);
    gl.BufferData(target, size, nullptr, usage);
}

GLBufferStore::~GLBufferStore()
{
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    if (locked) {
        gl.BindBuffer(target, name);
        gl.UnmapBuffer(target);
    }
    gl.DeleteBuffers(1, &name);
}

void GLBufferStore::Bind()
{
    device->GetGL().BindBuffer(target, name);
}

void GLBufferStore::SetData(const void* data, int offset, int bytes)
{
    if (locked)
        throw Exception("Buffer::SetData(): Buffer is locked");
    if (offset < 0 || bytes < 0)
        throw Exception("Buffer::SetData(): Negative offset or size");
    if (bytes == 0)
        bytes = size;
    if (offset != 0 && int64_t(offset) + bytes > size)
        throw Exception("Buffer::SetData(): Range outside the buffer");
    if (!data && bytes > 0 && offset != 0)
        throw Exception("Buffer::SetData(): No data given");
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    gl.BindBuffer(target, name);
    if (offset == 0) {
        // The whole store is specified again, at the size given.
        gl.BufferData(target, bytes, data, usage);
        size = bytes;
    } else {
        gl.BufferSubData(target, offset, bytes, data);
    }
}

void* GLBufferStore::Lock(LockMode mode, int offset)
{
    if (locked)
        throw Exception("Buffer allready locked");
    const GLenum access = GLBufferDetail::AccessCode(mode);
    if (offset < 0 || offset > size)
        throw Exception("Buffer::Lock(): Offset outside the buffer");
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    gl.BindBuffer(target, name);
    void* mapped = gl.MapBuffer(target, access);
    if (!mapped)
        throw Exception("Buffer::Lock(): The buffer could not be mapped");
    locked = true;
    return static_cast<char*>(mapped) + offset;
}

void GLBufferStore::Unlock()
{
    if (!locked)
        return;
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    gl.BindBuffer(target, name);
    gl.UnmapBuffer(target);
    locked = false;
}

GLVertexBuffer::GLVertexBuffer(GLDevice* device, BufferMode mode, int size, int vertexStride)
    : store(device, GL_ARRAY_BUFFER, mode, size), stride(vertexStride)
{
}

GLVertexBuffer::~GLVertexBuffer()
{
    // Before the store goes: the device may still disable attributes that read from it.
    store.GetDevice()->OnVertexBufferDestroyed(this);
}

GLIndexBuffer::GLIndexBuffer(GLDevice* device, BufferMode mode, int size, int indexSize)
    : store(device, GL_ELEMENT_ARRAY_BUFFER, mode, size), indexType(indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT)
{
}

GLIndexBuffer::~GLIndexBuffer()
{
    store.GetDevice()->OnIndexBufferDestroyed(this);
}

}  // namespace Nimbrel::Graphics

