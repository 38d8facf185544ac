#pragma once
// Studio::FramebufferBrowser: the render textures of the global framebuffer proxy's pool, one
// row each: a live preview of the texture with its size ("512x256") written over it in white
// with a one-pixel black shadow.
//
// Each drawing compares the pool with the textures shown (by identity); when they differ, and
// after a relayout, the rows are rebuilt: a row shows the texture at its index of the pool,
// missing rows are added and rows past the end of the pool are removed. A preview is the
// texture scaled down to the window's width less 12 pixels, never enlarged, with its
// proportions kept. Saved in the layout file as "framebuffer_browser".

#include "core/Array.h"
#include "core/Managed.h"
#include "utils/draw2d/Painter.h"
#include "utils/gui/Applet.h"

namespace Nimbrel::Graphics {
class Texture2D;
}
namespace Nimbrel::Utils {
class FramebufferProxy;
}
namespace Nimbrel::Utils::GUI {
class Label;
class ListBox;
}  // namespace Nimbrel::Utils::GUI

namespace Nimbrel::Utils::Studio {

class Root;
class TextureWidget;

class FramebufferBrowser : public GUI::Applet {
public:
    // Makes a painter for the root's graphics device (throws what the painter throws). The
    // root is borrowed: it frees its windows before it goes.
    FramebufferBrowser(GUI::Skin* skin, Root* root);
    ~FramebufferBrowser() override;

    // The size of the preview of a texture in a window of the given width.
    static GUI::Point PreviewSize(int windowWidth, int textureWidth, int textureHeight);

    GUI::ListBox* GetList() const { return list; }
    int GetRowCount() const { return previews.Count(); }
    TextureWidget* GetPreview(int row) const { return previews[row]; }
    // The white label and its black shadow.
    GUI::Label* GetSizeLabel(int row) const { return labels[row]; }
    GUI::Label* GetShadowLabel(int row) const { return shadows[row]; }

    Xml::Element* SaveLayout() override;
    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;

private:
    void Rebuild(FramebufferProxy* proxy);
    void AddRow(Graphics::Texture2D* texture);
    void RemoveLastRow();

    Root* root;
    GUI::ListBox* list;
    Managed<Draw2D::Painter> painter;
    // Row i shows textures[i] in previews[i]; the textures are held by their previews.
    Array<Graphics::Texture2D*> textures;
    Array<TextureWidget*> previews;
    Array<GUI::Label*> shadows;
    Array<GUI::Label*> labels;
    bool rebuild = true;
};

}  // namespace Nimbrel::Utils::Studio
