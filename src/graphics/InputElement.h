#pragma once
// InputElement: one vertex attribute of an input layout. The semantic index is also the
// generic vertex attribute the shaders read it from.

#include "graphics/Enumerations.h"

#include <cstdint>

namespace Nimbrel::Graphics {

struct InputElement {
    int32_t semantic = 0;     // 0 to 15, see VertexSemantic
    int32_t stream = 0;       // vertex stream 0 to 15 whose buffer supplies the data
    int32_t components = 0;   // 1 to 4
    int32_t offset = 0;       // bytes from the start of one vertex
    int32_t type = DataTypeFloat;  // a DataType
    int32_t normalized = 0;   // lowest byte significant: integers map to 0..1 or -1..1

    bool IsNormalized() const { return (normalized & 0xff) != 0; }
};

}  // namespace Nimbrel::Graphics
