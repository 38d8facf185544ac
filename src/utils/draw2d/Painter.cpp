#include "utils/draw2d/Painter.h"

#include "graphics/Rect.h"

namespace Nimbrel::Utils::Draw2D {

Painter::Painter(Graphics::Device* device)
    : device(device),
      state(new State()),
      stream(new GeoStream(device, 12)),
      effect(new Effects::Default2DEffect(device))
{
    state->devices.Push(device);
    Graphics::Rect viewport;
    device->GetViewports(1, &viewport);
    state->resolutions.Push(Math::Vector2t<int>(viewport.GetWidth(), viewport.GetHeight()));
}

Painter::~Painter() = default;

void Painter::DrawTexture(Graphics::Texture* texture, int x, int y, int width, int height)
{
    Graphics::Rect viewport;
    device->GetViewports(1, &viewport);
    state->resolutions.Top() = Math::Vector2t<int>(viewport.GetWidth(), viewport.GetHeight());

    const float left = float(x);
    const float top = float(y);
    const float right = float(x + width);
    const float bottom = float(y + height);
    const float corners[6][4] = {
        {left, top, 0, 0},  {right, top, 1, 0},    {right, bottom, 1, 1},
        {left, top, 0, 0},  {right, bottom, 1, 1}, {left, bottom, 0, 1},
    };
    stream->Begin(Graphics::PrimitiveTriangles);
    stream->Color(1, 1, 1, 1);
    stream->TexCoord1(left, top, right, bottom);
    for (const auto& corner : corners) {
        stream->TexCoord(corner[2], corner[3]);
        stream->Vertex(corner[0], corner[1]);
    }
    stream->End(false);

    state->diffuseMaps.Push(texture);
    struct Popped {
        State& state;
        ~Popped() { state.diffuseMaps.Pop(); }
    } popped{*state};
    effect->RenderDrawable(*stream, *state);
}

}  // namespace Nimbrel::Utils::Draw2D
