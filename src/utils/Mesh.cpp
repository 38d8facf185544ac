#include "utils/Mesh.h"

#include "core/Exception.h"
#include "graphics/Device.h"
#include "utils/Geometry.h"

#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace Nimbrel::Utils {

namespace MeshDetail {

// Identifies a vertex of a multi-index mesh by where its index group starts; two groups are
// the same vertex when their indices agree one by one.
struct GroupHash {
    const int* indices;
    int stride;
    size_t operator()(int start) const
    {
        uint64_t hash = 1469598103934665603ull;
        for (int i = 0; i < stride; ++i) {
            hash ^= static_cast<uint32_t>(indices[start + i]);
            hash *= 1099511628211ull;
        }
        return static_cast<size_t>(hash);
    }
};

struct GroupEqual {
    const int* indices;
    int stride;
    bool operator()(int a, int b) const
    {
        return std::memcmp(indices + a, indices + b, sizeof(int) * static_cast<size_t>(stride)) == 0;
    }
};

}  // namespace MeshDetail

void Mesh::AddAttribute(Attribute* attribute)
{
    if (!attribute)
        throw Exception("Mesh::AddAttribute(): null attribute");
    attribute->AddRef();
    attributes.Add(Managed<Attribute>(attribute));
}

Mesh::Attribute* Mesh::GetAttributeBySemantic(int semantic) const
{
    for (const Managed<Attribute>& attribute : attributes)
        if (attribute->semantic == semantic)
            return attribute.Get();
    throw Exception("Mesh::GetAttributeBySemantic: no attribute with the given semantic exists");
}

void Mesh::SetSubMesh(int index, int32_t firstIndex, int32_t indexCount, int32_t minVertex,
                      int32_t maxVertex, Graphics::PrimitiveType primitive)
{
    subMeshes[index] = SubMesh{firstIndex, indexCount, minVertex, maxVertex, primitive};
}

void Mesh::SetIndexStride(int stride)
{
    if (stride < 1)
        throw Exception(String::Format("Mesh::SetIndexStride(): invalid stride %d", stride));
    indexStride = stride;
}

void Mesh::SetIndexCount(int count)
{
    if (count < 0)
        throw Exception(String::Format("Mesh::SetIndexCount(): invalid index count %d", count));
    indices.SetSize(count);
}

void Mesh::SetVertexCount(int count)
{
    if (count < 0)
        throw Exception(String::Format("Mesh::SetVertexCount(): invalid vertex count %d", count));
    for (const Managed<Attribute>& attribute : attributes) {
        int64_t values = int64_t(count) * attribute->components;
        if (attribute->components < 0 || values > INT32_MAX)
            throw Exception(String::Format("Mesh::SetVertexCount(): %d vertices of %d components do not fit an attribute",
                                           count, attribute->components));
    }
    for (const Managed<Attribute>& attribute : attributes)
        attribute->values.SetSize(count * attribute->components);
    vertexCount = count;
}

// Every index group must select, for every attribute, a value the attribute holds.
void Mesh::CheckIndexGroups() const
{
    if (indices.Count() % indexStride != 0)
        throw Exception(String::Format("Mesh::ConvertToSingleIndexPrVertex: the index count %d is not a multiple of the index stride %d",
                                       indices.Count(), indexStride));
    for (int a = 0; a < attributes.Count(); ++a) {
        const Attribute& attribute = *attributes[a];
        if (attribute.indexOffset < 0 || attribute.indexOffset >= indexStride)
            throw Exception(String::Format("Mesh::ConvertToSingleIndexPrVertex: attribute %d has index offset %d, outside a stride of %d",
                                           a, attribute.indexOffset, indexStride));
        if (attribute.components < 1)
            throw Exception(String::Format("Mesh::ConvertToSingleIndexPrVertex: attribute %d has %d components", a,
                                           attribute.components));
        int64_t held = attribute.values.Count() / attribute.components;
        for (int i = attribute.indexOffset; i < indices.Count(); i += indexStride)
            if (indices[i] < 0 || indices[i] >= held)
                throw Exception(String::Format("Mesh::ConvertToSingleIndexPrVertex: index %d of vertex %d is outside the %lld values of attribute %d",
                                               indices[i], i / indexStride, static_cast<long long>(held), a));
    }
}

