#include "graphics/Device.h"

#include "core/Exception.h"

namespace Nimbrel::Graphics {

bool Device::SupportsShadingLanguage(ShadingLanguage)
{
    throw Exception("Device::SupportsShadingLanguage(): Not available on this device");
}

Surface* Device::GetBackBuffer()
{
    throw Exception("Device::GetBackBuffer(): Not available on this device");
}

VertexBuffer* Device::CreateVertexBuffer(BufferMode, int, int)
{
    throw Exception("Device::CreateVertexBuffer(): Not available on this device");
}

IndexBuffer* Device::CreateIndexBuffer(BufferMode, int, int)
{
    throw Exception("Device::CreateIndexBuffer(): Not available on this device");
}

Surface* Device::CreateSurface(int, int, PixelFormat, int)
{
    throw Exception("Device::CreateSurface(): Not available on this device");
}

Texture2D* Device::CreateTexture2D(int, int, PixelFormat, bool)
{
    throw Exception("Device::CreateTexture2D(): Not available on this device");
}

Texture* Device::CreateTexture3D(int, int, int, PixelFormat, bool)
{
    throw Exception("Device::CreateTexture3D(): Not available on this device");
}

TextureCube* Device::CreateTextureCube(int, PixelFormat, bool)
{
    throw Exception("Device::CreateTextureCube(): Not available on this device");
}

Shader* Device::CreateShader(ShaderType, bool, const char*, const char*, const char*)
{
    throw Exception("Device::CreateShader(): Not available on this device");
}

Program* Device::CreateProgram(Shader*, Shader*, Shader*)
{
    throw Exception("Device::CreateProgram(): Not available on this device");
}

Program* Device::CreateProgram(Shader*, Shader*)
{
    throw Exception("Device::CreateProgram(): Not available on this device");
}

BlendState* Device::CreateBlendState(const BlendStateDescriptor&)
{
    throw Exception("Device::CreateBlendState(): Not available on this device");
}

DepthStencilState* Device::CreateDepthStencilState(const DepthStencilStateDescriptor&)
{
    throw Exception("Device::CreateDepthStencilState(): Not available on this device");
}

RasterizerState* Device::CreateRasterizerState(const RasterizerStateDescriptor&)
{
    throw Exception("Device::CreateRasterizerState(): Not available on this device");
}

InputLayout* Device::CreateInputLayout(const InputElement*, int)
{
    throw Exception("Device::CreateInputLayout(): Not available on this device");
}

SemanticMap* Device::CreateSemanticMap(const String*)
{
    throw Exception("Device::CreateSemanticMap(): Not available on this device");
}

SamplerState* Device::CreateSamplerState(const SamplerStateDescriptor&)
{
    throw Exception("Device::CreateSamplerState(): Not available on this device");
}

void Device::SetViewports(int, const Rect*)
{
    throw Exception("Device::SetViewports(): Not available on this device");
}

void Device::SetScissorRects(int, const Rect*)
{
    throw Exception("Device::SetScissorRects(): Not available on this device");
}

void Device::SetBlendState(BlendState*)
{
    throw Exception("Device::SetBlendState(): Not available on this device");
}

void Device::SetDepthStencilState(DepthStencilState*)
{
    throw Exception("Device::SetDepthStencilState(): Not available on this device");
}

void Device::SetRasterizerState(RasterizerState*)
{
    throw Exception("Device::SetRasterizerState(): Not available on this device");
}

void Device::SetInputLayout(InputLayout*)
{
    throw Exception("Device::SetInputLayout(): Not available on this device");
}

void Device::SetSemanticMap(SemanticMap*)
{
    throw Exception("Device::SetSemanticMap(): Not available on this device");
}

void Device::SetVertexBuffer(int, VertexBuffer*)
{
    throw Exception("Device::SetVertexBuffer(): Not available on this device");
}

void Device::SetIndexBuffer(IndexBuffer*)
{
    throw Exception("Device::SetIndexBuffer(): Not available on this device");
}

void Device::SetPrimitiveType(PrimitiveType)
{
    throw Exception("Device::SetPrimitiveType(): Not available on this device");
}

void Device::SetProgram(Program*)
{
    throw Exception("Device::SetProgram(): Not available on this device");
}

void Device::SetFramebuffer(int, Surface* const*, Surface*)
{
    throw Exception("Device::SetFramebuffer(): Not available on this device");
}

int Device::GetViewports(int, Rect*)
{
    throw Exception("Device::GetViewports(): Not available on this device");
}

int Device::GetScissorRects(int, Rect*)
{
    throw Exception("Device::GetScissorRects(): Not available on this device");
}

BlendState* Device::GetBlendState()
{
    throw Exception("Device::GetBlendState(): Not available on this device");
}

DepthStencilState* Device::GetDepthStencilState()
{
    throw Exception("Device::GetDepthStencilState(): Not available on this device");
}

RasterizerState* Device::GetRasterizerState()
{
    throw Exception("Device::GetRasterizerState(): Not available on this device");
}

InputLayout* Device::GetInputLayout()
{
    throw Exception("Device::GetInputLayout(): Not available on this device");
}

SemanticMap* Device::GetSemanticMap()
{
    throw Exception("Device::GetSemanticMap(): Not available on this device");
}

VertexBuffer* Device::GetVertexBuffer(int)
{
    throw Exception("Device::GetVertexBuffer(): Not available on this device");
}

IndexBuffer* Device::GetIndexBuffer()
{
    throw Exception("Device::GetIndexBuffer(): Not available on this device");
}

PrimitiveType Device::GetPrimitiveType()
{
    throw Exception("Device::GetPrimitiveType(): Not available on this device");
}

Program* Device::GetProgram()
{
    throw Exception("Device::GetProgram(): Not available on this device");
}

Surface* Device::GetColorTarget(int)
{
    throw Exception("Device::GetColorTarget(): Not available on this device");
}

int Device::GetColorTargetCount()
{
    throw Exception("Device::GetColorTargetCount(): Not available on this device");
}

Surface* Device::GetDepthStencilTarget()
{
    throw Exception("Device::GetDepthStencilTarget(): Not available on this device");
}

void Device::Draw(int, int)
{
    throw Exception("Device::Draw(): Not available on this device");
}

void Device::DrawIndexed(int, int, int, int)
{
    throw Exception("Device::DrawIndexed(): Not available on this device");
}

int Device::AddDrawCallListener(DrawCallListener*)
{
    throw Exception("Device::AddDrawCallListener(): Not available on this device");
}

void Device::RemoveDrawCallListener(DrawCallListener*)
{
    throw Exception("Device::RemoveDrawCallListener(): Not available on this device");
}

}  // namespace Nimbrel::Graphics
