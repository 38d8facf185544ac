#include "utils/loaders/collada/MeshAssembly.h"

#include "core/Exception.h"
#include "graphics/VertexSemantics.h"

#include <algorithm>
#include <cstring>

namespace Nimbrel::Utils::Loaders::COLLADA {

namespace collada_mesh_detail {

bool SameInputs(const Array<MeshAssembly::Input>& a, const Array<MeshAssembly::Input>& b)
{
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i)
        if (!(a[i].semantic == b[i].semantic) || !(a[i].source == b[i].source) || a[i].offset != b[i].offset ||
            a[i].set != b[i].set)
            return false;
    return true;
}

}  // namespace collada_mesh_detail

int MeshAssembly::EngineSemantic(const String& semantic, int set)
{
    if (semantic == "POSITION" || semantic == "VERTEX")
        return Graphics::SemanticPosition;
    if (semantic == "NORMAL")
        return Graphics::SemanticNormal;
    if (semantic == "COLOR")
        return Graphics::SemanticColor;
    if (semantic == "TEXCOORD")
        return Graphics::SemanticTexCoord0 + set;
    if (semantic.Length() == 9 && semantic.StartsWith("TEXCOORD") && semantic[8] >= '0' && semantic[8] <= '7')
        return Graphics::SemanticTexCoord0 + (semantic[8] - '0');
    if (semantic == "TEXTANGENT")
        return Graphics::SemanticTangent;
    if (semantic == "TEXBINORMAL")
        return Graphics::SemanticBinormal;
    return -1;
}

void MeshAssembly::SetVertexInputs(const String& id, const Array<Input>& inputs)
{
    verticesId = id;
    vertexInputs = inputs;
}

int MeshAssembly::Begin(const Array<Input>& inputs)
{
    int largestOffset = 0;
    for (const Input& input : inputs) {
        if (input.offset < 0)
            throw Exception(String::Format("Input offset %d is negative", input.offset));
        if (input.set < 0 || (input.semantic == "TEXCOORD" && input.set >= 8))
            throw Exception(String::Format("Input set %d is outside 0 to 7", input.set));
        largestOffset = std::max(largestOffset, input.offset);
    }
    if (largestOffset >= 64)
        throw Exception(String::Format("Input offset %d is too large", largestOffset));
    if (begun) {
        if (!collada_mesh_detail::SameInputs(inputs, firstInputs))
            throw Exception("Primitives of one mesh use different inputs");
        return stride;
    }
    begun = true;
    firstInputs = inputs;
    stride = largestOffset + 1;
    mesh->SetIndexStride(stride);
    for (const Input& input : inputs) {
        if (input.semantic == "VERTEX") {
            if (!(LocalId(input.source) == verticesId))
                throw Exception("Unknown vertices '" + input.source + "'");
            for (const Input& vertexInput : vertexInputs)
                AddAttribute(vertexInput, input.offset);
        } else {
            AddAttribute(input, input.offset);
        }
    }
    return stride;
}

void MeshAssembly::AddAttribute(const Input& input, int offset)
{
    String id = LocalId(input.source);
    const Source* source = document.sources.Find(id);
    if (!source)
        throw Exception("Unknown source '" + input.source + "'");
    if (source->stride < 1 || source->stride > 4)
        throw Exception(String::Format("Source '%s' has a stride of %d, outside 1 to 4", id.CStr(), source->stride));
    const int64_t span = int64_t(source->offset) + int64_t(source->count) * source->stride;
    if (span > source->floats.Count())
        throw Exception("Source '" + id + "' holds fewer numbers than its accessor reads");
    checks.push_back(Checked{offset, source});

    int semantic = EngineSemantic(input.semantic, input.set);
    if (semantic < 0)
        return;
    if (usedSemantics & (1u << semantic)) {
        notes.Add("input " + input.semantic + " from '" + id + "' ignored: its semantic is taken");
        return;
    }
    usedSemantics |= 1u << semantic;
    Managed<Mesh::Attribute> attribute(new Mesh::Attribute(semantic, offset, source->stride));
    const int n = source->count * source->stride;
    attribute->values.SetSize(n);
    if (n > 0)
        std::memcpy(attribute->values.Data(), source->floats.Data() + source->offset, size_t(n) * sizeof(float));
    mesh->AddAttribute(attribute.Get());
}

void MeshAssembly::CheckCorner(const int* corner)
{
    for (const Checked& check : checks) {
        int index = corner[check.offset];
        if (index < 0 || index >= check.source->count)
            throw Exception(String::Format("Index %d is outside the %d items of source '%s'", index,
                                           check.source->count, check.source->id.CStr()));
    }
    for (int i = 0; i < stride; ++i) {
        smallest = std::min(smallest, uint32_t(corner[i]));
        largest = std::max(largest, uint32_t(corner[i]));
    }
}

void MeshAssembly::AddTriangle(const int* a, const int* b, const int* c)
{
    if (triangleCount >= INT32_MAX / 3 / stride - 1)
        throw Exception("Mesh has too many triangles");
    for (const int* corner : {a, b, c}) {
        CheckCorner(corner);
        indices.insert(indices.end(), corner, corner + stride);
    }
    ++triangleCount;
}

void MeshAssembly::AddFan(const int* corners, int cornerCount)
{
    for (int i = 1; i + 1 < cornerCount; ++i)
        AddTriangle(corners, corners + i * stride, corners + (i + 1) * stride);
}

void MeshAssembly::AddStrip(const int* corners, int cornerCount)
{
    for (int i = 0; i + 2 < cornerCount; ++i) {
        const int* first = corners + i * stride;
        const int* second = first + stride;
        if (i % 2 == 0)
            AddTriangle(first, second, second + stride);
        else
            AddTriangle(second, first, second + stride);
    }
}

void MeshAssembly::Finish()
{
    if (triangleCount == 0)
        return;
    mesh->SetIndexCount(int(indices.size()));
    for (size_t i = 0; i < indices.size(); ++i)
        mesh->SetIndex(int(i), indices[i]);
    mesh->AddSubMesh(SubMesh{0, 3 * triangleCount, int32_t(smallest), int32_t(largest), Graphics::PrimitiveTriangles});
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
