#pragma once
// Studio::TextureWidget: a texture shown stretched over the widget's rectangle, drawn straight
// into the frame in the order of the widget tree. The overlay's quads drawn so far are
// composited first (Root::CompositeOverlay) and a new batch is begun after, so the windows
// before it lie below the texture and the widgets after it, such as its own labels, on top.
// The texture is cut to the widget's clip rectangle with the device's scissor test.

#include "core/Managed.h"
#include "graphics/Texture.h"
#include "utils/draw2d/Painter.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::Studio {

class Root;

class TextureWidget : public GUI::Widget {
public:
    // Holds a counted reference to the texture and to the painter; the root is borrowed (it
    // frees its windows before it goes).
    TextureWidget(Root* root, Graphics::Texture2D* texture, Draw2D::Painter* painter);
    ~TextureWidget() override;

    Graphics::Texture2D* GetTexture() const { return texture.Get(); }
    void SetTexture(Graphics::Texture2D* shown);

    void Draw(Widget* widget) override;

private:
    Root* root;
    Managed<Graphics::Texture2D> texture;
    Managed<Draw2D::Painter> painter;
};

}  // namespace Nimbrel::Utils::Studio
