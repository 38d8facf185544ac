#pragma once
// Mesh: editable vertex data in memory, the form importers build before it goes to the device.
//
// Every attribute keeps its own list of values, and a vertex is a group of `indexStride`
// indices, one per attribute set: attribute a takes its value number
// indices[v * indexStride + a.indexOffset] for vertex v (values[k * components ...] for that
// number k). ConvertToSingleIndexPrVertex turns this into one shared index per vertex, which
// is what CreateGeometry uploads.
//
// A mesh with an index stride of 1 is already in that form: its vertex count is the number of
// values each attribute holds (values / components); SetVertexCount sizes every attribute for
// it.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Object.h"
#include "graphics/Enumerations.h"
#include "utils/SubMesh.h"

#include <cstdint>

namespace Nimbrel::Graphics {
class Device;
}

namespace Nimbrel::Utils {

class Geometry;

class Mesh : public Object {
public:
    class Attribute : public Object {
    public:
        Attribute() = default;
        Attribute(int32_t semantic, int32_t indexOffset, int32_t components)
            : semantic(semantic), indexOffset(indexOffset), components(components)
        {
        }

        int32_t semantic = 0;     // vertex semantic index, 0 to 15
        int32_t indexOffset = 0;  // which index of a vertex's group selects this attribute's value
        int32_t components = 0;   // floats per value
        Array<float> values;      // components floats per value
    };

    Mesh() = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Adds a reference to the attribute.
    void AddAttribute(Attribute* attribute);
    int GetAttributeCount() const { return attributes.Count(); }
    Attribute* GetAttribute(int index) const { return attributes[index].Get(); }
    // The first attribute of the semantic; throws "Mesh::GetAttributeBySemantic: no attribute
    // with the given semantic exists".
    Attribute* GetAttributeBySemantic(int semantic) const;

    int AddSubMesh(const SubMesh& subMesh) { return subMeshes.Add(subMesh); }
    int GetSubMeshCount() const { return subMeshes.Count(); }
    SubMesh GetSubMesh(int index) const { return subMeshes[index]; }
    void SetSubMesh(int index, int32_t firstIndex, int32_t indexCount, int32_t minVertex,
                    int32_t maxVertex, Graphics::PrimitiveType primitive);

    // At least 1.
    void SetIndexStride(int stride);
    int GetIndexStride() const { return indexStride; }
    // Resizes the index list; new indices are 0.
    void SetIndexCount(int count);
    int GetIndexCount() const { return indices.Count(); }
    void SetIndex(int i, int value) { indices[i] = value; }
    int GetIndex(int i) const { return indices[i]; }
    const int* GetIndices() const { return indices.Data(); }

    // Resizes every attribute's values to count * its components and records count.
    void SetVertexCount(int count);
    int GetVertexCount() const { return vertexCount; }

    // This mesh with one index per vertex, with one reference for the caller. A mesh whose
    // stride is already 1 is returned itself. Identical index groups share one output vertex;
    // output vertices are numbered in order of first use. Throws when the mesh has more than
    // one submesh, when its index count is not a multiple of the stride, or when an index
    // selects a value its attribute does not hold.
    Mesh* ConvertToSingleIndexPrVertex();

    // A new geometry for the device with one float vertex buffer per attribute, 32-bit indices
    // and the submeshes of the converted mesh. Throws when the attributes hold different
    // numbers of vertices or an index is not below that number.
    Geometry* CreateGeometry(Graphics::Device* device, Graphics::BufferMode mode);

    // Checks a mesh of stride 1 before it is uploaded or written: every attribute holds the
    // same number of whole vertices, and every index is below that number. Returns the number
    // (the recorded vertex count when there is no attribute).
    int CheckSingleIndexVertices() const;

private:
    void CheckIndexGroups() const;

    Array<Managed<Attribute>> attributes;
    Array<SubMesh> subMeshes;
    Array<int> indices;
    int32_t indexStride = 1;
    int32_t vertexCount = 0;
};

}  // namespace Nimbrel::Utils
