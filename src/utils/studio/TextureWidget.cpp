#include "utils/studio/TextureWidget.h"

#include "graphics/Rect.h"
#include "utils/Application.h"
#include "utils/State.h"
#include "utils/draw2d/Blitter.h"
#include "utils/studio/Root.h"

namespace Nimbrel::Utils::Studio {

TextureWidget::TextureWidget(Root* root, Graphics::Texture2D* shown, Draw2D::Painter* texturePainter)
    : GUI::Widget(root->GetPainter()), root(root)
{
    SetTexture(shown);
    texturePainter->AddRef();
    painter.Set(texturePainter);
}

TextureWidget::~TextureWidget() = default;

void TextureWidget::SetTexture(Graphics::Texture2D* shown)
{
    if (shown)
        shown->AddRef();
    texture.Set(shown);
}

void TextureWidget::Draw(Widget* widget)
{
    if (widget != this || !texture)
        return;
    const GUI::ClipRect clip = GetClipRect();
    const GUI::Point screen = GetScreenPosition();
    const GUI::Point size = GetSize();
    if (clip.x1 <= clip.x0 || clip.y1 <= clip.y0 || size.x <= 0 || size.y <= 0)
        return;
    root->CompositeOverlay();
    // The overlay's next batch begins whatever the drawing does, so the frame goes on.
    struct Resume {
        Root* root;
        State& state;
        ~Resume()
        {
            state.diffuseSamplers.Pop();
            state.rasterizerStates.Pop();
            root->GetPainter()->Begin();
        }
    };
    const Graphics::Rect scissor{clip.x0, clip.y0, clip.x1, clip.y1};
    root->GetApplication()->GetGraphicsDevice()->SetScissorRects(1, &scissor);
    State& state = painter->GetState();
    Graphics::RasterizerStateDescriptor rasterizer = state.rasterizerStates.Top();
    rasterizer.scissorEnable = true;
    state.rasterizerStates.Push(rasterizer);
    // A pooled texture has mipmaps only when a handle asked for them: sampling level 0 alone
    // shows it either way.
    Graphics::SamplerStateDescriptor sampler;
    sampler.magFilter = Graphics::FilterLinear;
    sampler.minFilter = Graphics::FilterLinear;
    sampler.mipFilter = Graphics::FilterNone;
    state.diffuseSamplers.Push(sampler);
    Resume resume{root, state};
    painter->DrawTexture(texture.Get(), screen.x, screen.y, size.x, size.y);
}

}  // namespace Nimbrel::Utils::Studio
