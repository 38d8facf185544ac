#pragma once
// FramebufferProxy and Framebuffer: pooled off-screen render targets.
//
// Code that renders into an off-screen image describes what it needs (size, samples, pixel
// format, depth) in a Framebuffer handle and locks it; the proxy hands over the first free
// matching instance of its pool, or makes a new one when every matching instance is in use.
// A locked handle is then bound as the render target, as a texture to sample, or as a surface
// to copy from or to, one use at a time; only one handle of a proxy is bound as the render
// target at once. Instances live as long as the proxy.
//
// A handle does nothing when it is destroyed: its holder unbinds and unlocks it first, or the
// instance stays marked as in use. The proxy must outlive its handles' use.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Object.h"
#include "graphics/Device.h"

namespace Nimbrel::Utils {

class FramebufferProxy;

class Framebuffer {
public:
    struct Descriptor {
        int width = 0;
        int height = 0;
        int samples = 0;  // below 1: no multisampling
        Graphics::PixelFormat format = Graphics::PixelFormatR8G8B8A8;
        bool depth = false;

        bool operator==(const Descriptor&) const = default;
    };

    // One pooled target: a renderable texture, the surface rendered into (the texture's level 0,
    // or a multisampled render surface that is resolved into the texture), and an optional
    // depth-stencil surface.
    struct Instance {
        Descriptor descriptor;
        Managed<Graphics::Texture2D> texture;
        Graphics::Surface* colorSurface = nullptr;
        Managed<Graphics::Surface> multisampledSurface;  // set when multisampled
        bool multisampled = false;
        Managed<Graphics::Surface> depthSurface;
        int lockCount = 0;
    };

    // With the global proxy (throws when there is none).
    Framebuffer(int width, int height, int samples, Graphics::PixelFormat format, bool depth, bool generateMipmaps);
    Framebuffer(FramebufferProxy* proxy, int width, int height, int samples, Graphics::PixelFormat format, bool depth,
                bool generateMipmaps);
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    const Descriptor& GetDescriptor() const { return descriptor; }
    bool IsLocked() const { return instance != nullptr; }

    void Lock();
    void Unlock();
    // Makes the instance the device's render target.
    void BindAsFramebuffer();
    // Back to the back buffer.
    void UnbindAsFramebuffer();
    // The texture, resolved from the multisampled surface when it was rendered into, with
    // mipmaps made when the handle asks for them.
    Graphics::Texture2D* BindAsTexture();
    void UnbindAsTexture();
    // The surface rendered into.
    Graphics::Surface* BindAsSurface();
    void UnbindAsSurface();
    // Clears the instance when locked; does nothing when unlocked.
    void Clear(int flags, float r, float g, float b, float a, float depth, int stencil);

private:
    enum Binding { BindingNone = 0, BindingFramebuffer = 1, BindingTexture = 2, BindingSurface = 3 };

    FramebufferProxy* proxy;
    Descriptor descriptor;
    bool generateMipmaps;
    Instance* instance = nullptr;
    Binding binding = BindingNone;
    bool rendered = false;
};

class FramebufferProxy : public Object {
public:
    // The new proxy becomes the global one. The device is not counted: it outlives the proxy.
    explicit FramebufferProxy(Graphics::Device* device);
    ~FramebufferProxy() override;

    // Throws "FramebufferProxy::GetGlobal(): No global framebuffer proxy set" when there is none.
    static FramebufferProxy* GetGlobal();

    Graphics::Device* GetDevice() const { return device; }
    int GetInstanceCount() const { return instances.Count(); }
    // For browsing the pool.
    Graphics::Texture2D* GetInstanceTexture(int index) const { return instances[index]->texture.Get(); }

private:
    friend class Framebuffer;

    // The first free instance matching the descriptor, or a new one; locked for the caller.
    Framebuffer::Instance* LockInstance(const Framebuffer::Descriptor& descriptor);

    static FramebufferProxy* global;

    Graphics::Device* device;
    Array<Framebuffer::Descriptor> descriptors;
    Array<Framebuffer::Instance*> instances;
    bool bound = false;
};

}  // namespace Nimbrel::Utils
