#pragma once
// SubMesh: one draw range of a Geometry or a Mesh.
//
// minVertex and maxVertex bound the vertices the range's indices refer to; they are handed to
// the device with every draw, which may use them as a hint (the GL device does not). Readers
// and converters fill them as best they know: the NGM reader before version 200 writes 0 and
// the vertex count, the mesh conversion 0 and the vertex count - 1.

#include "graphics/Enumerations.h"

#include <cstdint>

namespace Nimbrel::Utils {

struct SubMesh {
    int32_t firstIndex = 0;
    int32_t indexCount = 0;
    int32_t minVertex = 0;
    int32_t maxVertex = 0;
    Graphics::PrimitiveType primitive = Graphics::PrimitiveTriangles;

    bool operator==(const SubMesh&) const = default;
};

}  // namespace Nimbrel::Utils
