#include "graphics/gl/GLFramebufferCache.h"

#include "core/Exception.h"
#include "graphics/gl/GLDevice.h"
#include "graphics/gl/GLSurface.h"

namespace Nimbrel::Graphics {

void GLFramebufferCache::Initialize()
{
    currentSetup = FramebufferSetup();
    lastSet = FramebufferSetup();
    GLFunctions& gl = device.GetGL();
    gl.GenFramebuffers(1, &copyReadFramebuffer);
    gl.GenFramebuffers(1, &copyDrawFramebuffer);
}

void GLFramebufferCache::Release()
{
    GLFunctions& gl = device.GetGL();
    for (auto& entry : framebuffers)
        gl.DeleteFramebuffers(1, &entry.second);
    framebuffers.clear();
    if (copyReadFramebuffer)
        gl.DeleteFramebuffers(1, &copyReadFramebuffer);
    if (copyDrawFramebuffer)
        gl.DeleteFramebuffers(1, &copyDrawFramebuffer);
    copyReadFramebuffer = copyDrawFramebuffer = 0;
}

bool GLFramebufferCache::IsBackBuffer(const FramebufferSetup& setup) const
{
    return (setup.count == 0 && !setup.depthStencil) ||
           (setup.count == 1 && setup.colors[0] == device.GetBackBuffer());
}

unsigned int GLFramebufferCache::CreateFramebufferObject(const FramebufferSetup& setup)
{
    // Every surface is checked before anything is made, so a refused setup leaves no half-built
    // framebuffer object in the cache.
    for (int j = 0; j < setup.count; ++j) {
        auto* surface = dynamic_cast<GLSurface*>(setup.colors[j]);
        if (!surface)
            throw Exception("Can't bind the given target as color buffer");
        switch (surface->GetKind()) {
        case GLSurfaceTextureLevel:
        case GLSurfaceCubeFaceLevel:
        case GLSurfaceRenderSurface:
            break;
        case GLSurface3DSlice: throw Exception("This backend can not bind 3D texture slices as color buffers");
        case GLSurfaceBackBuffer:
            throw Exception("Can't bind the back buffer as a color buffer unless it is the only color buffer");
        default: throw Exception("Can't bind the given target as color buffer");
        }
    }
    GLSurface* depthStencil = nullptr;
    if (setup.depthStencil) {
        depthStencil = dynamic_cast<GLSurface*>(setup.depthStencil);
        if (!depthStencil)
            throw Exception("Can't bind the given surface as depth stencil buffer");
        switch (depthStencil->GetKind()) {
        case GLSurfaceTextureLevel:
        case GLSurfaceCubeFaceLevel:
        case GLSurfaceRenderSurface:
            break;
        case GLSurface3DSlice: throw Exception("This backend can not bind 3d texture slices as depth/stencil buffers");
        default: throw Exception("Can't bind the given surface as depth stencil buffer");
        }
    }

    GLFunctions& gl = device.GetGL();
    GLuint name = 0;
    gl.GenFramebuffers(1, &name);
    gl.BindFramebuffer(GL_FRAMEBUFFER, name);
    framebuffers.emplace(setup, name);
    GLenum drawBuffers[FramebufferSetup::MaxColorSurfaces];
    for (int j = 0; j < setup.count; ++j) {
        static_cast<GLSurface*>(setup.colors[j])->Attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + j);
        drawBuffers[j] = GL_COLOR_ATTACHMENT0 + j;
    }
    if (depthStencil) {
        depthStencil->Attach(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT);
        if (depthStencil->GetKind() == GLSurfaceRenderSurface &&
            depthStencil->GetPixelFormat() == PixelFormatDepth24Stencil8)
            depthStencil->Attach(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT);
    }
    // Every colour target is written; a depth-only setup writes and reads no colour.
    if (setup.count > 0) {
        gl.DrawBuffers(setup.count, drawBuffers);
        gl.ReadBuffer(GL_COLOR_ATTACHMENT0);
    } else {
        gl.DrawBuffer(GL_NONE);
        gl.ReadBuffer(GL_NONE);
    }
    return name;
}

void GLFramebufferCache::Bind(const FramebufferSetup& setup)
{
    lastSet = setup;
    GLFunctions& gl = device.GetGL();
    if (IsBackBuffer(setup)) {
        gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
        currentSetup = setup;
        return;
    }

    auto found = framebuffers.find(setup);
    const GLuint name = found != framebuffers.end() ? found->second : CreateFramebufferObject(setup);

    // A render target must not wait for mipmaps that rendering never makes.
    GLint bound2D = 0;
    gl.GetIntegerv(GL_TEXTURE_BINDING_2D, &bound2D);
    for (int j = 0; j < setup.count; ++j) {
        auto* surface = static_cast<GLSurface*>(setup.colors[j]);
        if (surface->GetKind() == GLSurfaceTextureLevel || surface->GetKind() == GLSurfaceCubeFaceLevel) {
            const GLenum textureTarget =
                surface->GetKind() == GLSurfaceCubeFaceLevel ? GLenum(GL_TEXTURE_CUBE_MAP) : surface->GetTarget();
            gl.BindTexture(textureTarget, surface->GetName());
            gl.TexParameteri(textureTarget, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        }
    }
    gl.BindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound2D));

    gl.BindFramebuffer(GL_FRAMEBUFFER, name);
    currentSetup = setup;
}

void GLFramebufferCache::ThrowOnFramebufferStatus()
{
    const GLenum status = device.GetGL().CheckFramebufferStatus(GL_FRAMEBUFFER);
    switch (status) {
    case GL_FRAMEBUFFER_COMPLETE: return;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT:
        throw Exception("Unable to set framebuffer: Framebuffer has an incomplete attachment\n");
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT:
        throw Exception("Unable to set framebuffer: Framebuffer has a missing attachment!\n");
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
        throw Exception("Unable to set framebuffer: Framebuffer has incomplete dimensions (whatever that means)\n");
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
        throw Exception("Unable to set framebuffer: Framebuffer has incomplete formats!\n");
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER:
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER:
        throw Exception("Unable to set framebuffer: Framebuffer has an incomplete draw buffer!\n");
    case GL_FRAMEBUFFER_UNSUPPORTED:
        throw Exception("Unable to set framebuffer: Framebuffer is unsupported, damn!\n");
    default: throw Exception("Unable to set framebuffer: OpenGL behaves incorrectly");
    }
}

void GLFramebufferCache::Restore()
{
    device.MakeCurrent();
    auto found = framebuffers.find(currentSetup);
    device.GetGL().BindFramebuffer(GL_FRAMEBUFFER, found != framebuffers.end() ? found->second : 0);
}

bool GLFramebufferCache::Forget(GLSurface* surface)
{
    bool deleted = false;
    for (auto entry = framebuffers.begin(); entry != framebuffers.end();) {
        if (entry->first.Uses(surface)) {
            if (!deleted)
                device.MakeCurrent();
            device.GetGL().DeleteFramebuffers(1, &entry->second);
            deleted = true;
            entry = framebuffers.erase(entry);
        } else {
            ++entry;
        }
    }
    // Deleting the bound framebuffer object binds the window's; the cache follows suit.
    if (currentSetup.Uses(surface)) {
        currentSetup = FramebufferSetup();
        lastSet = FramebufferSetup();
        device.MakeCurrent();
        device.GetGL().BindFramebuffer(GL_FRAMEBUFFER, 0);
        return true;
    }
    if (lastSet.Uses(surface))
        lastSet = FramebufferSetup();
    return false;
}

}  // namespace Nimbrel::Graphics
