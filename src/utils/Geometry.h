#pragma once
// Geometry: drawable vertex data resident on a device.
//
// One vertex buffer per attribute (buffer i feeds vertex stream i), one index buffer, an input
// layout that ties the attributes to semantics, and the submeshes, the draw ranges that Draw
// issues in order. A geometry is filled once by whoever builds it (the NGM reader,
// Mesh::CreateGeometry) and not changed afterwards.
//
// The device is not counted: it outlives its geometries. Vertex buffers, index buffer and
// input layout are held with counted references. Scales and biases, one per attribute, are
// the decode factors of packed attributes, kept for shaders; nothing in the engine reads them.
//
// Reading back (GetVertexAttribute, GetIndex, CalcBoundingValues, CreateMesh) locks the
// buffers for reading; integer components are read as unsigned values, with no
// normalisation, scale or bias applied.

#include "core/Array.h"
#include "core/Managed.h"
#include "graphics/Buffer.h"
#include "graphics/InputElement.h"
#include "graphics/InputLayout.h"
#include "utils/Drawable.h"
#include "utils/SubMesh.h"

#include <cstdint>

namespace Nimbrel::Graphics {
class Device;
}

namespace Nimbrel::Utils {

class Mesh;

class Geometry : public Drawable {
public:
    explicit Geometry(Graphics::Device* device) : device(device) {}
    Geometry(const Geometry&) = delete;
    Geometry& operator=(const Geometry&) = delete;

    // On the geometry's device: the index buffer, the input layout and every vertex buffer,
    // then one indexed draw per submesh. The render state must already be current (the effect
    // that calls Draw has begun it).
    void Draw() override;

    Graphics::Device* GetDevice() const { return device; }

    // Adds a reference to the buffer and returns its stream.
    int AddVertexBuffer(Graphics::VertexBuffer* buffer);
    int GetVertexBufferCount() const { return vertexBuffers.Count(); }
    Graphics::VertexBuffer* GetVertexBuffer(int index) const { return vertexBuffers[index].Get(); }

    int AddSubMesh(const SubMesh& subMesh) { return subMeshes.Add(subMesh); }
    int GetSubMeshCount() const { return subMeshes.Count(); }
    SubMesh GetSubMesh(int index) const { return subMeshes[index]; }

    // The setters add a reference to the new object and release the old one.
    void SetInputLayout(Graphics::InputLayout* layout);
    Graphics::InputLayout* GetInputLayout() const { return inputLayout.Get(); }
    void SetIndexBuffer(Graphics::IndexBuffer* buffer);
    Graphics::IndexBuffer* GetIndexBuffer() const { return indexBuffer.Get(); }

    void SetVertexCount(int count) { vertexCount = count; }
    int GetVertexCount() const { return vertexCount; }
    void SetIndexCount(int count) { indexCount = count; }
    int GetIndexCount() const { return indexCount; }

    void AddScale(float scale) { scales.Add(scale); }
    int GetScaleCount() const { return scales.Count(); }
    float GetScale(int index) const { return scales[index]; }
    void AddBias(float bias) { biases.Add(bias); }
    int GetBiasCount() const { return biases.Count(); }
    float GetBias(int index) const { return biases[index]; }

    // The components of the first layout element of the semantic at the vertex, as floats in
    // out. Throws "Geometry::GetVertexAttribute(): the requested attribute does not exist in the
    // geometry." when no element has the semantic, and when the vertex is not below the vertex
    // count.
    void GetVertexAttribute(int vertex, int semantic, float* out);
    // Index i of the index buffer; throws when i is not below the index count.
    int GetIndex(int i);
    // Componentwise least and greatest values of the semantic's element over every vertex; a
    // geometry without vertices gives zeros for both. Throws
    // "Geometry::CalcBoundingValues(): the requested attribute does not exist in the
    // geometry." when no element has the semantic.
    void CalcBoundingValues(int semantic, float* min, float* max);
    // A new mesh of stride 1 with one attribute per layout element (every vertex read back),
    // the indices and the submeshes.
    Mesh* CreateMesh();

private:
    int GetElements(Graphics::InputElement* elements);
    bool FindElement(int semantic, Graphics::InputElement& found);
    // Converts the element's components of `count` vertices from `first` on into out, under one
    // lock of its vertex buffer.
    void ReadElement(const Graphics::InputElement& element, int first, int count, float* out,
                     const char* caller);
    // Indices first to first + count - 1 into out, under one lock of the index buffer.
    void ReadIndices(int first, int count, int* out, const char* caller);

    Graphics::Device* device;
    Array<Managed<Graphics::VertexBuffer>> vertexBuffers;
    Array<SubMesh> subMeshes;
    Managed<Graphics::InputLayout> inputLayout;
    Managed<Graphics::IndexBuffer> indexBuffer;
    int32_t vertexCount = 0;
    int32_t indexCount = 0;
    Array<float> scales;
    Array<float> biases;
};

}  // namespace Nimbrel::Utils
