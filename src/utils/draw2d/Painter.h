#pragma once
// Draw2D::Painter: draws one texture into a rectangle of the screen, in pixels from the
// viewport's top-left corner, through the Default2DEffect (the Studio shows framebuffers and
// loaded textures with it). Texture coordinate (0, 0) is the rectangle's top-left corner,
// which is where a framebuffer drawn on this device has its top row.

#include "core/Managed.h"
#include "graphics/Device.h"
#include "graphics/Texture.h"
#include "utils/GeoStream.h"
#include "utils/State.h"
#include "utils/draw2d/Default2DEffect.h"

namespace Nimbrel::Utils::Draw2D {

class Painter : public Object {
public:
    // A state of its own on the device (not counted), a stream of two triangles and the
    // effect; throws what Default2DEffect throws.
    explicit Painter(Graphics::Device* device);
    ~Painter() override;
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // Draws the texture over the rectangle, cut to it, at the device's current viewport size.
    void DrawTexture(Graphics::Texture* texture, int x, int y, int width, int height);

    State& GetState() { return *state; }

private:
    Graphics::Device* device;
    Managed<State> state;
    Managed<GeoStream> stream;
    Managed<Effects::Default2DEffect> effect;
};

}  // namespace Nimbrel::Utils::Draw2D
