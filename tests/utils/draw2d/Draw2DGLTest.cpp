// The overlay under Xvfb: text in DejaVu Sans over a colour quad, drawn by the blitter through
// the Default2DEffect as the Studio draws it, and a texture through the painter.

#include "support/CgGLWindow.h"
#include "support/MemoryFileSystem.h"
#include "support/PngFile.h"
#include "support/SDLVideo.h"
#include "utils/Bitmap2D.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/draw2d/Default2DEffect.h"
#include "utils/draw2d/GraphicsDeviceBlitter.h"
#include "utils/draw2d/Painter.h"
#include "utils/typography/FontFace.h"
#include "utils/typography/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Testing::Frame;
using Testing::Rgb;

namespace draw2d_gl_test {

constexpr int Width = 320;
constexpr int Height = 120;
const Rgb Clear = {0, 0, 0};
const Rgb Panel = {40, 60, 160};

class Draw2DGLTest : public Testing::CgGLWindow {
protected:
    void SetUp() override
    {
        Open(Width, Height);
        std::ifstream file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
        (*files)["DejaVuSans.ttf"].assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        proxy->SetFileSystem(files.Get());
        face.Set(static_cast<Typography::FontFace*>(proxy->Get(ResourceType::FontFace, "DejaVuSans.ttf:32")));
        blitter.Set(new Draw2D::GraphicsDeviceBlitter(device.Get(), 1000));
        effect.Set(new Effects::Default2DEffect(device.Get()));
    }
    void TearDown() override
    {
        effect.Set(nullptr);
        blitter.Set(nullptr);
        CgGLWindow::TearDown();
    }

    // The overlay's frame as the Studio composes it: premultiplied blending, linear filtering
    // without mipmaps, the atlas as the diffuse map.
    Frame DrawOverlay(std::initializer_list<Typography::Text*> texts, Draw2D::Blitter::Quads* background)
    {
        device->Clear(Graphics::ClearColor, 0, 0, 0, 1, 1, 0);
        blitter->Begin();
        blitter->DrawQuads(background);
        for (Typography::Text* text : texts)
            text->Draw();
        blitter->End();
        Graphics::BlendStateDescriptor blend;
        blend.blendEnable = true;
        blend.srcBlend = blend.srcBlendAlpha = Graphics::BlendOne;
        blend.destBlend = blend.destBlendAlpha = Graphics::BlendInvSrcAlpha;
        Graphics::SamplerStateDescriptor sampler;
        sampler.mipFilter = Graphics::FilterNone;
        state->blendStates.Push(blend);
        state->diffuseSamplers.Push(sampler);
        state->diffuseMaps.Push(blitter->GetTexture());
        effect->Render(*blitter, *state);
        state->diffuseMaps.Pop();
        state->diffuseSamplers.Pop();
        state->blendStates.Pop();
        return ReadFrame();
    }

    Managed<Draw2D::Blitter::Quads> PanelQuad()
    {
        Draw2D::Quad quad;
        quad.x = 10;
        quad.y = 10;
        quad.width = Width - 20;
        quad.height = Height - 20;
        quad.clipRight = Width;
        quad.clipBottom = Height;
        quad.color = Draw2D::PackColor(uint8_t(Panel[0]), uint8_t(Panel[1]), uint8_t(Panel[2]));
        return Managed<Draw2D::Blitter::Quads>(blitter->CreateQuads(1, &quad));
    }

