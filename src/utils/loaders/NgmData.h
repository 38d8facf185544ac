#pragma once
// NgmData: the content of an NGM geometry file, in memory and checked.
//
// What the NGM reader makes of a file before it goes to a device, and what the NGM writer puts
// in one. The format, all little-endian, no padding; strings are a 32-bit length and that many
// bytes:
//
//     magic          6 bytes      "NGM100", "NGM101", "NGM102" or "NGM200"
//     vertex count   int32        vertices of every attribute
//     attributes     int32        count, then per attribute:
//         semantic   string       "POSITION", "NORMAL", "TEXCOORD0", "N_TANGENT", ...
//         data type  string       101 on: "float", "short"/"int16" or "byte"/"int8"
//         remap      string       101 on: "none", "normalize" or "scale_and_bias"
//         scale,bias float, float remap "scale_and_bias" only
//         components int32        1 to 4
//         data       vertex count x components values of the data type, vertex by vertex
//     primitive      string       before 200: "lines" or "triangles"
//     index type     string       101 on: "int"/"int32" or "short"/"int16" (100: 32-bit)
//     index count    int32
//     indices        index count unsigned values of the index type
//     submeshes      int32        200 only: count, then per submesh the primitive word and
//                                 firstIndex, maxVertex, indexCount, minVertex (int32 each)
//
// Before version 200 a file has one draw range over all its indices, (0, index count, 0,
// vertex count, primitive). Values are kept here in the host's byte order, as a device takes
// them.

#include "core/Array.h"
#include "core/String.h"
#include "graphics/Enumerations.h"
#include "utils/SubMesh.h"

#include <cstdint>

namespace Nimbrel::Utils::Loaders {

struct NgmAttribute {
    int32_t semantic = 0;                                // vertex semantic index, 0 to 15
    Graphics::DataType type = Graphics::DataTypeFloat;   // Float, Short or Byte
    bool normalized = false;                             // remap "normalize"
    bool scaleAndBias = false;                           // remap "scale_and_bias"
    float scale = 1.0f;
    float bias = 0.0f;
    int32_t components = 0;                              // 1 to 4
    Array<uint8_t> data;                                 // vertex count x components values
};

struct NgmData {
    int32_t version = 200;        // 100, 101, 102 or 200
    int32_t vertexCount = 0;
    Array<NgmAttribute> attributes;
    int32_t indexSize = 4;        // bytes per index, 2 or 4
    int32_t indexCount = 0;
    Array<uint8_t> indices;       // index count x index size bytes
    Array<SubMesh> subMeshes;
};

// Bytes per component of a data type a file can hold: 4 for float, 2 for short, 1 for byte;
// 0 for any other type.
int NgmComponentSize(Graphics::DataType type);

// Index i of the content's index bytes.
uint32_t GetNgmIndex(const NgmData& data, int i);

// Throws, with a message that names the fault, unless the content is what a file of its
// version can hold and the reader accepts: 0 to 16 attributes of 1 to 4 components whose
// data has the size the counts give, every index below the vertex count, every submesh a
// "lines" or "triangles" range inside the indices, and before version 200 exactly one submesh
// over all indices (version 100 also only float attributes and 32-bit indices).
void CheckNgmData(const NgmData& data);

}  // namespace Nimbrel::Utils::Loaders
