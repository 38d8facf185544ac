#pragma once
// The four state descriptors: plain values with defaults, equality and a strict weak ordering.
// The device caches its state objects by descriptor, so equal descriptors give the identical
// state object and a state change can be detected by identity. Every field takes part in the
// ordering, including those the backend does not read.

#include "graphics/Enumerations.h"

#include <cstdint>
#include <tuple>

namespace Nimbrel::Graphics {

struct SamplerStateDescriptor {
    Filter magFilter = FilterLinear;
    Filter minFilter = FilterLinear;
    Filter mipFilter = FilterLinear;  // FilterNone: no mipmapping
    AddressMode addressU = AddressWrap;
    AddressMode addressV = AddressWrap;
    AddressMode addressW = AddressWrap;
    int32_t maxAnisotropy = 1;
    // Level-of-detail controls; no backend reads them yet.
    float lodParameter0 = 0.0f;
    float lodParameter1 = 0.0f;

    auto Key() const
    {
        return std::tie(magFilter, minFilter, mipFilter, addressU, addressV, addressW, maxAnisotropy,
                        lodParameter0, lodParameter1);
    }
    bool operator==(const SamplerStateDescriptor& other) const { return Key() == other.Key(); }
    bool operator<(const SamplerStateDescriptor& other) const { return Key() < other.Key(); }
};

// By default blending is off but the operands already give ordinary alpha blending, so turning
// on blendEnable alone is enough for it.
struct BlendStateDescriptor {
    bool blendEnable = false;
    BlendOperand srcBlend = BlendSrcAlpha;
    BlendOperand destBlend = BlendInvSrcAlpha;
    BlendOperand srcBlendAlpha = BlendSrcAlpha;
    BlendOperand destBlendAlpha = BlendInvSrcAlpha;
    bool writeRed = true;
    bool writeGreen = true;
    bool writeBlue = true;
    bool writeAlpha = true;

    // The alpha source operand is compared before the colour destination operand.
    auto Key() const
    {
        return std::make_tuple(uint8_t(blendEnable), srcBlend, srcBlendAlpha, destBlend, destBlendAlpha,
                               uint8_t(writeRed), uint8_t(writeGreen), uint8_t(writeBlue), uint8_t(writeAlpha));
    }
    bool operator==(const BlendStateDescriptor& other) const { return Key() == other.Key(); }
    bool operator<(const BlendStateDescriptor& other) const { return Key() < other.Key(); }
};

struct DepthStencilStateDescriptor {
    bool depthEnable = false;
    CompareFunction depthFunc = CompareLess;
    bool depthWriteEnable = true;
    bool stencilEnable = false;
    CompareFunction stencilFunc = CompareLess;
    int32_t stencilRef = 0;
    int32_t stencilReadMask = -1;
    int32_t stencilWriteMask = -1;
    StencilOperation stencilFail = StencilKeep;
    StencilOperation stencilDepthFail = StencilKeep;
    StencilOperation stencilPass = StencilKeep;

    auto Key() const
    {
        return std::make_tuple(uint8_t(depthEnable), depthFunc, uint8_t(depthWriteEnable), uint8_t(stencilEnable),
                               stencilFunc, stencilRef, stencilReadMask, stencilWriteMask, stencilFail,
                               stencilDepthFail, stencilPass);
    }
    bool operator==(const DepthStencilStateDescriptor& other) const { return Key() == other.Key(); }
    bool operator<(const DepthStencilStateDescriptor& other) const { return Key() < other.Key(); }
};

struct RasterizerStateDescriptor {
    float pointSize = 1.0f;
    float lineWidth = 1.0f;
    int32_t frontCounterClockwise = 1;  // non-zero: counter-clockwise triangles face front
    CullMode cullMode = CullNone;
    bool scissorEnable = false;

    auto Key() const
    {
        return std::make_tuple(pointSize, lineWidth, frontCounterClockwise, cullMode, uint8_t(scissorEnable));
    }
    bool operator==(const RasterizerStateDescriptor& other) const { return Key() == other.Key(); }
    bool operator<(const RasterizerStateDescriptor& other) const { return Key() < other.Key(); }
};

}  // namespace Nimbrel::Graphics
