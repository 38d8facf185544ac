#pragma once
// GLSurface: a view of one 2D image: a texture level, a cube face level, a stand-alone
// renderbuffer (render surface) or the window's back buffer. Level and face surfaces belong to
// their texture; render surfaces to whoever created them; the back buffer to the device.
//
// A destroyed surface tells its device, which deletes the framebuffer objects cached for it,
// so a new surface at the same address never renders into a dead one.

#include "graphics/Surface.h"

namespace Nimbrel::Graphics {

class GLDevice;

enum GLSurfaceKind : int {
    GLSurfaceTextureLevel = 0,
    GLSurfaceCubeFaceLevel = 1,
    GLSurface3DSlice = 2,
    GLSurfaceRenderSurface = 3,
    GLSurfaceBackBuffer = 4,
};

class GLSurface : public Surface {
public:
    // A texture level (target GL_TEXTURE_2D) or a cube face level
    // (target the face's GL_TEXTURE_CUBE_MAP_POSITIVE_X...).
    static GLSurface* CreateTextureLevel(GLDevice* device, GLSurfaceKind kind, unsigned int textureName,
                                         unsigned int target, int level, PixelFormat format, int width,
                                         int height, bool renderable, Object* owner);
    // A renderbuffer of the format (throws "Unsupported surface format" for the others).
    static GLSurface* CreateRenderSurface(GLDevice* device, int width, int height, PixelFormat format, int samples);
    static GLSurface* CreateBackBuffer(GLDevice* device, int width, int height);
    ~GLSurface() override;

    void Copy(Surface* source, const Rect& sourceRect, const Rect& destRect, Filter filter) override;
    int GetWidth() override { return width; }
    int GetHeight() override { return height; }

    GLSurfaceKind GetKind() const { return kind; }
    PixelFormat GetPixelFormat() const { return format; }
    bool IsRenderable() const { return renderable; }
    int GetSamples() const { return samples; }
    // Texture name and level target of level and face surfaces; renderbuffer name of render
    // surfaces.
    unsigned int GetName() const { return name; }
    unsigned int GetTarget() const { return target; }
    int GetLevel() const { return level; }
    // The texture a level or face surface belongs to.
    Object* GetOwner() const { return owner; }

    // For the device: the back buffer follows the size of the window's drawable.
    void SetBackBufferSize(int newWidth, int newHeight);
    // Attaches the surface to the framebuffer bound to framebufferTarget at attachment.
    void Attach(unsigned int framebufferTarget, unsigned int attachment);

private:
    GLSurface(GLDevice* device, GLSurfaceKind kind, int width, int height, PixelFormat format);

    GLDevice* device;
    GLSurfaceKind kind;
    int width;
    int height;
    PixelFormat format;
    bool renderable = true;
    int samples = 0;
    unsigned int name = 0;
    unsigned int target = 0;
    int level = 0;
    Object* owner = nullptr;
};

}  // namespace Nimbrel::Graphics
