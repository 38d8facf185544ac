#pragma once
// GLDevice: the Device on OpenGL. The window-system part (context, event pump, buffer swap)
// belongs to the class derived from it (SDLGLDevice); shaders, programs and semantic maps to
// the shading context the factory gives it.
//
// The device keeps a current copy of every piece of pipeline state and applies it to OpenGL
// just before a draw, touching only what differs (by identity) from what was applied last.
// State objects are cached by descriptor, framebuffer objects by framebuffer setup (in the
// device's GLFramebufferCache); both live as long as the device, except that the framebuffer
// objects of a surface go when the surface does. The device takes no reference to what is set
// on it; layouts, buffers, programs, semantic maps and surfaces tell it when they go, and it
// forgets them.
//
// Several devices may live in one process; each OpenGL call is preceded by MakeCurrent(), which
// switches the context only when another device's context is current. Every OpenGL call goes
// through the device's function table (GetGL).

#include "core/Managed.h"
#include "graphics/Device.h"
#include "graphics/gl/GLFramebufferCache.h"
#include "graphics/gl/GLFunctions.h"
#include "graphics/gl/GLSemanticMap.h"
#include "graphics/gl/GLShadingContext.h"

#include <map>
#include <memory>

namespace Nimbrel::Graphics {

class GLBlendState;
class GLDepthStencilState;
class GLInputLayout;
class GLProgram;
class GLRasterizerState;
class GLSamplerState;
class GLSurface;

class GLDevice : public Device {
public:
    static constexpr int MaxSlots = 16;
    static constexpr int MaxDrawCallListeners = 16;

    // Out of line, where the state types the caches hold are complete.
    GLDevice();
    ~GLDevice() override;

    void Clear(int flags, float r, float g, float b, float a, float depth, int stencil) override;
    void Flush() override;
    bool SupportsShadingLanguage(ShadingLanguage language) override;
    bool IsScreenSpaceConformant() override { return true; }
    bool UsesGLDepthRange() override { return true; }
    int GetMaxSlots() override { return MaxSlots; }
    Surface* GetBackBuffer() override;

    VertexBuffer* CreateVertexBuffer(BufferMode mode, int size, int stride) override;
    IndexBuffer* CreateIndexBuffer(BufferMode mode, int size, int indexSize) override;
    Surface* CreateSurface(int width, int height, PixelFormat format, int samples) override;
    Texture2D* CreateTexture2D(int width, int height, PixelFormat format, bool renderable) override;
    Texture* CreateTexture3D(int width, int height, int depth, PixelFormat format, bool renderable) override;
    TextureCube* CreateTextureCube(int size, PixelFormat format, bool renderable) override;
    Shader* CreateShader(ShaderType type, bool precompiled, const char* entryPoint, const char* reserved,
                         const char* source) override;
    Program* CreateProgram(Shader* vertex, Shader* pixel, Shader* geometry) override;
    Program* CreateProgram(Shader* vertex, Shader* pixel) override;
    BlendState* CreateBlendState(const BlendStateDescriptor& descriptor) override;
    DepthStencilState* CreateDepthStencilState(const DepthStencilStateDescriptor& descriptor) override;
    RasterizerState* CreateRasterizerState(const RasterizerStateDescriptor& descriptor) override;
    InputLayout* CreateInputLayout(const InputElement* elements, int count) override;
    SemanticMap* CreateSemanticMap(const String* names) override;
    SamplerState* CreateSamplerState(const SamplerStateDescriptor& descriptor) override;

    void SetViewports(int count, const Rect* rects) override;
    void SetScissorRects(int count, const Rect* rects) override;
    void SetBlendState(BlendState* state) override;
    void SetDepthStencilState(DepthStencilState* state) override;
    void SetRasterizerState(RasterizerState* state) override;
    void SetInputLayout(InputLayout* layout) override;
    void SetSemanticMap(SemanticMap* map) override;
    void SetVertexBuffer(int stream, VertexBuffer* buffer) override;
    void SetIndexBuffer(IndexBuffer* buffer) override;
    void SetPrimitiveType(PrimitiveType type) override;
    void SetProgram(Program* program) override;
    void SetFramebuffer(int count, Surface* const* colors, Surface* depthStencil) override;

    int GetViewports(int count, Rect* out) override;
    int GetScissorRects(int count, Rect* out) override;
    BlendState* GetBlendState() override;
    DepthStencilState* GetDepthStencilState() override;
    RasterizerState* GetRasterizerState() override;
    InputLayout* GetInputLayout() override;
    SemanticMap* GetSemanticMap() override { return currentSemanticMap; }
    VertexBuffer* GetVertexBuffer(int stream) override;
    IndexBuffer* GetIndexBuffer() override { return indexBuffer; }
    PrimitiveType GetPrimitiveType() override { return primitiveType; }
    Program* GetProgram() override;
    Surface* GetColorTarget(int index) override;
    int GetColorTargetCount() override { return framebuffers.GetLastSet().count; }
    Surface* GetDepthStencilTarget() override { return framebuffers.GetLastSet().depthStencil; }

    void Draw(int first, int count) override;
    void DrawIndexed(int first, int count, int minVertex, int maxVertex) override;

    int AddDrawCallListener(DrawCallListener* listener) override;
    void RemoveDrawCallListener(DrawCallListener* listener) override;

