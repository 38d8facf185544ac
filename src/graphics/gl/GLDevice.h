#pragma once
// GLDevice: the Device on OpenGL. The window-system part (context, event pump, buffer swap)
// belongs to the class derived from it.
//
// Several devices may live in one process; each OpenGL call is preceded by MakeCurrent(), which
// switches the context only when another device's context is current.

#include "graphics/Device.h"
#include "graphics/gl/GLFunctions.h"

namespace Nimbrel::Graphics {

class GLDevice : public Device {
public:
    ~GLDevice() override;

    void Clear(int flags, float r, float g, float b, float a, float depth, int stencil) override;
    void Flush() override;
    bool IsScreenSpaceConformant() override { return true; }
    bool UsesGLDepthRange() override { return true; }
    int GetMaxSlots() override { return 16; }

    // Makes this device's context current unless it is already.
    void MakeCurrent();
    // The device's OpenGL entry points; every OpenGL call of the backend goes through them.
    GLFunctions& GetGL() { return gl; }

protected:
    // Resolves the entry points of the current context; throws "The following extensions
    // were not detected: ..." when one is missing.
    void LoadFunctions(GLFunctions::Resolver resolve) { gl.Load(resolve); }
    // Makes the context current in the window system.
    virtual void ActivateContext() = 0;
    // Sets up the OpenGL state for a back buffer of the given size; the context is current.
    void InitializeState(int width, int height);
    // Forgets that this device's context is current (its context is going away).
    void ForgetCurrent();

    GLFunctions gl;

private:
    static GLDevice* current;
};

}  // namespace Nimbrel::Graphics
