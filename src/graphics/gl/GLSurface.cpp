#include "graphics/gl/GLSurface.h"

#include "core/Exception.h"
#include "graphics/gl/GLDevice.h"

namespace Nimbrel::Graphics {

namespace GLSurfaceDetail {

// Where a surface goes in a copy framebuffer, and which buffers of it a blit moves.
struct CopyAttachment {
    GLenum points[2] = {};
    int pointCount = 0;
    GLbitfield mask = 0;
};

CopyAttachment ChooseAttachment(GLSurface* surface)
{
    CopyAttachment a;
    if (surface->GetKind() == GLSurfaceBackBuffer) {
        a.mask = GL_COLOR_BUFFER_BIT;
        return a;
    }
    switch (surface->GetPixelFormat()) {
    case PixelFormatR8G8B8A8:
    case PixelFormatFloatR16:
    case PixelFormatFloatR32:
    case PixelFormatFloatR16G16B16A16:
    case PixelFormatFloatR32G32B32A32:
    case PixelFormatLuminance8:
        a.points[a.pointCount++] = GL_COLOR_ATTACHMENT0;
        a.mask = GL_COLOR_BUFFER_BIT;
        break;
    case PixelFormatDepth24Stencil8:
        a.points[a.pointCount++] = GL_DEPTH_ATTACHMENT;
        a.points[a.pointCount++] = GL_STENCIL_ATTACHMENT;
        a.mask = GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
        break;
    case PixelFormatDepth16:
        a.points[a.pointCount++] = GL_DEPTH_ATTACHMENT;
        a.mask = GL_DEPTH_BUFFER_BIT;
        break;
    default:
        throw Exception("Copy(): unsupported pixel format");
    }
    if (surface->GetKind() == GLSurface3DSlice)
        throw Exception("This device is unable to copy data from/to a surface from a 3D texture");
    if (surface->GetKind() != GLSurfaceTextureLevel && surface->GetKind() != GLSurfaceCubeFaceLevel &&
        surface->GetKind() != GLSurfaceRenderSurface)
        throw Exception("Surface::Copy(): Can not copy from/to the given surface");
    return a;
}

}  // namespace GLSurfaceDetail

GLSurface::GLSurface(GLDevice* owner, GLSurfaceKind surfaceKind, int w, int h, PixelFormat pixelFormat)
    : device(owner), kind(surfaceKind), width(w), height(h), format(pixelFormat)
{
}

GLSurface* GLSurface::CreateTextureLevel(GLDevice* device, GLSurfaceKind kind, unsigned int textureName,
                                         unsigned int levelTarget, int level, PixelFormat format, int width,
                                         int height, bool renderable, Object* owner)
{
    auto* surface = new GLSurface(device, kind, width, height, format);
    surface->name = textureName;
    surface->target = levelTarget;
    surface->level = level;
    surface->renderable = renderable;
    surface->owner = owner;
    return surface;
}

GLSurface* GLSurface::CreateRenderSurface(GLDevice* device, int width, int height, PixelFormat format, int samples)
{
    GLenum internalFormat;
    switch (format) {
    case PixelFormatR8G8B8A8: internalFormat = GL_RGBA8; break;
    case PixelFormatFloatR16G16B16A16: internalFormat = GL_RGBA16F; break;
    case PixelFormatFloatR32G32B32A32: internalFormat = GL_RGBA32F; break;
    case PixelFormatDepth24Stencil8: internalFormat = GL_DEPTH24_STENCIL8; break;
    case PixelFormatDepth16: internalFormat = GL_DEPTH_COMPONENT16; break;
    default: throw Exception("Unsupported surface format");
    }
    if (width < 1 || height < 1 || width > device->GetMaxTextureSize() || height > device->GetMaxTextureSize())
        throw Exception("CreateSurface(): Invalid surface size");
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    if (samples >= 1) {
        GLint maxSamples = 0;
        gl.GetIntegerv(GL_MAX_SAMPLES, &maxSamples);
        if (samples > maxSamples)
            throw Exception(String::Format("CreateSurface(): %d samples requested, the driver offers at most %d",
                                           samples, int(maxSamples)));
    }
    auto* surface = new GLSurface(device, GLSurfaceRenderSurface, width, height, format);
    surface->samples = samples;
    gl.GenRenderbuffers(1, &surface->name);
    gl.BindRenderbuffer(GL_RENDERBUFFER, surface->name);
    if (samples < 1)
        gl.RenderbufferStorage(GL_RENDERBUFFER, internalFormat, width, height);
    else
        gl.RenderbufferStorageMultisample(GL_RENDERBUFFER, samples, internalFormat, width, height);
    return surface;
}

GLSurface* GLSurface::CreateBackBuffer(GLDevice* device, int width, int height)
{
    return new GLSurface(device, GLSurfaceBackBuffer, width, height, PixelFormatR8G8B8A8);
}

GLSurface::~GLSurface()
{
    device->OnSurfaceDestroyed(this);
    if (kind == GLSurfaceRenderSurface && name != 0) {
        device->MakeCurrent();
        device->GetGL().DeleteRenderbuffers(1, &name);
    }
}

void GLSurface::SetBackBufferSize(int newWidth, int newHeight)
{
    if (kind != GLSurfaceBackBuffer)
        throw Exception("GLSurface: Only the back buffer takes the size of the drawable");
    width = newWidth;
    height = newHeight;
}

void GLSurface::Attach(unsigned int framebufferTarget, unsigned int attachment)
{
    GLFunctions& gl = device->GetGL();
    switch (kind) {
    case GLSurfaceTextureLevel:
    case GLSurfaceCubeFaceLevel:
        gl.FramebufferTexture2D(framebufferTarget, attachment, target, name, level);
        break;
    case GLSurfaceRenderSurface:
        gl.FramebufferRenderbuffer(framebufferTarget, attachment, GL_RENDERBUFFER, name);
        break;
    default:
        throw Exception("Surface::Copy(): Can not copy from/to the given surface");
    }
}

void GLSurface::Copy(Surface* sourceSurface, const Rect& sourceRect, const Rect& destRect, Filter filter)
{
    using GLSurfaceDetail::ChooseAttachment;
    using GLSurfaceDetail::CopyAttachment;
    auto* source = dynamic_cast<GLSurface*>(sourceSurface);
    if (!source)
        throw Exception("Surface::Copy(): Can not copy from/to the given surface");
    if (!renderable || !source->renderable)
        throw Exception("Surface::Copy(): both source and destination surfaces must be renderable");
    GLenum glFilter;
    if (filter == FilterPoint)
        glFilter = GL_NEAREST;
    else if (filter == FilterLinear)
        glFilter = GL_LINEAR;
    else
        throw Exception("Surface::Copy(): invalid filter mode");

    const CopyAttachment from = ChooseAttachment(source);
    const CopyAttachment to = ChooseAttachment(this);
    // The back buffer has no attachment point of its own: the buffers moved must agree.
    if (from.mask != to.mask)
        throw Exception("Surface::Copy(): Source/destination buffer is of incompatible types.");
    if (from.mask != GL_COLOR_BUFFER_BIT && glFilter != GL_NEAREST)
        glFilter = GL_NEAREST;  // depth and stencil are only ever copied texel for texel
    const bool resolving = source->samples >= 1 || samples >= 1;
    if (resolving && (sourceRect.GetWidth() != destRect.GetWidth() || sourceRect.GetHeight() != destRect.GetHeight()))
        throw Exception("Surface::Copy(): A multisampled surface is copied only at its own size");

    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    auto attach = [&](GLSurface* surface, GLenum target, unsigned int framebuffer, const CopyAttachment& a) {
        if (surface->kind == GLSurfaceBackBuffer) {
            gl.BindFramebuffer(target, 0);
            return;
        }
        gl.BindFramebuffer(target, framebuffer);
        for (int i = 0; i < a.pointCount; ++i)
            surface->Attach(target, a.points[i]);
    };
    auto detach = [&](GLSurface* surface, GLenum target, unsigned int framebuffer, const CopyAttachment& a) {
        if (surface->kind == GLSurfaceBackBuffer)
            return;
        gl.BindFramebuffer(target, framebuffer);
        for (int i = 0; i < a.pointCount; ++i)
            gl.FramebufferRenderbuffer(target, a.points[i], GL_RENDERBUFFER, 0);
    };

    GLFramebufferCache& framebuffers = device->GetFramebufferCache();
    attach(source, GL_READ_FRAMEBUFFER, framebuffers.GetCopyReadFramebuffer(), from);
    attach(this, GL_DRAW_FRAMEBUFFER, framebuffers.GetCopyDrawFramebuffer(), to);
    const int sourceHeight = source->height;
    const int destHeight = height;
    gl.BlitFramebuffer(sourceRect.left, sourceHeight - sourceRect.bottom, sourceRect.left + sourceRect.GetWidth(),
                       sourceHeight - sourceRect.bottom + sourceRect.GetHeight(), destRect.left,
                       destHeight - destRect.bottom, destRect.left + destRect.GetWidth(),
                       destHeight - destRect.bottom + destRect.GetHeight(), from.mask, glFilter);
    const GLenum error = gl.GetError();
    detach(source, GL_READ_FRAMEBUFFER, framebuffers.GetCopyReadFramebuffer(), from);
    detach(this, GL_DRAW_FRAMEBUFFER, framebuffers.GetCopyDrawFramebuffer(), to);
    framebuffers.Restore();
    if (error != GL_NO_ERROR)
        throw Exception(String::Format("Surface::Copy(): The copy failed with backend error 0x%x", error),
                        static_cast<int>(error));
}

}  // namespace Nimbrel::Graphics
