#pragma once
// COLLADA::MeshAssembly: gathers the primitive elements of one COLLADA mesh into a Mesh.
//
// Each primitive element (triangles, polylist, polygons, tristrips, trifans) declares its
// inputs; the first one fixes the mesh's attributes and index stride, and every later one
// must declare the very same inputs (they are then appended to the one submesh, materials
// being bound per instance), else "Primitives of one mesh use different inputs". Triangles
// are added as groups of `stride` indices per corner; every index is checked against the
// source its input reads. Finish adds the submesh (first index 0, three indices a triangle,
// the smallest and largest index read as vertex range).
//
// Messages are thrown without an element path; the parser adds it.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/String.h"
#include "utils/Mesh.h"
#include "utils/loaders/collada/Document.h"

#include <cstdint>
#include <vector>

namespace Nimbrel::Utils::Loaders::COLLADA {

class MeshAssembly {
public:
    struct Input {
        String semantic;
        String source;
        int offset = 0;
        int set = 0;
    };

    MeshAssembly(const Document& document, Mesh* mesh) : document(document), mesh(mesh) {}

    // The inputs of the vertices element, which a VERTEX input brings in.
    void SetVertexInputs(const String& id, const Array<Input>& inputs);
    bool HasVertices() const { return verticesId.Length() > 0; }

    // Starts a primitive element with its inputs; returns the index stride (largest offset + 1).
    int Begin(const Array<Input>& inputs);
    // One triangle: three corners of `stride` indices each.
    void AddTriangle(const int* a, const int* b, const int* c);
    // Corners of `stride` indices each: a polygon cut into a fan from its first corner, a
    // strip whose odd triangles are turned to keep the winding, a fan. Fewer than three
    // corners add nothing.
    void AddFan(const int* corners, int cornerCount);
    void AddStrip(const int* corners, int cornerCount);
    int GetTriangleCount() const { return triangleCount; }
    // Inputs that Begin left out (a semantic already taken), as hints for the log.
    const Array<String>& GetNotes() const { return notes; }
    // Writes the indices and the submesh into the mesh.
    void Finish();

    // The engine semantic of a COLLADA input semantic (POSITION and VERTEX 0, NORMAL 4, COLOR 3,
    // TEXCOORD 8 + set, TEXCOORD0..7 8..15, TEXTANGENT 5, TEXBINORMAL 6), -1 for others.
    static int EngineSemantic(const String& semantic, int set);

private:
    struct Checked {
        int offset;
        const Source* source;
    };
    void AddAttribute(const Input& input, int offset);
    void CheckCorner(const int* corner);

    const Document& document;
    Mesh* mesh;
    String verticesId;
    Array<Input> vertexInputs;
    Array<Input> firstInputs;
    bool begun = false;
    int stride = 1;
    // One entry per index position of a corner that reads a source: its item count.
    std::vector<Checked> checks;
    std::vector<int> indices;
    uint32_t smallest = UINT32_MAX;
    uint32_t largest = 0;
    int triangleCount = 0;
    uint32_t usedSemantics = 0;
    Array<String> notes;
};

}  // namespace Nimbrel::Utils::Loaders::COLLADA
