#pragma once
// The immutable state objects. They are opaque handles made by the device from a descriptor
// (Device::Create...State); equal descriptors give the identical object.

#include "core/Object.h"

namespace Nimbrel::Graphics {

class SamplerState : public Object {
public:
    ~SamplerState() override = default;
};

class BlendState : public Object {
public:
    ~BlendState() override = default;
};

class DepthStencilState : public Object {
public:
    ~DepthStencilState() override = default;
};

class RasterizerState : public Object {
public:
    ~RasterizerState() override = default;
};

}  // namespace Nimbrel::Graphics
