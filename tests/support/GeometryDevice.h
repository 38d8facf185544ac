#pragma once
// GeometryDevice: a device that keeps vertex and index buffers and input layouts in memory and
// logs the calls that drawing code makes, for tests of geometry, meshes and their loaders
// without a window or GL. Buffers keep their bytes (`bytes`) and whether they are locked;
// `log` names every creation, setter and draw in order ("CreateVertexBuffer", "SetIndexBuffer",
// "DrawIndexed", ...), `draws` records each draw's range.

#include "core/Exception.h"
#include "graphics/Device.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

template <class Base>
class MemoryBuffer : public Base {
public:
    explicit MemoryBuffer(int size) : bytes(static_cast<size_t>(std::max(0, size))) {}
    void SetData(const void* data, int offset, int size) override
    {
        if (size == 0)
            size = static_cast<int>(bytes.size()) - offset;
        if (offset < 0 || size < 0 || static_cast<size_t>(offset) + static_cast<size_t>(size) > bytes.size())
            throw Exception("MemoryBuffer::SetData(): range outside the buffer");
        if (size > 0)
            std::memcpy(bytes.data() + offset, data, static_cast<size_t>(size));
    }
    void* Lock(Graphics::LockMode, int offset, int) override
    {
        if (locked)
            throw Exception("MemoryBuffer::Lock(): already locked");
        if (offset < 0 || static_cast<size_t>(offset) > bytes.size())
            throw Exception("MemoryBuffer::Lock(): offset outside the buffer");
        locked = true;
        return bytes.data() + offset;
    }
    void Unlock() override
    {
        if (!locked)
            throw Exception("MemoryBuffer::Unlock(): not locked");
        locked = false;
    }
    int GetSize() override { return static_cast<int>(bytes.size()); }

    std::vector<uint8_t> bytes;
    bool locked = false;
};

class MemoryVertexBuffer : public MemoryBuffer<Graphics::VertexBuffer> {
public:
    MemoryVertexBuffer(int size, int stride) : MemoryBuffer(size), stride(stride) {}
    int GetStride() override { return stride; }
    int stride;
};

class MemoryIndexBuffer : public MemoryBuffer<Graphics::IndexBuffer> {
public:
    MemoryIndexBuffer(int size, int indexSize) : MemoryBuffer(size), indexSize(indexSize == 2 ? 2 : 4) {}
    int GetIndexSize() override { return indexSize; }
    int indexSize;
};

class MemoryInputLayout : public Graphics::InputLayout {
public:
    MemoryInputLayout(const Graphics::InputElement* elements, int count) : elements(elements, elements + count) {}
    int GetElements(int maxCount, Graphics::InputElement* out) override
    {
        const int n = std::min(maxCount, static_cast<int>(elements.size()));
        std::copy(elements.begin(), elements.begin() + n, out);
        return n;
    }
    std::vector<Graphics::InputElement> elements;
};

class GeometryDevice : public Graphics::Device {
public:
    struct DrawCall {
        bool indexed;
        int first;
        int count;
        int minVertex;
        int maxVertex;
    };

    std::vector<std::string> log;
    std::vector<DrawCall> draws;

    void Clear(int, float, float, float, float, float, int) override { log.emplace_back("Clear"); }
    void Flush() override {}
    bool Present() override { return true; }
    bool IsScreenSpaceConformant() override { return true; }
    bool UsesGLDepthRange() override { return true; }
    int GetMaxSlots() override { return 16; }

    Graphics::VertexBuffer* CreateVertexBuffer(Graphics::BufferMode mode, int size, int stride) override
    {
        log.emplace_back("CreateVertexBuffer");
        modes.push_back(mode);
        return new MemoryVertexBuffer(size, stride);
    }
    Graphics::IndexBuffer* CreateIndexBuffer(Graphics::BufferMode mode, int size, int indexSize) override
    {
        log.emplace_back("CreateIndexBuffer");
        modes.push_back(mode);
        return new MemoryIndexBuffer(size, indexSize);
    }
    Graphics::InputLayout* CreateInputLayout(const Graphics::InputElement* elements, int count) override
    {
        log.emplace_back("CreateInputLayout");
        if (count < 0 || count > 16)
            throw Exception("GeometryDevice::CreateInputLayout(): at most 16 elements");
        return new MemoryInputLayout(elements, count);
    }
    void SetInputLayout(Graphics::InputLayout* layout) override
    {
        log.emplace_back("SetInputLayout");
        inputLayout = layout;
    }
    void SetVertexBuffer(int stream, Graphics::VertexBuffer* buffer) override
    {
        log.emplace_back("SetVertexBuffer");
        vertexBuffers.at(static_cast<size_t>(stream)) = buffer;
    }
    void SetIndexBuffer(Graphics::IndexBuffer* buffer) override
    {
        log.emplace_back("SetIndexBuffer");
        indexBuffer = buffer;
    }
    void SetPrimitiveType(Graphics::PrimitiveType type) override
    {
        log.emplace_back("SetPrimitiveType");
        primitiveType = type;
    }
    Graphics::InputLayout* GetInputLayout() override { return inputLayout; }
    Graphics::VertexBuffer* GetVertexBuffer(int stream) override { return vertexBuffers.at(static_cast<size_t>(stream)); }
    Graphics::IndexBuffer* GetIndexBuffer() override { return indexBuffer; }
    Graphics::PrimitiveType GetPrimitiveType() override { return primitiveType; }
    void Draw(int first, int count) override
    {
        log.emplace_back("Draw");
        draws.push_back({false, first, count, 0, 0});
    }
    void DrawIndexed(int first, int count, int minVertex, int maxVertex) override
    {
        log.emplace_back("DrawIndexed");
        draws.push_back({true, first, count, minVertex, maxVertex});
    }

    // The buffer mode of every buffer made, in order.
    std::vector<Graphics::BufferMode> modes;

private:
    Graphics::InputLayout* inputLayout = nullptr;
    std::array<Graphics::VertexBuffer*, 16> vertexBuffers{};
    Graphics::IndexBuffer* indexBuffer = nullptr;
    Graphics::PrimitiveType primitiveType = Graphics::PrimitiveTriangles;
};

}  // namespace Nimbrel::Testing
