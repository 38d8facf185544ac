#pragma once
// Effects::Default2DEffect: the program that turns blitter vertices (and the painter's
// triangles) into overlay pixels.
//
// Positions are pixels from the top-left corner of the render state's "Resolution"; each
// pixel samples DiffuseMap at the vertex's texture coordinate and is multiplied by the
// vertex colour. A pixel whose centre lies outside the vertex's clip rectangle (left, top,
// right, bottom, in pixels) is not drawn, so a clipped image is cut, not squeezed. Blending is
// the caller's: the atlas holds premultiplied colour.

#include "core/Managed.h"
#include "graphics/Device.h"
#include "graphics/Program.h"
#include "utils/Effect.h"

namespace Nimbrel::Utils::Effects {

class Default2DEffect : public Effect {
public:
    // Compiles and links the built-in Cg source on the device (not counted). Throws
    // "Draw2D::Default2DEffect requires a graphics device with CG/HLSL support (for now)" on a
    // device without either language, and what the compiler throws.
    explicit Default2DEffect(Graphics::Device* device);

    // Pushes the program, draws the target in a pass of the state, pops the program.
    void RenderDrawable(Target& target, State& state) override;

    Graphics::Program* GetProgram() const { return program.Get(); }
    // The built-in source.
    static const char* GetSource();

private:
    Graphics::Device* device;
    Managed<Graphics::Program> program;
};

}  // namespace Nimbrel::Utils::Effects
