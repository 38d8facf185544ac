#include "utils/Geometry.h"

#include "core/Exception.h"
#include "graphics/Device.h"
#include "utils/Mesh.h"

#include <cstdint>
#include <cstring>

namespace Nimbrel::Utils {

namespace GeometryDetail {

// Keeps a buffer locked for as long as it is read, whatever the read throws.
class ReadLock {
public:
    ReadLock(Graphics::Buffer* buffer, int offset, int size)
        : buffer(buffer), data(static_cast<const uint8_t*>(buffer->Lock(Graphics::LockRead, offset, size)))
    {
    }
    ~ReadLock() { buffer->Unlock(); }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

    const uint8_t* Data() const { return data; }

private:
    Graphics::Buffer* buffer;
    const uint8_t* data;
};

int ComponentSize(int32_t type)
{
    switch (type) {
    case Graphics::DataTypeByte:
        return 1;
    case Graphics::DataTypeShort:
        return 2;
    case Graphics::DataTypeFloat:
        return 4;
    default:
        return 0;
    }
}

const char* const NoAttribute = "the requested attribute does not exist in the geometry.";

}  // namespace GeometryDetail

void Geometry::Draw()
{
    device->SetIndexBuffer(indexBuffer.Get());
    device->SetInputLayout(inputLayout.Get());
    for (int i = 0; i < vertexBuffers.Count(); ++i)
        device->SetVertexBuffer(i, vertexBuffers[i].Get());
    for (const SubMesh& subMesh : subMeshes) {
        device->SetPrimitiveType(subMesh.primitive);
        device->DrawIndexed(subMesh.firstIndex, subMesh.indexCount, subMesh.minVertex, subMesh.maxVertex);
    }
}

int Geometry::AddVertexBuffer(Graphics::VertexBuffer* buffer)
{
    if (buffer)
        buffer->AddRef();
    return vertexBuffers.Add(Managed<Graphics::VertexBuffer>(buffer));
}

void Geometry::SetInputLayout(Graphics::InputLayout* layout)
{
    if (layout)
        layout->AddRef();
    inputLayout.Set(layout);
}

void Geometry::SetIndexBuffer(Graphics::IndexBuffer* buffer)
{
    if (buffer)
        buffer->AddRef();
    indexBuffer.Set(buffer);
}

int Geometry::GetElements(Graphics::InputElement* elements)
{
    return inputLayout ? inputLayout->GetElements(16, elements) : 0;
}

bool Geometry::FindElement(int semantic, Graphics::InputElement& found)
{
    Graphics::InputElement elements[16];
    int count = GetElements(elements);
    for (int i = 0; i < count; ++i)
        if (elements[i].semantic == semantic) {
            found = elements[i];
            return true;
        }
    return false;
}

void Geometry::ReadElement(const Graphics::InputElement& element, int first, int count, float* out,
                           const char* caller)
{
    int size = GeometryDetail::ComponentSize(element.type);
    if (size == 0)
        throw Exception(String(caller) + ": Unknown component type");
    if (count == 0)
        return;
    if (element.stream < 0 || element.stream >= vertexBuffers.Count() || !vertexBuffers[element.stream])
        throw Exception(String::Format("%s: no vertex buffer on stream %d", caller, element.stream));
    Graphics::VertexBuffer* buffer = vertexBuffers[element.stream].Get();
    int64_t stride = buffer->GetStride();
    int64_t begin = first * stride + element.offset;
    int64_t end = (int64_t(first) + count - 1) * stride + element.offset + int64_t(size) * element.components;
    if (element.components < 1 || element.components > 4 || stride < 0 || begin < 0 || end > buffer->GetSize())
        throw Exception(String::Format("%s: vertices %d to %d are outside the vertex buffer", caller, first,
                                       first + count - 1));

    GeometryDetail::ReadLock lock(buffer, static_cast<int>(begin), static_cast<int>(end - begin));
    const uint8_t* vertex = lock.Data();
    for (int v = 0; v < count; ++v, vertex += stride) {
        for (int c = 0; c < element.components; ++c) {
            const uint8_t* component = vertex + c * size;
            if (size == 1) {
                *out++ = static_cast<float>(*component);
            } else if (size == 2) {
                uint16_t value;
                std::memcpy(&value, component, 2);
                *out++ = static_cast<float>(value);
            } else {
                float value;
                std::memcpy(&value, component, 4);
                *out++ = value;
            }
        }
    }
}

void Geometry::GetVertexAttribute(int vertex, int semantic, float* out)
{
    const char* caller = "Geometry::GetVertexAttribute()";
    Graphics::InputElement element;
    if (!FindElement(semantic, element))
        throw Exception(String(caller) + ": " + GeometryDetail::NoAttribute);
    if (vertex < 0 || vertex >= vertexCount)
        throw Exception(String::Format("%s: vertex %d is outside the %d vertices", caller, vertex, vertexCount));
    ReadElement(element, vertex, 1, out, caller);
}

void Geometry::ReadIndices(int first, int count, int* out, const char* caller)
{
    if (count == 0)
        return;
    if (first < 0 || count < 0 || int64_t(first) + count > indexCount || !indexBuffer)
        throw Exception(String::Format("%s: index %d is outside the %d indices", caller, first < 0 ? first : first + count - 1,
                                       indexCount));
    int size = indexBuffer->GetIndexSize() == 2 ? 2 : 4;
    if ((int64_t(first) + count) * size > indexBuffer->GetSize())
        throw Exception(String::Format("%s: index %d is outside the index buffer", caller, first + count - 1));
    GeometryDetail::ReadLock lock(indexBuffer.Get(), first * size, count * size);
    const uint8_t* data = lock.Data();
    for (int i = 0; i < count; ++i, data += size) {
        if (size == 2) {
            uint16_t value;
            std::memcpy(&value, data, 2);
            out[i] = value;
        } else {
            uint32_t value;
            std::memcpy(&value, data, 4);
            out[i] = static_cast<int>(value);
        }
    }
}

int Geometry::GetIndex(int i)
{
    int index = 0;
    if (i < 0 || i >= indexCount)
        throw Exception(String::Format("Geometry::GetIndex(): index %d is outside the %d indices", i, indexCount));
    ReadIndices(i, 1, &index, "Geometry::GetIndex()");
    return index;
}

void Geometry::CalcBoundingValues(int semantic, float* min, float* max)
{
    const char* caller = "Geometry::CalcBoundingValues()";
    Graphics::InputElement element;
    if (!FindElement(semantic, element))
        throw Exception(String(caller) + ": " + GeometryDetail::NoAttribute);
    int components = element.components;
    if (components < 1 || components > 4)
        throw Exception(String::Format("%s: the element has %d components", caller, components));
    for (int c = 0; c < components; ++c)
        min[c] = max[c] = 0.0f;
    if (vertexCount <= 0)
        return;
    if (int64_t(vertexCount) * components > INT32_MAX)
        throw Exception(String::Format("%s: %d vertices are more than can be read back", caller, vertexCount));
    Array<float> values;
    values.SetSize(vertexCount * components);
    ReadElement(element, 0, vertexCount, values.Data(), caller);
    for (int c = 0; c < components; ++c)
        min[c] = max[c] = values[c];
    for (int v = 1; v < vertexCount; ++v)
        for (int c = 0; c < components; ++c) {
            float value = values[v * components + c];
            if (value < min[c])
                min[c] = value;
            if (value > max[c])
                max[c] = value;
        }
}

Mesh* Geometry::CreateMesh()
{
    Managed<Mesh> mesh(new Mesh());
    Graphics::InputElement elements[16];
    int count = GetElements(elements);
    for (int i = 0; i < count; ++i) {
        Managed<Mesh::Attribute> attribute(new Mesh::Attribute(elements[i].semantic, 0, elements[i].components));
        if (vertexCount > 0) {
            if (elements[i].components < 1 || elements[i].components > 4)
                throw Exception(String::Format("Geometry::CreateMesh(): element %d has %d components", i,
                                               elements[i].components));
            if (int64_t(vertexCount) * elements[i].components > INT32_MAX)
                throw Exception(String::Format("Geometry::CreateMesh(): %d vertices are more than can be read back", vertexCount));
            attribute->values.SetSize(vertexCount * elements[i].components);
            ReadElement(elements[i], 0, vertexCount, attribute->values.Data(), "Geometry::GetVertexAttribute()");
        }
        mesh->AddAttribute(attribute.Get());
    }
    mesh->SetVertexCount(vertexCount);
    mesh->SetIndexCount(indexCount);
    Array<int> indices;
    indices.SetSize(indexCount);
    ReadIndices(0, indexCount, indices.Data(), "Geometry::GetIndex()");
    for (int i = 0; i < indexCount; ++i)
        mesh->SetIndex(i, indices[i]);
    for (const SubMesh& subMesh : subMeshes)
        mesh->AddSubMesh(subMesh);
    return mesh.Detach();
}

}  // namespace Nimbrel::Utils
