#pragma once
// InputLayout: how vertex attributes are fetched from the vertex buffers of the device's
// streams. At most 16 elements.

#include "core/Object.h"
#include "graphics/InputElement.h"

namespace Nimbrel::Graphics {

class InputLayout : public Object {
public:
    ~InputLayout() override = default;
    // Copies min(maxCount, element count) elements to out and returns how many.
    virtual int GetElements(int maxCount, InputElement* out) = 0;
};

}  // namespace Nimbrel::Graphics