    // What a white glyph of the face over the panel gives at each pixel of the text: the
    // panel blended with white by the glyph's coverage, where the clip lets it through.
    struct Expected {
        int x, y;
        Rgb colour;
        int coverage;
    };
    std::vector<Expected> GlyphPixels(const char* string, int x, int y, int clipRight)
    {
        std::vector<Expected> pixels;
        int penX = x;
        const int penY = y + face->GetAscender();
        for (const char* c = string; *c; ++c) {
            const unsigned char code = static_cast<unsigned char>(*c);
            const Bitmap2D* glyph = face->GetGlyph(code);
            const Math::Vector2t<int> offset = face->GetOffset(code);
            for (int gy = 0; glyph && gy < glyph->GetHeight(); ++gy) {
                for (int gx = 0; gx < glyph->GetWidth(); ++gx) {
                    const int px = penX + offset.x + gx;
                    const int py = penY + offset.y + gy;
                    if (px >= clipRight)
                        continue;
                    // Bitmaps are stored bottom row first.
                    const int a = glyph->GetData()[(glyph->GetHeight() - 1 - gy) * glyph->GetWidth() + gx];
                    Rgb colour;
                    for (int i = 0; i < 3; ++i)
                        colour[i] = (255 * a + Panel[i] * (255 - a)) / 255;
                    pixels.push_back({px, py, colour, a});
                }
            }
            penX += face->GetAdvance(code);
        }
        return pixels;
    }

    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
    Managed<Typography::FontFace> face;
    Managed<Draw2D::GraphicsDeviceBlitter> blitter;
    Managed<Effects::Default2DEffect> effect;
};

TEST_F(Draw2DGLTest, DrawsTextInDejaVuSansOverAColourQuad)
{
    Managed<Draw2D::Blitter::Quads> panel = PanelQuad();
    const char* const hello = "Hello, \xE9";  // "é" in Latin-1
    Managed<Typography::Text> text(new Typography::Text(blitter.Get(), face.Get(), 0xffffffff, hello, 24, 30, 0, 0,
                                                        Width, Height, Draw2D::Blitter::PinPrintableGlyphs));
    const Frame frame = DrawOverlay({text.Get()}, panel.Get());
    const auto picture = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "draw2d-hello.png";
    Testing::WritePng(picture.string(), frame.width, frame.height, frame.rgb);

    EXPECT_EQ(frame.At(2, 2), Clear) << "outside the panel";
    EXPECT_TRUE(Testing::Near(frame.At(15, Height - 15), Panel, 1)) << Testing::ToText(frame.At(15, Height - 15));

    // Every pixel of every glyph where the layout puts it.
    const std::vector<Expected> pixels = GlyphPixels(hello, 24, 30, Width);
    int inked = 0;
    int wrong = 0;
    for (const Expected& p : pixels) {
        inked += p.coverage == 255;
        if (!Testing::Near(frame.At(p.x, p.y), p.colour, 12) && ++wrong <= 5)
            ADD_FAILURE() << "(" << p.x << ", " << p.y << ") is " << Testing::ToText(frame.At(p.x, p.y))
                          << ", expected " << Testing::ToText(p.colour);
    }
    EXPECT_GT(inked, 200);
    EXPECT_EQ(wrong, 0) << "of " << pixels.size() << " glyph pixels";

    // The accent of the "é", above where the "e" of "Hello" reaches: white pixels there.
    const int eTop = 30 + face->GetAscender() + face->GetOffset('e').y;
    int accent = 0;
    for (const Expected& p : pixels)
        accent += p.y < eTop && p.x > 24 + text->GetSize().x - face->GetAdvance(0xE9) && p.coverage == 255;
    EXPECT_GT(accent, 3);
}

TEST_F(Draw2DGLTest, AClippedGlyphIsCutNotSqueezed)
{
    Managed<Draw2D::Blitter::Quads> panel = PanelQuad();
    const int clipRight = 24 + face->GetAdvance('H') / 2;
    Managed<Typography::Text> text(new Typography::Text(blitter.Get(), face.Get(), 0xffffffff, "HH", 24, 30, 0, 0,
                                                        clipRight, Height, Draw2D::Blitter::PinAllGlyphs));
    const Frame frame = DrawOverlay({text.Get()}, panel.Get());
    int wrong = 0;
    for (const Expected& p : GlyphPixels("HH", 24, 30, clipRight))
        wrong += !Testing::Near(frame.At(p.x, p.y), p.colour, 12);
    EXPECT_EQ(wrong, 0);
    for (int y = 30; y < 30 + face->GetLineHeight(); ++y)
        for (int x = clipRight; x < 24 + 2 * face->GetAdvance('H'); ++x)
            ASSERT_TRUE(Testing::Near(frame.At(x, y), Panel, 1)) << "(" << x << ", " << y << ") past the clip";
}

// The first frame uploads the quads from the first one on; quads made afterwards from glyphs
// already in the atlas lie beyond that upload and must still fit the vertex buffer.
TEST_F(Draw2DGLTest, QuadsMadeAfterTheFirstFrameAreDrawnToo)
{
    Managed<Draw2D::Blitter::Quads> panel = PanelQuad();
    Managed<Typography::Text> first(new Typography::Text(blitter.Get(), face.Get(), 0xffffffff, "HH", 24, 30, 0, 0,
                                                         Width, Height, Draw2D::Blitter::PinAllGlyphs));
    DrawOverlay({first.Get()}, panel.Get());
    Managed<Typography::Text> later(new Typography::Text(blitter.Get(), face.Get(), 0xffffffff, "HH", 160, 30, 0, 0,
                                                         Width, Height, Draw2D::Blitter::PinAllGlyphs));
    const Frame frame = DrawOverlay({first.Get(), later.Get()}, panel.Get());
    int wrong = 0;
    for (const Expected& p : GlyphPixels("HH", 160, 30, Width))
        wrong += !Testing::Near(frame.At(p.x, p.y), p.colour, 12);
    EXPECT_EQ(wrong, 0);
}

TEST_F(Draw2DGLTest, ThePainterDrawsATextureWithItsFirstRowAtTheTop)
{
    Managed<Graphics::Texture2D> texture(device->CreateTexture2D(2, 2, Graphics::PixelFormatR8G8B8A8, false));
    const uint8_t texels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    texture->SetData(0, texels, false);
    Managed<Draw2D::Painter> painter(new Draw2D::Painter(device.Get()));
    Graphics::SamplerStateDescriptor point;
    point.magFilter = point.minFilter = Graphics::FilterPoint;
    point.mipFilter = Graphics::FilterNone;
    painter->GetState().diffuseSamplers.Push(point);
    device->Clear(Graphics::ClearColor, 0, 0, 0, 1, 1, 0);
    painter->DrawTexture(texture.Get(), 100, 20, 80, 60);
    const Frame frame = ReadFrame();
    EXPECT_EQ(frame.At(120, 35), (Rgb{255, 0, 0}));
    EXPECT_EQ(frame.At(160, 35), (Rgb{0, 255, 0}));
    EXPECT_EQ(frame.At(120, 65), (Rgb{0, 0, 255}));
    EXPECT_EQ(frame.At(160, 65), (Rgb{255, 255, 255}));
    EXPECT_EQ(frame.At(99, 50), Clear);
    EXPECT_EQ(frame.At(180, 50), Clear);
}

}  // namespace draw2d_gl_test
