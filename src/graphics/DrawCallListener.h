#pragma once
// DrawCallListener: told at the start of every Draw and DrawIndexed, in registration order.
// A hook for tools that count or trace draw calls.

#include "core/Object.h"

namespace Nimbrel::Graphics {

class DrawCallListener : public Object {
public:
    ~DrawCallListener() override = default;
    virtual void OnDrawCall() = 0;
};

}  // namespace Nimbrel::Graphics