Mesh* Mesh::ConvertToSingleIndexPrVertex()
{
    if (indexStride == 1) {
        AddRef();
        return this;
    }
    if (subMeshes.Count() > 1)
        throw Exception("Mesh::ConvertToSingleIndexPrVertex only supports meshes with one SubMesh");
    CheckIndexGroups();

    Managed<Mesh> result(new Mesh());
    for (const Managed<Attribute>& source : attributes) {
        // The result has one index per vertex, so every attribute reads index 0 of its group.
        Managed<Attribute> copy(new Attribute(source->semantic, 0, source->components));
        result->AddAttribute(copy.Get());
    }

    const int* groups = indices.Data();
    int groupCount = indices.Count() / indexStride;
    std::unordered_map<int, int, MeshDetail::GroupHash, MeshDetail::GroupEqual> numbers(
        64, MeshDetail::GroupHash{groups, indexStride}, MeshDetail::GroupEqual{groups, indexStride});
    result->indices.Reserve(groupCount);
    numbers.reserve(size_t(groupCount));
    int next = 0;
    for (int v = 0; v < groupCount; ++v) {
        int start = v * indexStride;
        auto [found, isNew] = numbers.try_emplace(start, next);
        if (isNew) {
            for (int a = 0; a < attributes.Count(); ++a) {
                const Attribute& source = *attributes[a];
                Array<float>& values = result->attributes[a]->values;
                int first = groups[start + source.indexOffset] * source.components;
                for (int c = 0; c < source.components; ++c)
                    values.Add(source.values[first + c]);
            }
            ++next;
        }
        result->indices.Add(found->second);
    }
    result->vertexCount = next;
    if (subMeshes.Count() == 1)
        result->AddSubMesh(SubMesh{0, result->indices.Count(), 0, next - 1, subMeshes[0].primitive});
    return result.Detach();
}

int Mesh::CheckSingleIndexVertices() const
{
    if (indexStride != 1)
        throw Exception("Mesh: the mesh has more than one index per vertex; convert it first");
    int count = vertexCount;
    for (int a = 0; a < attributes.Count(); ++a) {
        const Attribute& attribute = *attributes[a];
        if (attribute.components < 1 || attribute.components > 4)
            throw Exception(String::Format("Mesh: attribute %d has %d components (1 to 4 can be uploaded)", a,
                                           attribute.components));
        if (attribute.values.Count() % attribute.components != 0)
            throw Exception(String::Format("Mesh: attribute %d holds %d values, not whole vertices of %d components", a,
                                           attribute.values.Count(), attribute.components));
        int held = attribute.values.Count() / attribute.components;
        if (a == 0)
            count = held;
        else if (held != count)
            throw Exception(String::Format("Mesh: attribute %d holds %d vertices, attribute 0 holds %d", a, held, count));
    }
    for (int i = 0; i < indices.Count(); ++i)
        if (indices[i] < 0 || indices[i] >= count)
            throw Exception(String::Format("Mesh: index %d at position %d is outside the %d vertices", indices[i], i, count));
    return count;
}

Geometry* Mesh::CreateGeometry(Graphics::Device* device, Graphics::BufferMode mode)
{
    if (!device)
        throw Exception("Mesh::CreateGeometry(): no device");
    Managed<Mesh> single(ConvertToSingleIndexPrVertex());
    int count = single->CheckSingleIndexVertices();
    if (single->attributes.Count() > 16)
        throw Exception(String::Format("Mesh::CreateGeometry(): %d attributes, a geometry takes at most 16",
                                       single->attributes.Count()));
    if (int64_t(count) * 16 > INT32_MAX || int64_t(single->indices.Count()) * 4 > INT32_MAX)
        throw Exception("Mesh::CreateGeometry(): the mesh is too large for a device buffer");

    Managed<Geometry> geometry(new Geometry(device));
    geometry->SetVertexCount(count);
    Graphics::InputElement elements[16];
    for (int a = 0; a < single->attributes.Count(); ++a) {
        const Attribute& attribute = *single->attributes[a];
        Graphics::InputElement& element = elements[a];
        element.semantic = attribute.semantic;
        element.stream = a;
        element.components = attribute.components;
        element.offset = 0;
        element.type = Graphics::DataTypeFloat;
        element.normalized = 0;
        int size = count * attribute.components * 4;
        Managed<Graphics::VertexBuffer> buffer(device->CreateVertexBuffer(mode, size, attribute.components * 4));
        if (size > 0)
            buffer->SetData(attribute.values.Data(), 0, size);
        geometry->AddVertexBuffer(buffer.Get());
    }
    Managed<Graphics::InputLayout> layout(device->CreateInputLayout(elements, single->attributes.Count()));
    geometry->SetInputLayout(layout.Get());

    int indexCount = single->indices.Count();
    geometry->SetIndexCount(indexCount);
    Managed<Graphics::IndexBuffer> indexBuffer(device->CreateIndexBuffer(mode, indexCount * 4, 4));
    if (indexCount > 0)
        indexBuffer->SetData(single->indices.Data(), 0, indexCount * 4);
    geometry->SetIndexBuffer(indexBuffer.Get());

    for (const SubMesh& subMesh : single->subMeshes)
        geometry->AddSubMesh(subMesh);
    return geometry.Detach();
}

}  // namespace Nimbrel::Utils
