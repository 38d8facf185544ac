#pragma once
// SemanticMap: ties the 16 vertex semantic indices to the names shader source uses for them
// (index = semantic index). Opaque; made by Device::CreateSemanticMap from 16 names.

#include "core/Object.h"

namespace Nimbrel::Graphics {

class SemanticMap : public Object {
public:
    ~SemanticMap() override = default;
};

}  // namespace Nimbrel::Graphics
