#pragma once
// Shader: one compiled shader stage (opaque handle), made by Device::CreateShader and paired
// into a Program by Device::CreateProgram.

#include "core/Object.h"

namespace Nimbrel::Graphics {

class Shader : public Object {
public:
    ~Shader() override = default;
};

}  // namespace Nimbrel::Graphics
