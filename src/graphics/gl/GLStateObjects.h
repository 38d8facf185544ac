#pragma once
// The blend, depth-stencil and rasterizer state objects of the GL device: a copy of the
// descriptor and the OpenGL codes translated from it when the object is made, so that an
// invalid enumeration fails at creation and applying the state is plain calls. Made and cached
// by the device (GLDevice::Create...State).

#include "graphics/StateDescriptors.h"
#include "graphics/StateObjects.h"

namespace Nimbrel::Graphics {

// Translations shared by the GL backend. Each throws the enumeration's message for a value out
// of range ("Invalid blend operand enum", "Invalid compare function enum", ...).
namespace GLTranslate {
unsigned int BlendOperandCode(BlendOperand operand);
unsigned int CompareFunctionCode(CompareFunction function);
unsigned int StencilOperationCode(StencilOperation operation);
unsigned int PrimitiveTypeCode(PrimitiveType type);
unsigned int TextureFaceCode(TextureFace face);
unsigned int DataTypeCode(DataType type);
}  // namespace GLTranslate

class GLBlendState : public BlendState {
public:
    explicit GLBlendState(const BlendStateDescriptor& descriptor);

    const BlendStateDescriptor descriptor;
    const unsigned int src;
    const unsigned int dest;
    const unsigned int srcAlpha;
    const unsigned int destAlpha;
};

class GLDepthStencilState : public DepthStencilState {
public:
    explicit GLDepthStencilState(const DepthStencilStateDescriptor& descriptor);

    const DepthStencilStateDescriptor descriptor;
    const unsigned int depthFunc;
    const unsigned int stencilFunc;
    const unsigned int stencilFail;
    const unsigned int stencilDepthFail;
    const unsigned int stencilPass;
};

class GLRasterizerState : public RasterizerState {
public:
    // Throws "Invalid cull mode enum" for a cull mode out of range.
    explicit GLRasterizerState(const RasterizerStateDescriptor& descriptor);

    const RasterizerStateDescriptor descriptor;
};

}  // namespace Nimbrel::Graphics
