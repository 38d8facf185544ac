#include "utils/FramebufferProxy.h"

#include "core/Exception.h"

namespace Nimbrel::Utils {

// ---------------------------------------------------------------------------------------------
// FramebufferProxy

FramebufferProxy* FramebufferProxy::global = nullptr;

FramebufferProxy::FramebufferProxy(Graphics::Device* graphicsDevice) : device(graphicsDevice)
{
    global = this;
}

FramebufferProxy::~FramebufferProxy()
{
    for (Framebuffer::Instance* instance : instances)
        delete instance;
    instances.Clear();
    if (global == this)
        global = nullptr;
}

FramebufferProxy* FramebufferProxy::GetGlobal()
{
    if (!global)
        throw Exception("FramebufferProxy::GetGlobal(): No global framebuffer proxy set");
    return global;
}

Framebuffer::Instance* FramebufferProxy::LockInstance(const Framebuffer::Descriptor& descriptor)
{
    for (int i = 0; i < instances.Count(); ++i) {
        if (descriptors[i] == descriptor && instances[i]->lockCount < 1) {
            ++instances[i]->lockCount;
            return instances[i];
        }
    }

    // A device failure part of the way leaves nothing in the pool.
    auto* made = new Framebuffer::Instance();
    try {
        made->descriptor = descriptor;
        made->texture.Set(device->CreateTexture2D(descriptor.width, descriptor.height, descriptor.format, true));
        made->multisampled = descriptor.samples >= 1;
        if (made->multisampled) {
            made->multisampledSurface.Set(
                device->CreateSurface(descriptor.width, descriptor.height, descriptor.format, descriptor.samples));
            made->colorSurface = made->multisampledSurface.Get();
        } else {
            made->colorSurface = made->texture->GetSurface(0);
        }
        if (descriptor.depth)
            made->depthSurface.Set(device->CreateSurface(descriptor.width, descriptor.height,
                                                         Graphics::PixelFormatDepth24Stencil8, descriptor.samples));
        descriptors.Add(descriptor);
        instances.Add(made);
    } catch (...) {
        delete made;
        throw;
    }
    made->lockCount = 1;
    return made;
}

// ---------------------------------------------------------------------------------------------
// Framebuffer

Framebuffer::Framebuffer(int width, int height, int samples, Graphics::PixelFormat format, bool depth, bool mipmaps)
    : Framebuffer(FramebufferProxy::GetGlobal(), width, height, samples, format, depth, mipmaps)
{
}

Framebuffer::Framebuffer(FramebufferProxy* owner, int width, int height, int samples, Graphics::PixelFormat format,
                         bool depth, bool mipmaps)
    : proxy(owner), descriptor{width, height, samples, format, depth}, generateMipmaps(mipmaps)
{
    if (!proxy)
        throw Exception("Framebuffer: No framebuffer proxy given");
}

void Framebuffer::Lock()
{
    if (instance)
        throw Exception("Framebuffer::Lock(): Allready locked");
    instance = proxy->LockInstance(descriptor);
}

void Framebuffer::Unlock()
{
    if (!instance)
        throw Exception("Framebuffer::Unlock(): Not locked");
    if (binding != BindingNone)
        throw Exception("Framebuffer::Unlock(): Can not unlock while bound");
    --instance->lockCount;
    instance = nullptr;
}

void Framebuffer::BindAsFramebuffer()
{
    if (!instance)
        throw Exception("Framebuffer::BindAsFramebuffer(): Must be locked first");
    if (binding == BindingTexture)
        throw Exception("Framebuffer::BindAsFramebuffer(): Allready bound as texture");
    if (binding == BindingFramebuffer)
        throw Exception("Framebuffer::BindAsFramebuffer(): Allready bound as framebuffer");
    if (binding == BindingSurface)
        throw Exception("Framebuffer::BindAsFramebuffer(): Allready bound as surface");
    if (proxy->bound)
        throw Exception("Framebuffer::BindAsFramebuffer(): Another framebuffer is currently bound");
    Graphics::Surface* colors[1] = {instance->colorSurface};
    proxy->GetDevice()->SetFramebuffer(1, colors, instance->depthSurface.Get());
    binding = BindingFramebuffer;
    rendered = true;
    proxy->bound = true;
}

void Framebuffer::UnbindAsFramebuffer()
{
    if (binding != BindingFramebuffer)
        throw Exception("Framebuffer::UnbindAsFramebuffer(): Not bound");
    proxy->GetDevice()->SetFramebuffer(0, nullptr, nullptr);
    binding = BindingNone;
    proxy->bound = false;
}

Graphics::Texture2D* Framebuffer::BindAsTexture()
{
    if (!instance)
        throw Exception("Framebuffer::BindAsTexture(): Must be locked first");
    if (binding == BindingFramebuffer)
        throw Exception("Framebuffer::BindAsTexture(): Can not bind as texture while bound as framebuffer");
    if (binding == BindingSurface)
        throw Exception("Framebuffer::BindAsTexture(): Can not bind as texture while bound as surface");
    if (binding == BindingTexture)
        throw Exception("Framebuffer::BindAsTexture(): Already bound as texture");
    if (rendered && instance->multisampled) {
        const Graphics::Rect whole{0, 0, descriptor.width, descriptor.height};
        instance->texture->GetSurface(0)->Copy(instance->colorSurface, whole, whole, Graphics::FilterPoint);
    }
    if (generateMipmaps)
        instance->texture->GenerateMipmaps();
    binding = BindingTexture;
    return instance->texture.Get();
}

void Framebuffer::UnbindAsTexture()
{
    if (!instance)
        throw Exception("Framebuffer::UnbindAsTexture(): Must be locked first");
    if (binding != BindingTexture)
        throw Exception("Framebuffer::UnbindAsTexture(): Not locked as texture");
    binding = BindingNone;
}

Graphics::Surface* Framebuffer::BindAsSurface()
{
    if (!instance)
        throw Exception("Framebuffer::BindAsSurface(): Must be locked first");
    if (binding == BindingFramebuffer)
        throw Exception("Framebuffer::BindAsSurface(): Allready bound as framebuffer");
    if (binding == BindingTexture)
        throw Exception("Framebuffer::BindAsSurface(): Already bound as texture");
    if (binding == BindingSurface)
        throw Exception("Framebuffer::BindAsSurface(): Already bound as surface");
    binding = BindingSurface;
    return instance->colorSurface;
}

void Framebuffer::UnbindAsSurface()
{
    if (!instance)
        throw Exception("Framebuffer::UnbindAsSurface(): Must be locked first");
    if (binding != BindingSurface)
        throw Exception("Framebuffer::UnbindAsSurface(): Not bound as surface");
    binding = BindingNone;
}

void Framebuffer::Clear(int flags, float r, float g, float b, float a, float depth, int stencil)
{
    if (!instance)
        return;
    BindAsFramebuffer();
    try {
        proxy->GetDevice()->Clear(flags, r, g, b, a, depth, stencil);
    } catch (...) {
        UnbindAsFramebuffer();
        throw;
    }
    UnbindAsFramebuffer();
}

}  // namespace Nimbrel::Utils
