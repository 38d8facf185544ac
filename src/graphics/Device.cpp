#include "graphics/Device.h"

#include "core/Exception.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace Nimbrel::Graphics {

bool Device::SupportsShadingLanguage(ShadingLanguage language)
{
    throw Exception("Device::SupportsShadingLanguage(): Not available on this device");
}

Surface* Device::GetBackBuffer()
{
    throw Exception("Device::GetBackBuffer(): Not available on this device");
}

VertexBuffer* Device::CreateVertexBuffer(BufferMode mode, int size, int stride)
{
    throw Exception("Device::CreateVertexBuffer(): Not available on this device");
}

IndexBuffer* Device::CreateIndexBuffer(BufferMode mode, int size, int indexSize)
{
    throw Exception("Device::CreateIndexBuffer(): Not available on this device");
}

Surface* Device::CreateSurface(int width, int height, PixelFormat format, int samples)
{
    throw Exception("Device::CreateSurface(): Not available on this device");
}

Texture2D* Device::CreateTexture2D(int width, int height, PixelFormat format, bool renderable)
{
    throw Exception("Device::CreateTexture2D(): Not available on this device");
}

Texture* Device::CreateTexture3D(int width, int height, int depth, PixelFormat format, bool renderable)
{
    throw Exception("Device::CreateTexture3D(): Not available on this device");
}

TextureCube* Device::CreateTextureCube(int size, PixelFormat format, bool renderable)
{
    throw Exception("Device::CreateTextureCube(): Not available on this device");
}

Shader* Device::CreateShader(ShaderType type, bool precompiled, const char* entryPoint, const char* reserved, const char* source)
{
    throw Exception("Device::CreateShader(): Not available on this device");
}

Program* Device::CreateProgram(Shader* vertex, Shader* pixel, Shader* geometry)
{
    throw Exception("Device::CreateProgram(): Not available on this device");
}

Program* Device::CreateProgram(Shader* vertex, Shader* pixel)
{
    throw Exception("Device::CreateProgram(): Not available on this device");
}

BlendState* Device::CreateBlendState(const BlendStateDescriptor& descriptor)
{
    throw Exception("Device::CreateBlendState(): Not available on this device");
}

DepthStencilState* Device::CreateDepthStencilState(const DepthStencilStateDescriptor& descriptor)
{
    throw Exception("Device::CreateDepthStencilState(): Not available on this device");
}

RasterizerState* Device::CreateRasterizerState(const RasterizerStateDescriptor& descriptor)
{
    throw Exception("Device::CreateRasterizerState(): Not available on this device");
}

InputLayout* Device::CreateInputLayout(const InputElement* elements, int count)
{
    throw Exception("Device::CreateInputLayout(): Not available on this device");
}

SemanticMap* Device::CreateSemanticMap(const String* names)
{
    throw Exception("Device::CreateSemanticMap(): Not available on this device");
}

SamplerState* Device::CreateSamplerState(const SamplerStateDescriptor& descriptor)
{
    throw Exception("Device::CreateSamplerState(): Not available on this device");
}

void Device::SetViewports(int count, const Rect* rects)
{
    throw Exception("Device::SetViewports(): Not available on this device");
}

void Device::SetScissorRects(int count, const Rect* rects)
{
    throw Exception("Device::SetScissorRects(): Not available on this device");
}

void Device::SetBlendState(BlendState* state)
{
    throw Exception("Device::SetBlendState(): Not available on this device");
}

void Device::SetDepthStencilState(DepthStencilState* state)
{
    throw Exception("Device::SetDepthStencilState(): Not available on this device");
}

void Device::SetRasterizerState(RasterizerState* state)
{
    throw Exception("Device::SetRasterizerState(): Not available on this device");
}

void Device::SetInputLayout(InputLayout* layout)
{
    throw Exception("Device::SetInputLayout(): Not available on this device");
}

void Device::SetSemanticMap(SemanticMap* map)
{
    throw Exception("Device::SetSemanticMap(): Not available on this device");
}

void Device::SetVertexBuffer(int stream, VertexBuffer* buffer)
{
    throw Exception("Device::SetVertexBuffer(): Not available on this device");
}

void Device::SetIndexBuffer(IndexBuffer* buffer)
{
    throw Exception("Device::SetIndexBuffer(): Not available on this device");
}

void Device::SetPrimitiveType(PrimitiveType type)
{
    throw Exception("Device::SetPrimitiveType(): Not available on this device");
}

void Device::SetProgram(Program* program)
{
    throw Exception("Device::SetProgram(): Not available on this device");
}

void Device::SetFramebuffer(int count, Surface* const* colors, Surface* depthStencil)
{
    throw Exception("Device::SetFramebuffer(): Not available on this device");
}

int Device::GetViewports(int count, Rect* out)
{
    throw Exception("Device::GetViewports(): Not available on this device");
}

int Device::GetScissorRects(int count, Rect* out)
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

VertexBuffer* Device::GetVertexBuffer(int stream)
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

Surface* Device::GetColorTarget(int index)
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

void Device::Draw(int first, int count)
{
    throw Exception("Device::Draw(): Not available on this device");
}

void Device::DrawIndexed(int first, int count, int minVertex, int maxVertex)
{
    throw Exception("Device::DrawIndexed(): Not available on this device");
}

int Device::AddDrawCallListener(DrawCallListener* listener)
{
    throw Exception("Device::AddDrawCallListener(): Not available on this device");
}

void Device::RemoveDrawCallListener(DrawCallListener* listener)
{
    throw Exception("Device::RemoveDrawCallListener(): Not available on this device");
}

}  // namespace Nimbrel::Graphics
