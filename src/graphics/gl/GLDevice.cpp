#include "graphics/gl/GLDevice.h"

#include "core/Exception.h"
#include "graphics/VertexSemantics.h"
#include "graphics/gl/GLBuffer.h"
#include "graphics/gl/GLInputLayout.h"
#include "graphics/gl/GLProgram.h"
#include "graphics/gl/GLSamplerState.h"
#include "graphics/gl/GLSemanticMap.h"
#include "graphics/gl/GLShadingContext.h"
#include "graphics/gl/GLStateObjects.h"
#include "graphics/gl/GLSurface.h"
#include "graphics/gl/GLTexture2D.h"
#include "graphics/gl/GLTextureCube.h"

#include <algorithm>

namespace Nimbrel::Graphics {

GLDevice* GLDevice::current = nullptr;

namespace GLDeviceDetail {

// Looks the descriptor up in a state cache and makes the state on a miss; either way the
// caller gets a reference of its own.
template <class State, class Descriptor>
State* CachedState(std::map<Descriptor, Managed<State>>& cache, const Descriptor& descriptor)
{
    auto found = cache.find(descriptor);
    if (found == cache.end())
        found = cache.emplace(descriptor, Managed<State>(new State(descriptor))).first;  // may throw: nothing is cached then
    State* state = found->second.Get();
    state->AddRef();
    return state;
}

// The shading context, or a clear error when the factory gave none.
GLShadingContext* RequireShading(GLShadingContext* context)
{
    if (!context)
        throw Exception("GLDevice: No shading context set");
    return context;
}

// The backend's object behind an interface pointer (null stays null), or the message thrown
// for an object some other backend made.
template <class Target, class Source>
Target* CheckedDowncast(Source* object, const char* message)
{
    if (!object)
        return nullptr;
    auto* target = dynamic_cast<Target*>(object);
    if (!target)
        throw Exception(message);
    return target;
}

}  // namespace GLDeviceDetail

// ---------------------------------------------------------------------------------------------
// Life cycle

GLDevice::GLDevice() = default;

GLDevice::~GLDevice()
{
    // The derived class releases the OpenGL objects while its context exists; this only makes
    // sure nothing points here any more.
    ForgetCurrent();
}

void GLDevice::MakeCurrent()
{
    if (current != this) {
        ActivateContext();
        current = this;
    }
}

void GLDevice::ForgetCurrent()
{
    if (current == this)
        current = nullptr;
}

void GLDevice::InitializeState(int width, int height)
{
    MakeCurrent();
    for (DrawCallListener*& listener : listeners)
        listener = nullptr;
    listenerCount = 0;
    std::fill(std::begin(vertexBuffers), std::end(vertexBuffers), nullptr);

    GLint maxSize = 0;
    gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    maxTextureSize = maxSize;
    framebuffers.Initialize();
    backBuffer = GLSurface::CreateBackBuffer(this, width, height);

    const Rect whole{0, 0, width, height};
    SetViewports(1, &whole);
    SetScissorRects(1, &whole);
}

void GLDevice::SetBackBufferSize(int width, int height)
{
    if (!backBuffer || (width == backBuffer->GetWidth() && height == backBuffer->GetHeight()))
        return;
    backBuffer->SetBackBufferSize(width, height);
    viewportDirty = true;
    scissorDirty = true;
}

void GLDevice::ReleaseDeviceObjects()
{
    MakeCurrent();
    currentBlend = appliedBlend = nullptr;
    currentDepthStencil = appliedDepthStencil = nullptr;
    currentRasterizer = appliedRasterizer = nullptr;
    currentSemanticMap = appliedSemanticMap = nullptr;
    currentLayout = appliedLayout = nullptr;
    currentProgram = nullptr;
    boundProgram = nullptr;
    defaultBlend.Set(nullptr);
    defaultDepthStencil.Set(nullptr);
    defaultRasterizer.Set(nullptr);
    defaultSemanticMap.Set(nullptr);
    samplerStates.clear();
    blendStates.clear();
    depthStencilStates.clear();
    rasterizerStates.clear();
    framebuffers.Release();
    if (backBuffer)
        backBuffer->Release();
    backBuffer = nullptr;
    shadingContext.reset();
}

void GLDevice::SetShadingContext(GLShadingContext* context)
{
    if (shadingContext.get() == context)
        return;
    MakeCurrent();
    shadingContext.reset(context);
    appliedSemanticMap = nullptr;
    ForgetAppliedLayout();
}

void GLDevice::InstallDefaultState()
{
    defaultBlend.Set(CreateBlendState(BlendStateDescriptor()));
    SetBlendState(defaultBlend.Get());

    DepthStencilStateDescriptor depth;
    depth.depthEnable = true;
    depth.depthFunc = CompareLess;
    depth.depthWriteEnable = true;
    depth.stencilEnable = false;
    depth.stencilFunc = CompareAlways;
    defaultDepthStencil.Set(CreateDepthStencilState(depth));
    SetDepthStencilState(defaultDepthStencil.Get());

    RasterizerStateDescriptor rasterizer;
    rasterizer.cullMode = CullBack;
    defaultRasterizer.Set(CreateRasterizerState(rasterizer));
    SetRasterizerState(defaultRasterizer.Get());

    // Without a shading context there is nothing to make a semantic map with.
    if (!shadingContext) {
        SetPrimitiveType(PrimitiveTriangles);
        return;
    }
    String names[SemanticSlotCount];
    for (int i = 0; i < SemanticSlotCount; ++i)
        names[i] = GetStandardSemanticName(i);
    defaultSemanticMap.Set(CreateSemanticMap(names));
    SetSemanticMap(defaultSemanticMap.Get());
    SetPrimitiveType(PrimitiveTriangles);
}

// ---------------------------------------------------------------------------------------------
// Queries and creation

bool GLDevice::SupportsShadingLanguage(ShadingLanguage language)
{
    return shadingContext && shadingContext->SupportsShadingLanguage(language);
}

Surface* GLDevice::GetBackBuffer()
{
    return backBuffer;
}

VertexBuffer* GLDevice::CreateVertexBuffer(BufferMode mode, int size, int stride)
{
    if (stride < 0)
        throw Exception("CreateVertexBuffer(): Negative stride");
    return new GLVertexBuffer(this, mode, size, stride);
}

IndexBuffer* GLDevice::CreateIndexBuffer(BufferMode mode, int size, int indexSize)
{
    return new GLIndexBuffer(this, mode, size, indexSize);
}

Surface* GLDevice::CreateSurface(int width, int height, PixelFormat format, int samples)
{
    return GLSurface::CreateRenderSurface(this, width, height, format, samples);
}

Texture2D* GLDevice::CreateTexture2D(int width, int height, PixelFormat format, bool renderable)
{
    return new GLTexture2D(this, width, height, format, renderable);
}

Texture* GLDevice::CreateTexture3D(int, int, int, PixelFormat, bool)
{
    throw Exception("This backend does not support 3d textures");
}

TextureCube* GLDevice::CreateTextureCube(int size, PixelFormat format, bool renderable)
{
    return new GLTextureCube(this, size, format, renderable);
}

Shader* GLDevice::CreateShader(ShaderType type, bool precompiled, const char* entryPoint, const char* reserved,
                               const char* source)
{
    return GLDeviceDetail::RequireShading(shadingContext.get())->CreateShader(type, precompiled, entryPoint, reserved, source);
}

Program* GLDevice::CreateProgram(Shader* vertex, Shader* pixel, Shader* geometry)
{
    return GLDeviceDetail::RequireShading(shadingContext.get())->CreateProgram(vertex, pixel, geometry);
}

Program* GLDevice::CreateProgram(Shader* vertex, Shader* pixel)
{
    return GLDeviceDetail::RequireShading(shadingContext.get())->CreateProgram(vertex, pixel);
}

SemanticMap* GLDevice::CreateSemanticMap(const String* names)
{
    if (!names)
        throw Exception("CreateSemanticMap(): No names given");
    return GLDeviceDetail::RequireShading(shadingContext.get())->CreateSemanticMap(names);
}

BlendState* GLDevice::CreateBlendState(const BlendStateDescriptor& descriptor)
{
    return GLDeviceDetail::CachedState(blendStates, descriptor);
}

DepthStencilState* GLDevice::CreateDepthStencilState(const DepthStencilStateDescriptor& descriptor)
{
    return GLDeviceDetail::CachedState(depthStencilStates, descriptor);
}

RasterizerState* GLDevice::CreateRasterizerState(const RasterizerStateDescriptor& descriptor)
{
    return GLDeviceDetail::CachedState(rasterizerStates, descriptor);
}

SamplerState* GLDevice::CreateSamplerState(const SamplerStateDescriptor& descriptor)
{
    return GLDeviceDetail::CachedState(samplerStates, descriptor);
}

InputLayout* GLDevice::CreateInputLayout(const InputElement* elements, int count)
{
    return new GLInputLayout(this, elements, count);
}

// ---------------------------------------------------------------------------------------------
// Setters and getters

void GLDevice::SetViewports(int count, const Rect* rects)
{
    if (count > 1)
        throw Exception("This backend does not support multiple viewports");
    if (count < 1)
        return;
    if (!rects)
        throw Exception("SetViewports(): No rectangles given");
    viewport = rects[0];
    viewportDirty = true;
}

void GLDevice::SetScissorRects(int count, const Rect* rects)
{
    if (count > 1)
        throw Exception("This backend does not support multiple scissor rectangles");
    if (count < 1)
        return;
    if (!rects)
        throw Exception("SetScissorRects(): No rectangles given");
    scissor = rects[0];
    scissorDirty = true;
}

int GLDevice::GetViewports(int count, Rect* out)
{
    if (count >= 1 && out)
        out[0] = viewport;
    return 1;
}

int GLDevice::GetScissorRects(int count, Rect* out)
{
    if (count >= 1 && out)
        out[0] = scissor;
    return 1;
}

void GLDevice::SetBlendState(BlendState* state)
{
    currentBlend = GLDeviceDetail::CheckedDowncast<GLBlendState>(
        state, "SetBlendState(): The state was not made by this backend");
}

void GLDevice::SetDepthStencilState(DepthStencilState* state)
{
    currentDepthStencil = GLDeviceDetail::CheckedDowncast<GLDepthStencilState>(
        state, "SetDepthStencilState(): The state was not made by this backend");
}

void GLDevice::SetRasterizerState(RasterizerState* state)
{
    currentRasterizer = GLDeviceDetail::CheckedDowncast<GLRasterizerState>(
        state, "SetRasterizerState(): The state was not made by this backend");
}

void GLDevice::SetInputLayout(InputLayout* layout)
{
    currentLayout = GLDeviceDetail::CheckedDowncast<GLInputLayout>(
        layout, "SetInputLayout(): The layout was not made by this backend");
}

void GLDevice::SetSemanticMap(SemanticMap* map)
{
    currentSemanticMap =
        GLDeviceDetail::CheckedDowncast<GLSemanticMap>(map, "SetSemanticMap(): The semantic map was not made by this backend");
}

BlendState* GLDevice::GetBlendState()
{
    return currentBlend;
}

DepthStencilState* GLDevice::GetDepthStencilState()
{
    return currentDepthStencil;
}

RasterizerState* GLDevice::GetRasterizerState()
{
    return currentRasterizer;
}

InputLayout* GLDevice::GetInputLayout()
{
    return currentLayout;
}

void GLDevice::SetVertexBuffer(int stream, VertexBuffer* buffer)
{
    if (stream < 0 || stream >= MaxSlots)
        throw Exception("SetVertexBuffer(): Stream index out of range");
    vertexBuffers[stream] =
        GLDeviceDetail::CheckedDowncast<GLVertexBuffer>(buffer, "SetVertexBuffer(): The buffer was not made by this backend");
    MakeCurrent();
    ForgetAppliedLayout();
}

VertexBuffer* GLDevice::GetVertexBuffer(int stream)
{
    if (stream < 0 || stream >= MaxSlots)
        throw Exception("GetVertexBuffer(): Stream index out of range");
    return vertexBuffers[stream];
}

void GLDevice::SetIndexBuffer(IndexBuffer* buffer)
{
    indexBuffer = GLDeviceDetail::CheckedDowncast<GLIndexBuffer>(
        buffer, "SetIndexBuffer(): The buffer was not made by this backend");
}

void GLDevice::SetPrimitiveType(PrimitiveType type)
{
    primitiveCode = GLTranslate::PrimitiveTypeCode(type);
    primitiveType = type;
}

void GLDevice::SetProgram(Program* program)
{
    GLProgram* glProgram = GLDeviceDetail::CheckedDowncast<GLProgram>(
        program, "SetProgram(): The program was not made by this backend");
    currentProgram = program;
    if (glProgram) {
        MakeCurrent();
        glProgram->Bind();
    }
    boundProgram = glProgram;
}

Program* GLDevice::GetProgram()
{
    return currentProgram;
}

Surface* GLDevice::GetColorTarget(int index)
{
    const FramebufferSetup& lastSet = framebuffers.GetLastSet();
    if (index < 0 || index >= lastSet.count)
        return nullptr;
    return lastSet.colors[index];
}

int GLDevice::AddDrawCallListener(DrawCallListener* listener)
{
    if (listenerCount == MaxDrawCallListeners)
        throw Exception("Too many draw call listeners");
    listeners[listenerCount++] = listener;
    return listenerCount;
}

void GLDevice::RemoveDrawCallListener(DrawCallListener* listener)
{
    for (int i = 0; i < listenerCount; ++i) {
        if (listeners[i] == listener) {
            std::copy(listeners + i + 1, listeners + listenerCount, listeners + i);
            listeners[--listenerCount] = nullptr;
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Clearing

void GLDevice::Clear(int flags, float r, float g, float b, float a, float depth, int stencil)
{
    MakeCurrent();
    // Clearing obeys the write masks and the scissor test: open what the last draw closed and
    // let the next draw apply its state again.
    if (scissorTestOn) {
        gl.Disable(GL_SCISSOR_TEST);
        scissorTestOn = false;
        appliedRasterizer = nullptr;
    }
    if ((flags & ClearColor) && !colorMaskOpen) {
        gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        colorMaskOpen = true;
        appliedBlend = nullptr;
    }
    if ((flags & ClearDepth) && !depthMaskOpen) {
        gl.DepthMask(GL_TRUE);
        depthMaskOpen = true;
        appliedDepthStencil = nullptr;
    }
    if ((flags & ClearStencil) && !stencilMaskOpen) {
        gl.StencilMask(~0u);
        stencilMaskOpen = true;
        appliedDepthStencil = nullptr;
    }
    gl.ClearColor(r, g, b, a);
    gl.ClearStencil(stencil);
    gl.ClearDepth(depth);
    GLbitfield mask = 0;
    if (flags & ClearColor)
        mask |= GL_COLOR_BUFFER_BIT;
    if (flags & ClearDepth)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (flags & ClearStencil)
        mask |= GL_STENCIL_BUFFER_BIT;
    gl.Clear(mask);
}

void GLDevice::Flush()
{
    MakeCurrent();
    gl.Flush();
}

// ---------------------------------------------------------------------------------------------
// Drawing

int GLDevice::GetTargetHeight()
{
    const FramebufferSetup& lastSet = framebuffers.GetLastSet();
    if (lastSet.count > 0 && lastSet.colors[0])
        return lastSet.colors[0]->GetHeight();
    if (lastSet.depthStencil)
        return lastSet.depthStencil->GetHeight();
    return backBuffer->GetHeight();
}

void GLDevice::ForgetAppliedLayout()
{
    if (!appliedLayout)
        return;
    if (shadingContext)
        shadingContext->SetSemanticMap(appliedSemanticMap);
    appliedLayout->Remove();
    appliedLayout = nullptr;
}

void GLDevice::ApplyBlendState()
{
    const BlendStateDescriptor& d = currentBlend->descriptor;
    if (d.blendEnable) {
        gl.Enable(GL_BLEND);
        gl.BlendFuncSeparate(currentBlend->src, currentBlend->dest, currentBlend->srcAlpha, currentBlend->destAlpha);
    } else {
        gl.Disable(GL_BLEND);
    }
    gl.ColorMask(d.writeRed, d.writeGreen, d.writeBlue, d.writeAlpha);
    colorMaskOpen = d.writeRed && d.writeGreen && d.writeBlue && d.writeAlpha;
    appliedBlend = currentBlend;
}

void GLDevice::ApplyDepthStencilState()
{
    const DepthStencilStateDescriptor& d = currentDepthStencil->descriptor;
    if (d.depthEnable) {
        gl.Enable(GL_DEPTH_TEST);
        gl.DepthFunc(currentDepthStencil->depthFunc);
    } else {
        gl.Disable(GL_DEPTH_TEST);
    }
    gl.DepthMask(d.depthWriteEnable);
    depthMaskOpen = d.depthWriteEnable;
    if (d.stencilEnable) {
        gl.Enable(GL_STENCIL_TEST);
        gl.StencilFunc(currentDepthStencil->stencilFunc, d.stencilRef, static_cast<GLuint>(d.stencilReadMask));
        gl.StencilMask(static_cast<GLuint>(d.stencilWriteMask));
        stencilMaskOpen = static_cast<GLuint>(d.stencilWriteMask) == ~0u;
        gl.StencilOp(currentDepthStencil->stencilFail, currentDepthStencil->stencilDepthFail,
                     currentDepthStencil->stencilPass);
    } else {
        gl.Disable(GL_STENCIL_TEST);
    }
    appliedDepthStencil = currentDepthStencil;
}

void GLDevice::ApplyRasterizerState()
{
    const RasterizerStateDescriptor& d = currentRasterizer->descriptor;
    if (d.cullMode != CullNone) {
        gl.FrontFace(d.frontCounterClockwise ? GL_CCW : GL_CW);
        gl.Enable(GL_CULL_FACE);
        gl.CullFace(d.cullMode == CullFront ? GL_FRONT : GL_BACK);
    } else {
        gl.Disable(GL_CULL_FACE);
    }
    gl.LineWidth(d.lineWidth);
    gl.PointSize(d.pointSize);
    if (d.scissorEnable)
        gl.Enable(GL_SCISSOR_TEST);
    else
        gl.Disable(GL_SCISSOR_TEST);
    scissorTestOn = d.scissorEnable;
    appliedRasterizer = currentRasterizer;
}

void GLDevice::ApplyState()
{
    if (viewportDirty) {
        const int targetHeight = GetTargetHeight();
        gl.Viewport(viewport.left, targetHeight - (viewport.top + viewport.GetHeight()), viewport.GetWidth(),
                    viewport.GetHeight());
        viewportDirty = false;
    }
    if (scissorDirty && currentRasterizer && currentRasterizer->descriptor.scissorEnable) {
        const int targetHeight = GetTargetHeight();
        gl.Scissor(scissor.left, targetHeight - (scissor.top + scissor.GetHeight()), scissor.GetWidth(),
                   scissor.GetHeight());
        scissorDirty = false;
    }
    if (!currentProgram)
        throw Exception("Attempting to draw something with no Program set");
    if (!currentLayout)
        throw Exception("Attempting to draw something with no InputLayout set");
    if (!currentBlend || !currentDepthStencil || !currentRasterizer)
        throw Exception("Attempting to draw something with no blend, depth-stencil or rasterizer state set");

    if (currentBlend != appliedBlend)
        ApplyBlendState();
    if (currentDepthStencil != appliedDepthStencil)
        ApplyDepthStencilState();
    if (currentRasterizer != appliedRasterizer)
        ApplyRasterizerState();

    if (currentLayout != appliedLayout || currentSemanticMap != appliedSemanticMap) {
        ForgetAppliedLayout();
        GLDeviceDetail::RequireShading(shadingContext.get())->SetSemanticMap(currentSemanticMap);
        currentLayout->Apply();
        appliedLayout = currentLayout;
        appliedSemanticMap = currentSemanticMap;
    }
}

void GLDevice::CheckVertexRange(int first, int count)
{
    if (first < 0 || count < 0)
        throw Exception("Draw(): Negative first vertex or count");
    if (count == 0)
        return;
    const int64_t last = int64_t(first) + count - 1;
    for (int i = 0; i < currentLayout->GetCount(); ++i) {
        const InputElement& e = currentLayout->GetElement(i);
        VertexBuffer* buffer = vertexBuffers[e.stream];
        if (!buffer)
            continue;  // reported when the layout is applied
        const int64_t end = last * buffer->GetStride() + e.offset + currentLayout->GetElementSize(i);
        if (end > buffer->GetSize())
            throw Exception("Draw(): The vertices drawn reach past the end of a vertex buffer");
    }
}

void GLDevice::Draw(int first, int count)
{
    MakeCurrent();
    for (int i = 0; i < listenerCount; ++i)
        listeners[i]->OnDrawCall();
    ApplyState();
    CheckVertexRange(first, count);
    gl.DrawArrays(primitiveCode, first, count);
}

void GLDevice::DrawIndexed(int first, int count, int, int)
{
    if (!indexBuffer)
        throw Exception("Can not draw indexed geometry without an index buffer");
    MakeCurrent();
    for (int i = 0; i < listenerCount; ++i)
        listeners[i]->OnDrawCall();
    ApplyState();
    auto* indices = static_cast<GLIndexBuffer*>(indexBuffer);
    const GLenum type = indices->GetIndexType();
    int indexSize;
    if (type == GL_UNSIGNED_SHORT)
        indexSize = 2;
    else if (type == GL_UNSIGNED_INT)
        indexSize = 4;
    else
        throw Exception("Invalid index data type enum");
    if (first < 0 || count < 0 || (int64_t(first) + count) * indexSize > indices->GetSize())
        throw Exception("DrawIndexed(): The indices drawn reach past the end of the index buffer");
    indices->Bind();
    gl.DrawElements(primitiveCode, count, type, reinterpret_cast<const void*>(intptr_t(first) * indexSize));
    const GLenum error = gl.GetError();
    if (error != GL_NO_ERROR)
        throw Exception(String::Format("Backend error 0x%x (%s: line %i)", error, __FILE__, __LINE__),
                        static_cast<int>(error));
}

// ---------------------------------------------------------------------------------------------
// Framebuffers

void GLDevice::FitViewport(Surface* target)
{
    const Rect whole{0, 0, target->GetWidth(), target->GetHeight()};
    SetViewports(1, &whole);
    // The scissor rectangle was converted with the height of the target before.
    scissorDirty = true;
}

void GLDevice::SetFramebuffer(int count, Surface* const* colors, Surface* depthStencil)
{
    const FramebufferSetup setup(count, colors, depthStencil);
    if (framebuffers.IsBound(setup))
        return;
    MakeCurrent();
    framebuffers.Bind(setup);
    Surface* sizing = count > 0 ? colors[0] : depthStencil;
    FitViewport(sizing ? sizing : backBuffer);
    framebuffers.ThrowOnFramebufferStatus();
}

void GLDevice::OnInputLayoutDestroyed(GLInputLayout* layout)
{
    if (currentLayout == layout)
        currentLayout = nullptr;
    if (appliedLayout == layout) {
        MakeCurrent();
        ForgetAppliedLayout();
    }
}

void GLDevice::OnVertexBufferDestroyed(VertexBuffer* buffer)
{
    bool held = false;
    for (VertexBuffer*& slot : vertexBuffers) {
        if (slot == buffer) {
            slot = nullptr;
            held = true;
        }
    }
    // The applied layout may point attributes at the buffer: it is applied again at the next
    // draw, which then finds the empty stream.
    if (held && appliedLayout) {
        MakeCurrent();
        ForgetAppliedLayout();
    }
}

void GLDevice::OnIndexBufferDestroyed(IndexBuffer* buffer)
{
    if (indexBuffer == buffer)
        indexBuffer = nullptr;
}

void GLDevice::OnProgramDestroyed(GLProgram* program)
{
    if (currentProgram == program)
        currentProgram = nullptr;
    if (boundProgram == program)
        boundProgram = nullptr;
}

void GLDevice::OnSemanticMapDestroyed(GLSemanticMap* map)
{
    if (currentSemanticMap == map)
        currentSemanticMap = nullptr;
    if (appliedSemanticMap == map) {
        appliedSemanticMap = nullptr;
        if (shadingContext)
            shadingContext->SetSemanticMap(nullptr);
    }
}

void GLDevice::OnSurfaceDestroyed(GLSurface* surface)
{
    if (surface == backBuffer)
        return;
    if (framebuffers.Forget(surface))
        FitViewport(backBuffer);
}

}  // namespace Nimbrel::Graphics