    // Makes this device's context current unless it is already.
    void MakeCurrent();
    // The device's OpenGL entry points; every OpenGL call of the backend goes through them.
    GLFunctions& GetGL() { return gl; }

    // Takes the shading context over (deleting the one before); the factory gives it.
    void SetShadingContext(GLShadingContext* context);
    GLShadingContext* GetShadingContext() const { return shadingContext.get(); }
    // Sets the state every new device starts with: default blend, depth test on, back faces
    // culled, the standard semantic map, triangles. Needs the shading context.
    void InstallDefaultState();

    // For surfaces: the copy framebuffer objects, and binding the current setup again after a
    // copy.
    GLFramebufferCache& GetFramebufferCache() { return framebuffers; }
    // A surface is going away: its cached framebuffer objects are deleted, and a setup that
    // used it falls back to the back buffer.
    void OnSurfaceDestroyed(GLSurface* surface);
    // A layout, buffer, program or semantic map is going away: the device stops holding it as
    // current or applied (an applied layout's attributes are disabled), so nothing reaches it.
    void OnInputLayoutDestroyed(GLInputLayout* layout);
    void OnVertexBufferDestroyed(VertexBuffer* buffer);
    void OnIndexBufferDestroyed(IndexBuffer* buffer);
    void OnProgramDestroyed(GLProgram* program);
    void OnSemanticMapDestroyed(GLSemanticMap* map);
    // The largest texture and renderbuffer edge of the context.
    int GetMaxTextureSize() const { return maxTextureSize; }

protected:
    // Makes the context current in the window system.
    virtual void ActivateContext() = 0;
    // Resolves the entry points of the current context; throws "The following extensions
    // were not detected: ..." when one is missing.
    void LoadFunctions(GLFunctions::Resolver resolve) { gl.Load(resolve); }
    // Sets up the device state for a back buffer of the given size (the drawable's, which the
    // window system may make other than the window asked for); the context is current.
    void InitializeState(int width, int height);
    // The window system resized the drawable: the back buffer takes the new size, and the
    // viewport and scissor rectangles are converted with its height again.
    void SetBackBufferSize(int width, int height);
    // Deletes every OpenGL object the device owns; the derived class calls it while the
    // context still exists.
    void ReleaseDeviceObjects();
    // Forgets that this device's context is current (its context is going away).
    void ForgetCurrent();

    GLFunctions gl;

private:
    void ApplyState();
    void ApplyBlendState();
    void ApplyDepthStencilState();
    void ApplyRasterizerState();
    void ForgetAppliedLayout();
    // The height of the target the viewport and scissor rectangles are measured in.
    int GetTargetHeight();
    // Throws when a non-indexed draw would read past a vertex buffer.
    void CheckVertexRange(int first, int count);
    // The viewport covers the whole of a new target, and the scissor rectangle is converted with
    // its height again.
    void FitViewport(Surface* target);

    static GLDevice* current;

    DrawCallListener* listeners[MaxDrawCallListeners] = {};
    int listenerCount = 0;

    bool viewportDirty = false;
    bool scissorDirty = false;
    Rect viewport;
    Rect scissor;

    // Each cache holds the creation reference of its states.
    std::map<SamplerStateDescriptor, Managed<GLSamplerState>> samplerStates;
    std::map<BlendStateDescriptor, Managed<GLBlendState>> blendStates;
    std::map<DepthStencilStateDescriptor, Managed<GLDepthStencilState>> depthStencilStates;
    std::map<RasterizerStateDescriptor, Managed<GLRasterizerState>> rasterizerStates;
    GLFramebufferCache framebuffers{*this};

    std::unique_ptr<GLShadingContext> shadingContext;

    GLBlendState* currentBlend = nullptr;
    GLBlendState* appliedBlend = nullptr;
    GLDepthStencilState* currentDepthStencil = nullptr;
    GLDepthStencilState* appliedDepthStencil = nullptr;
    GLRasterizerState* currentRasterizer = nullptr;
    GLRasterizerState* appliedRasterizer = nullptr;
    GLSemanticMap* currentSemanticMap = nullptr;
    GLSemanticMap* appliedSemanticMap = nullptr;
    GLInputLayout* currentLayout = nullptr;
    GLInputLayout* appliedLayout = nullptr;

    VertexBuffer* vertexBuffers[MaxSlots] = {};
    IndexBuffer* indexBuffer = nullptr;
    PrimitiveType primitiveType = PrimitiveTriangles;
    unsigned int primitiveCode = GL_TRIANGLES;
    Program* currentProgram = nullptr;
    GLProgram* boundProgram = nullptr;

    // What the write masks and scissor test are in OpenGL right now, so that Clear can open
    // them and have the next draw restore the state.
    bool colorMaskOpen = true;
    bool depthMaskOpen = true;
    bool stencilMaskOpen = true;
    bool scissorTestOn = false;

    GLSurface* backBuffer = nullptr;
    int maxTextureSize = 0;

    // The state every new device starts with (held for the device's life).
    Managed<BlendState> defaultBlend;
    Managed<DepthStencilState> defaultDepthStencil;
    Managed<RasterizerState> defaultRasterizer;
    Managed<SemanticMap> defaultSemanticMap;
};

}  // namespace Nimbrel::Graphics
