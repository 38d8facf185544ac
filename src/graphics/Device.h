#pragma once
// Graphics::Device: the only way the engine talks to the display adapter.
//
// A device is made only through a Device::Factory, for a window, with the depth/stencil format
// and multisample count of the window's buffers and flags (bit 0 full screen). It is used on
// the main thread only.
//
// State follows an immutable-object model: blend, depth-stencil, rasterizer and sampler states
// are made from descriptors and set whole; equal descriptors give the identical object.
// Create... operations return a new object with the caller's reference. Setters take no
// reference: whoever sets an object keeps it alive while it is set. Getters return the object
// last set, without a reference.
//
// Viewports and scissor rectangles use a top-left origin in pixels of the current target.

#include "core/Object.h"
#include "core/String.h"
#include "graphics/Buffer.h"
#include "graphics/DrawCallListener.h"
#include "graphics/Enumerations.h"
#include "graphics/InputElement.h"
#include "graphics/InputLayout.h"
#include "graphics/Parameter.h"
#include "graphics/Program.h"
#include "graphics/Rect.h"
#include "graphics/SemanticMap.h"
#include "graphics/Shader.h"
#include "graphics/StateDescriptors.h"
#include "graphics/StateObjects.h"
#include "graphics/Surface.h"
#include "graphics/Texture.h"

namespace Nimbrel {
class Window;
}

namespace Nimbrel::Graphics {

class Device : public Object {
public:
    class Factory : public Object {
    public:
        ~Factory() override = default;
        // A new device owned by the caller. samples is the multisample count, 0 for none.
        virtual Device* CreateDevice(Window* window, DepthStencilFormat format, int samples,
                                     int flags) = 0;
    };

    ~Device() override = default;
    // Clears the buffers named by the ClearFlags bits of the current framebuffer, whatever
    // write masks or scissor test the last draw left in force.
    virtual void Clear(int flags, float r, float g, float b, float a, float depth, int stencil) = 0;
    // Submits pending commands.
    virtual void Flush() = 0;
    // End of frame: handles the pending window events and shows the back buffer. False when
    // the program should end (a quit request, or the device's window was closed).
    virtual bool Present() = 0;
    virtual bool SupportsShadingLanguage(ShadingLanguage language);
    // True when clip space needs no half-pixel offset and off-screen targets no vertical flip.
    virtual bool IsScreenSpaceConformant() = 0;
    // True when clip-space depth runs from -1 to 1 rather than 0 to 1.
    virtual bool UsesGLDepthRange() = 0;
    // Size of the per-slot tables (vertex streams, colour targets, semantic names).
    virtual int GetMaxSlots() = 0;
    // The window's back buffer, owned by the device.
    virtual Surface* GetBackBuffer();

    // size in bytes; stride in bytes between vertices.
    virtual VertexBuffer* CreateVertexBuffer(BufferMode mode, int size, int stride);
    // indexSize 2 gives 16-bit indices, any other value 32-bit.
    virtual IndexBuffer* CreateIndexBuffer(BufferMode mode, int size, int indexSize);
    // A renderable surface that is not a texture; samples below 1 means no multisampling.
    virtual Surface* CreateSurface(int width, int height, PixelFormat format, int samples);
    virtual Texture2D* CreateTexture2D(int width, int height, PixelFormat format, bool renderable);
    // No backend implements 3D textures yet.
    virtual Texture* CreateTexture3D(int width, int height, int depth, PixelFormat format, bool renderable);
    virtual TextureCube* CreateTextureCube(int size, PixelFormat format, bool renderable);
    // reserved: callers pass null.
    virtual Shader* CreateShader(ShaderType type, bool precompiled, const char* entryPoint,
                                 const char* reserved, const char* source);
    virtual Program* CreateProgram(Shader* vertex, Shader* pixel, Shader* geometry);
    virtual Program* CreateProgram(Shader* vertex, Shader* pixel);
    virtual BlendState* CreateBlendState(const BlendStateDescriptor& descriptor);
    virtual DepthStencilState* CreateDepthStencilState(const DepthStencilStateDescriptor& descriptor);
    virtual RasterizerState* CreateRasterizerState(const RasterizerStateDescriptor& descriptor);
    // At most 16 elements.
    virtual InputLayout* CreateInputLayout(const InputElement* elements, int count);
    // names: 16 names, index = semantic index; an empty name leaves the slot unnamed.
    virtual SemanticMap* CreateSemanticMap(const String* names);
    virtual SamplerState* CreateSamplerState(const SamplerStateDescriptor& descriptor);

    virtual void SetViewports(int count, const Rect* rects);
    virtual void SetScissorRects(int count, const Rect* rects);
    virtual void SetBlendState(BlendState* state);
    virtual void SetDepthStencilState(DepthStencilState* state);
    virtual void SetRasterizerState(RasterizerState* state);
    virtual void SetInputLayout(InputLayout* layout);
    virtual void SetSemanticMap(SemanticMap* map);
    // stream 0 to 15.
    virtual void SetVertexBuffer(int stream, VertexBuffer* buffer);
    virtual void SetIndexBuffer(IndexBuffer* buffer);
    virtual void SetPrimitiveType(PrimitiveType type);
    virtual void SetProgram(Program* program);
    // count colour surfaces (0 to 16) and a depth-stencil surface (may be null). Count 0 and no
    // depth-stencil surface, or the back buffer as the only colour surface, select the back
    // buffer.
    virtual void SetFramebuffer(int count, Surface* const* colors, Surface* depthStencil);

    // Copy the current rectangle to out (when count is at least 1) and return how many there
    // are.
    virtual int GetViewports(int count, Rect* out);
    virtual int GetScissorRects(int count, Rect* out);
    virtual BlendState* GetBlendState();
    virtual DepthStencilState* GetDepthStencilState();
    virtual RasterizerState* GetRasterizerState();
    virtual InputLayout* GetInputLayout();
    virtual SemanticMap* GetSemanticMap();
    virtual VertexBuffer* GetVertexBuffer(int stream);
    virtual IndexBuffer* GetIndexBuffer();
    virtual PrimitiveType GetPrimitiveType();
    virtual Program* GetProgram();
    // Of the framebuffer last set.
    virtual Surface* GetColorTarget(int index);
    virtual int GetColorTargetCount();
    virtual Surface* GetDepthStencilTarget();

    // count vertices from vertex first.
    virtual void Draw(int first, int count);
    // count indices from index first; minVertex and maxVertex bound the vertices they refer to.
    virtual void DrawIndexed(int first, int count, int minVertex, int maxVertex);

    // Returns the new number of listeners (at most 16). Listeners are not owned.
    virtual int AddDrawCallListener(DrawCallListener* listener);
    virtual void RemoveDrawCallListener(DrawCallListener* listener);
};

}  // namespace Nimbrel::Graphics
