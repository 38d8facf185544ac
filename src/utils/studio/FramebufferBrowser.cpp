#include "utils/studio/FramebufferBrowser.h"

#include "graphics/Texture.h"
#include "utils/Application.h"
#include "utils/FramebufferProxy.h"
#include "utils/gui/Label.h"
#include "utils/gui/ListBox.h"
#include "utils/gui/Skin.h"
#include "utils/studio/Root.h"
#include "utils/studio/TextureWidget.h"
#include "utils/xml/RWElement.h"

#include <algorithm>
#include <cstdint>

namespace Nimbrel::Utils::Studio {

namespace framebuffer_browser_detail {

// A preview this much narrower than the window fits inside the list with its scroll bar.
constexpr int PreviewMargin = 12;

}  // namespace framebuffer_browser_detail

FramebufferBrowser::FramebufferBrowser(GUI::Skin* skin, Root* root)
    : GUI::Applet(skin), root(root), painter(new Draw2D::Painter(root->GetApplication()->GetGraphicsDevice()))
{
    SetTitle("Framebuffer Browser");
    list = new GUI::ListBox(skin);
    AddChild(list);
    list->SetPosition(0, 0);
    list->SetSize(GetClient()->GetSize() - GUI::Point(2, 2));
    list->SetAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
}

FramebufferBrowser::~FramebufferBrowser() = default;

// The height is computed from the product, not from the texture's aspect ratio in integers,
// which is 0 for a texture taller than wide.
GUI::Point FramebufferBrowser::PreviewSize(int windowWidth, int textureWidth, int textureHeight)
{
    if (textureWidth <= 0 || textureHeight <= 0)
        return GUI::Point(0, 0);
    const int width = std::max(0, std::min(windowWidth - framebuffer_browser_detail::PreviewMargin, textureWidth));
    const int64_t height = int64_t(width) * textureHeight / textureWidth;
    return GUI::Point(width, static_cast<int>(height));
}

void FramebufferBrowser::Draw(Widget* widget)
{
    GUI::Applet::Draw(widget);
    if (widget != this)
        return;
    FramebufferProxy* proxy = FramebufferProxy::GetGlobal();
    const int count = proxy->GetInstanceCount();
    if (count != textures.Count()) {
        rebuild = true;
    } else {
        for (int i = 0; i < count && !rebuild; ++i)
            rebuild = proxy->GetInstanceTexture(i) != textures[i];
    }
    if (rebuild)
        Rebuild(proxy);
}

void FramebufferBrowser::Rebuild(FramebufferProxy* proxy)
{
    const int count = proxy->GetInstanceCount();
    while (previews.Count() > count)
        RemoveLastRow();
    const int windowWidth = GetSize().x;
    for (int i = 0; i < count; ++i) {
        Graphics::Texture2D* texture = proxy->GetInstanceTexture(i);
        if (i == previews.Count()) {
            AddRow(texture);
        } else if (textures[i] != texture) {
            previews[i]->SetTexture(texture);
            textures[i] = texture;
        }
        const int width = texture->GetWidth();
        const int height = texture->GetHeight();
        previews[i]->SetSize(PreviewSize(windowWidth, width, height));
        const String text = String::Format("%dx%d", width, height);
        for (GUI::Label* label : {shadows[i], labels[i]}) {
            if (label->GetText() != text) {
                label->SetText(text);
                label->FitToText();
            }
        }
    }
    rebuild = false;
}

void FramebufferBrowser::AddRow(Graphics::Texture2D* texture)
{
    auto* preview = new TextureWidget(root, texture, painter.Get());
    list->AddChild(preview);
    Draw2D::Blitter* blitter = GetPainter();
    auto* shadow = new GUI::Label(blitter);
    shadow->SetTextColor(GUI::Color(0, 0, 0, 255));
    preview->AddChild(shadow);
    shadow->SetPosition(1, 1);
    auto* label = new GUI::Label(blitter);
    preview->AddChild(label);
    label->SetPosition(0, 0);
    textures.Add(texture);
    previews.Add(preview);
    shadows.Add(shadow);
    labels.Add(label);
}

// The labels are the preview's children and go with it.
void FramebufferBrowser::RemoveLastRow()
{
    const int last = previews.Count() - 1;
    TextureWidget* preview = previews[last];
    list->RemoveChild(preview);
    preview->Close();
    textures.RemoveAt(last);
    previews.RemoveAt(last);
    shadows.RemoveAt(last);
    labels.RemoveAt(last);
}

void FramebufferBrowser::OnLayout(Widget* widget)
{
    GUI::Applet::OnLayout(widget);
    if (widget == this)
        rebuild = true;
}

Xml::Element* FramebufferBrowser::SaveLayout()
{
    return CreateLayoutElement("framebuffer_browser");
}

}  // namespace Nimbrel::Utils::Studio
