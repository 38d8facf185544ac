#include "support/FakeDevice.h"

#include "core/Exception.h"

#include <algorithm>

namespace Nimbrel::Testing {

using namespace Graphics;

FakeDevice::FakeDevice(int width, int height) : backBuffer(new FakeSurface(width, height))
{
    viewport = scissor = Rect{0, 0, width, height};
}

FakeProgram* FakeDevice::MakeProgram(const char* declarations)
{
    return new FakeProgram(FakeShader::ParseUniforms(declarations), &log, &recording);
}

int FakeDevice::StateObjectCount() const
{
    return static_cast<int>(samplerStates.size() + blendStates.size() + depthStencilStates.size() +
                            rasterizerStates.size());
}

void FakeDevice::Clear(int flags, float r, float g, float b, float a, float depth, int stencil)
{
    Log("Clear");
    clears.push_back({flags, r, g, b, a, depth, stencil});
}

bool FakeDevice::Present()
{
    Log("Present");
    ++presentCount;
    if (onPresent)
        onPresent();
    return presentResult;
}

bool FakeDevice::SupportsShadingLanguage(ShadingLanguage language)
{
    Log("SupportsShadingLanguage");
    return language == ShadingLanguageCg;
}

bool FakeDevice::IsScreenSpaceConformant()
{
    Log("IsScreenSpaceConformant");
    return screenSpaceConformant;
}

bool FakeDevice::UsesGLDepthRange()
{
    Log("UsesGLDepthRange");
    return glDepthRange;
}

VertexBuffer* FakeDevice::CreateVertexBuffer(BufferMode mode, int size, int stride)
{
    Log("CreateVertexBuffer");
    modes.push_back(mode);
    return new FakeVertexBuffer(size, stride);
}

IndexBuffer* FakeDevice::CreateIndexBuffer(BufferMode mode, int size, int indexSize)
{
    Log("CreateIndexBuffer");
    modes.push_back(mode);
    return new FakeIndexBuffer(size, indexSize);
}

Surface* FakeDevice::CreateSurface(int width, int height, PixelFormat format, int samples)
{
    Log("CreateSurface");
    return new FakeSurface(width, height, format, samples);
}

Texture2D* FakeDevice::CreateTexture2D(int width, int height, PixelFormat format, bool renderable)
{
    Log("CreateTexture2D");
    return new FakeTexture2D(width, height, format, renderable);
}

Texture* FakeDevice::CreateTexture3D(int, int, int, PixelFormat, bool)
{
    throw Exception("This backend does not support 3d textures");
}

TextureCube* FakeDevice::CreateTextureCube(int size, PixelFormat format, bool renderable)
{
    Log("CreateTextureCube");
    return new FakeTextureCube(size, format, renderable);
}

Shader* FakeDevice::CreateShader(ShaderType type, bool, const char* entryPoint, const char*, const char* source)
{
    Log("CreateShader");
    if (type == ShaderTypeGeometry && !geometryShaders)
        throw Exception("FakeDevice: no geometry shaders");
    return new FakeShader(type, entryPoint ? entryPoint : "", FakeShader::ParseUniforms(source));
}

Program* FakeDevice::CreateProgram(Shader* vertex, Shader* pixel, Shader* geometry)
{
    if (geometry && !geometryShaders)
        throw Exception("This implementation does not support geometry shaders");
    if (geometry)
        Log("CreateProgram(geometry)");
    return CreateProgram(vertex, pixel);
}

Program* FakeDevice::CreateProgram(Shader* vertex, Shader* pixel)
{
    Log("CreateProgram");
    std::vector<FakeUniform> uniforms;
    for (Shader* shader : {vertex, pixel})
        if (auto* fake = dynamic_cast<FakeShader*>(shader))
            uniforms.insert(uniforms.end(), fake->uniforms.begin(), fake->uniforms.end());
    return new FakeProgram(uniforms, &log, &recording);
}

BlendState* FakeDevice::CreateBlendState(const BlendStateDescriptor& descriptor)
{
    Log("CreateBlendState");
    return Cached(blendStates, descriptor);
}

DepthStencilState* FakeDevice::CreateDepthStencilState(const DepthStencilStateDescriptor& descriptor)
{
    Log("CreateDepthStencilState");
    return Cached(depthStencilStates, descriptor);
}

RasterizerState* FakeDevice::CreateRasterizerState(const RasterizerStateDescriptor& descriptor)
{
    Log("CreateRasterizerState");
    return Cached(rasterizerStates, descriptor);
}

InputLayout* FakeDevice::CreateInputLayout(const InputElement* elements, int count)
{
    Log("CreateInputLayout");
    if (count < 0 || count > 16)
        throw Exception("FakeDevice::CreateInputLayout(): at most 16 elements");
    return new FakeInputLayout(elements, count);
}

SemanticMap* FakeDevice::CreateSemanticMap(const String* names)
{
    Log("CreateSemanticMap");
    return new FakeSemanticMap(names);
}

SamplerState* FakeDevice::CreateSamplerState(const SamplerStateDescriptor& descriptor)
{
    Log("CreateSamplerState");
    return Cached(samplerStates, descriptor);
}

void FakeDevice::SetViewports(int count, const Rect* rects)
{
    Log("SetViewports");
    if (count > 0)
        viewport = rects[0];
}

void FakeDevice::SetScissorRects(int count, const Rect* rects)
{
    Log("SetScissorRects");
    if (count > 0)
        scissor = rects[0];
}

void FakeDevice::SetBlendState(BlendState* state)
{
    Log("SetBlendState");
    blendState = state;
}

void FakeDevice::SetDepthStencilState(DepthStencilState* state)
{
    Log("SetDepthStencilState");
    depthStencilState = state;
}

void FakeDevice::SetRasterizerState(RasterizerState* state)
{
    Log("SetRasterizerState");
    rasterizerState = state;
}

void FakeDevice::SetInputLayout(InputLayout* layout)
{
    Log("SetInputLayout");
    inputLayout = layout;
}

void FakeDevice::SetSemanticMap(SemanticMap* map)
{
    Log("SetSemanticMap");
    semanticMap = map;
}

void FakeDevice::SetVertexBuffer(int stream, VertexBuffer* buffer)
{
    Log("SetVertexBuffer");
    if (stream < 0 || stream > 15)
        throw Exception("FakeDevice::SetVertexBuffer(): stream out of range");
    vertexBuffers[static_cast<size_t>(stream)] = buffer;
}

void FakeDevice::SetIndexBuffer(IndexBuffer* buffer)
{
    Log("SetIndexBuffer");
    indexBuffer = buffer;
}

void FakeDevice::SetPrimitiveType(PrimitiveType type)
{
    Log("SetPrimitiveType");
    primitiveType = type;
}

void FakeDevice::SetProgram(Program* newProgram)
{
    Log("SetProgram");
    program = newProgram;
}

void FakeDevice::SetFramebuffer(int count, Surface* const* colors, Surface* depthStencil)
{
    Log("SetFramebuffer");
    if (count < 0 || count > 16)
        throw Exception("FakeDevice::SetFramebuffer(): 0 to 16 colour targets");
    colorCount = count;
    for (int i = 0; i < count; ++i)
        colorTargets[static_cast<size_t>(i)] = colors[i];
    depthStencilTarget = depthStencil;
    Surface* sized = count > 0 ? colors[0] : depthStencil;
    if (!sized || (count == 1 && colors[0] == backBuffer.Get()))
        sized = backBuffer.Get();
    viewport = Rect{0, 0, sized->GetWidth(), sized->GetHeight()};
}

int FakeDevice::GetViewports(int count, Rect* out)
{
    Log("GetViewports");
    if (count > 0)
        out[0] = viewport;
    return 1;
}

int FakeDevice::GetScissorRects(int count, Rect* out)
{
    Log("GetScissorRects");
    if (count > 0)
        out[0] = scissor;
    return 1;
}

VertexBuffer* FakeDevice::GetVertexBuffer(int stream)
{
    if (stream < 0 || stream > 15)
        throw Exception("FakeDevice::GetVertexBuffer(): stream out of range");
    return vertexBuffers[static_cast<size_t>(stream)];
}

Surface* FakeDevice::GetColorTarget(int index)
{
    Log("GetColorTarget");
    if (index < 0 || index >= colorCount)
        return nullptr;
    return colorTargets[static_cast<size_t>(index)];
}

int FakeDevice::GetColorTargetCount()
{
    Log("GetColorTargetCount");
    return colorCount;
}

void FakeDevice::Draw(int first, int count)
{
    Notify();
    Log("Draw");
    draws.push_back({false, first, count, 0, 0});
}

void FakeDevice::DrawIndexed(int first, int count, int minVertex, int maxVertex)
{
    Notify();
    Log("DrawIndexed");
    draws.push_back({true, first, count, minVertex, maxVertex});
}

int FakeDevice::AddDrawCallListener(DrawCallListener* listener)
{
    listeners.push_back(listener);
    return static_cast<int>(listeners.size());
}

void FakeDevice::RemoveDrawCallListener(DrawCallListener* listener)
{
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

void FakeDevice::Log(const char* call)
{
    if (!failAt.empty() && failAt == call)
        throw Exception(("FakeDevice: " + failAt + " failed").c_str());
    if (recording)
        log.emplace_back(call);
}

void FakeDevice::Notify()
{
    for (DrawCallListener* listener : listeners)
        listener->OnDrawCall();
}

Device* FakeDeviceFactory::CreateDevice(Window* window, DepthStencilFormat format, int samples, int flags)
{
    requests.push_back({window, window ? window->GetWidth() : 0, window ? window->GetHeight() : 0,
                        static_cast<int>(format), samples, flags});
    if (!failWith.empty())
        throw Exception(failWith.c_str());
    lastDevice = new FakeDevice();
    return lastDevice;
}

}  // namespace Nimbrel::Testing
