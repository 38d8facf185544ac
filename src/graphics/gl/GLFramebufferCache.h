#pragma once
// GLFramebufferCache: the framebuffer objects of one GLDevice. A setup of surfaces gets its
// framebuffer object the first time it is bound and keeps it until the device releases its
// objects or a surface of the setup goes away; the back buffer is the window's framebuffer and
// needs none. Two more framebuffer objects serve surface copies, which attach their source and
// destination to them.
//
// The cache remembers two setups: the one bound in OpenGL, and the one last asked for, which
// the device's target getters report. They differ after a setup was refused before anything
// was bound. Every OpenGL call goes through the device's function table.

#include "graphics/FramebufferSetup.h"

#include <map>

namespace Nimbrel::Graphics {

class GLDevice;
class GLSurface;

class GLFramebufferCache {
public:
    explicit GLFramebufferCache(GLDevice& owner) : device(owner) {}
    GLFramebufferCache(const GLFramebufferCache&) = delete;
    GLFramebufferCache& operator=(const GLFramebufferCache&) = delete;

    // Makes the two copy framebuffer objects; both setups become the back buffer. The device's
    // context is current.
    void Initialize();
    // Deletes every framebuffer object the cache made. The device's context is current.
    void Release();

    // True when the setup is the one bound in OpenGL.
    bool IsBound(const FramebufferSetup& setup) const { return setup == currentSetup; }
    // The setup last asked for, bound or not.
    const FramebufferSetup& GetLastSet() const { return lastSet; }

    // Binds the framebuffer of the setup, making its framebuffer object on first use. A setup
    // whose surfaces cannot be attached throws before anything is bound or cached; it still
    // counts as the last one asked for. The device's context is current.
    void Bind(const FramebufferSetup& setup);
    // Throws when OpenGL finds the bound framebuffer incomplete.
    void ThrowOnFramebufferStatus();
    // Binds the framebuffer of the bound setup again after a copy disturbed the binding.
    void Restore();

    // The two framebuffer objects surface copies attach to.
    unsigned int GetCopyReadFramebuffer() const { return copyReadFramebuffer; }
    unsigned int GetCopyDrawFramebuffer() const { return copyDrawFramebuffer; }

    // A surface other than the back buffer is going away: the framebuffer objects that use it
    // are deleted. Returns true when the bound setup used it: the back buffer is bound in its
    // place and both setups become the back buffer. Otherwise only a last set that used it does.
    bool Forget(GLSurface* surface);

private:
    bool IsBackBuffer(const FramebufferSetup& setup) const;
    unsigned int CreateFramebufferObject(const FramebufferSetup& setup);

    GLDevice& device;
    std::map<FramebufferSetup, unsigned int> framebuffers;
    unsigned int copyReadFramebuffer = 0;
    unsigned int copyDrawFramebuffer = 0;
    FramebufferSetup currentSetup;
    FramebufferSetup lastSet;
};

}  // namespace Nimbrel::Graphics
