// GL textures, surfaces and framebuffer setups on a real context under Xvfb (Mesa llvmpipe):
// rendering into textures and several colour targets, resolving a 4-sample surface by copy,
// framebuffer objects going with their surfaces, completeness messages, and texture uploads
// read back level by level.
#include "graphics/gl/GLTexture2D.h"

#include "core/Managed.h"
#include "graphics/gl/GLSamplerState.h"
#include "graphics/gl/GLTextureCube.h"
#include "support/Expect.h"
#include "support/GLCallCounter.h"
#include "support/GLTestDevice.h"

#include <gtest/gtest.h>

#include <vector>

namespace gl_texture_test {

using namespace Nimbrel;
using namespace Nimbrel::Graphics;
using Testing::FullScreenQuad;
using Testing::GLCallCounter;
using Testing::GLTestDevice;

using namespace Testing::Rgba;

class GLTextureTest : public ::testing::Test {
protected:
    GLTextureTest() : quad(device.device.Get()), program(Testing::MakeColorProgram(device.device.Get())) {}

    void DrawQuad(float r, float g, float b, const Rect* viewport = nullptr)
    {
        if (viewport)
            device->SetViewports(1, viewport);
        quad.Use(device.device.Get());
        device->SetProgram(program.Get());
        const float color[4] = {r, g, b, 1};
        program->GetParameter("Color")->SetFloat4(1, color);
        device->Draw(0, 6);
    }
    void SetTarget(Surface* color, Surface* depth = nullptr) { device->SetFramebuffer(1, &color, depth); }
    void BackToWindow() { device->SetFramebuffer(0, nullptr, nullptr); }
    // The bytes of level 0 of a texture, rows tightly packed.
    std::vector<unsigned char> TextureBytes(GLTexture2D* texture, GLenum format, int level, int bytes)
    {
        std::vector<unsigned char> out(bytes);
        Graphics::GLFunctions& gl = device.GL();
        gl.BindTexture(texture->GetTarget(), texture->GetTextureName());
        gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(texture->GetTarget(), level, format, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
    GLint LevelParameter(GLenum target, int level, GLenum name)
    {
        GLint value = 0;
        glGetTexLevelParameteriv(target, level, name, &value);
        return value;
    }

    GLTestDevice device{32, 32};
    FullScreenQuad quad;
    Managed<Program> program;
};

TEST_F(GLTextureTest, RenderingIntoATextureThroughAFramebufferSetup)
{
    Managed<Texture2D> texture(device->CreateTexture2D(16, 8, PixelFormatR8G8B8A8, true));
    Managed<Surface> depth(device->CreateSurface(16, 8, PixelFormatDepth24Stencil8, 0));
    SetTarget(texture->GetSurface(0), depth.Get());
    EXPECT_EQ(device->GetColorTargetCount(), 1);
    EXPECT_EQ(device->GetColorTarget(0), texture->GetSurface(0));
    EXPECT_EQ(device->GetDepthStencilTarget(), depth.Get());
    Rect viewport;
    device->GetViewports(1, &viewport);
    EXPECT_EQ(viewport, (Rect{0, 0, 16, 8}));  // the target's size

    device->Clear(ClearColor | ClearDepth, 1, 0, 0, 1, 1, 0);
    const Rect topLeft{0, 0, 8, 4};
    DrawQuad(0, 1, 0, &topLeft);
    EXPECT_EQ(device.ReadPixel(1, 1), Green);
    EXPECT_EQ(device.ReadPixel(7, 3), Green);
    EXPECT_EQ(device.ReadPixel(9, 1), Red);
    EXPECT_EQ(device.ReadPixel(1, 6), Red);

    // The window was not touched.
    BackToWindow();
    EXPECT_EQ(device->GetColorTargetCount(), 0);
    device->GetViewports(1, &viewport);
    EXPECT_EQ(viewport, (Rect{0, 0, 32, 32}));
}

TEST_F(GLTextureTest, EveryColourTargetOfASetupIsWritten)
{
    Managed<Texture2D> first(device->CreateTexture2D(8, 8, PixelFormatR8G8B8A8, true));
    Managed<Texture2D> second(device->CreateTexture2D(8, 8, PixelFormatR8G8B8A8, true));
    Surface* targets[2] = {first->GetSurface(0), second->GetSurface(0)};
    device->SetFramebuffer(2, targets, nullptr);
    device->Clear(ClearColor, 0, 0, 0, 1, 1, 0);
    DrawQuad(1, 0, 0);  // the test program writes the colour to target 0, its bgra to target 1
    SetTarget(targets[0]);
    EXPECT_EQ(device.ReadPixel(4, 4), Red);
    SetTarget(targets[1]);
    EXPECT_EQ(device.ReadPixel(4, 4), Blue);
}

TEST_F(GLTextureTest, CopyingAFourSampleSurfaceResolvesItIntoATexture)
{
    Managed<Surface> multisampled(device->CreateSurface(16, 16, PixelFormatR8G8B8A8, 4));
    Managed<Texture2D> texture(device->CreateTexture2D(16, 16, PixelFormatR8G8B8A8, true));
    SetTarget(multisampled.Get());
    device->Clear(ClearColor | ClearDepth, 0, 0, 0, 1, 1, 0);
    // A triangle over the lower-left half, so the diagonal has partly covered pixels.
    const float corners[] = {-1, -1, 1, -1, -1, 1};
    Managed<VertexBuffer> triangle(device->CreateVertexBuffer(BufferModeStatic, sizeof corners, 8));
    triangle->SetData(corners, 0, 0);
    device->SetVertexBuffer(0, triangle.Get());
    device->SetInputLayout(quad.layout.Get());
    device->SetProgram(program.Get());
    const float white[4] = {1, 1, 1, 1};
    program->GetParameter("Color")->SetFloat4(1, white);
    device->Draw(0, 3);

    const Rect whole{0, 0, 16, 16};
    texture->GetSurface(0)->Copy(multisampled.Get(), whole, whole, FilterPoint);
    EXPECT_EQ(device->GetColorTarget(0), multisampled.Get());  // the copy kept the target

    SetTarget(texture->GetSurface(0));
    EXPECT_EQ(device.ReadPixel(1, 14), 0xffffffffu);  // bottom left: inside
    EXPECT_EQ(device.ReadPixel(14, 1), Black);        // top right: outside
    int partial = 0;
    for (int i = 0; i < 16; ++i) {
        const uint32_t red = device.ReadPixel(i, i) >> 24;  // the hypotenuse crosses these
        partial += red > 0 && red < 255;
    }
    EXPECT_GT(partial, 0) << "no partly covered pixel on the diagonal: nothing was resolved";
}

TEST_F(GLTextureTest, CopyBetweenSurfacesFlipsRectanglesIntoPlace)
{
    Managed<Texture2D> source(device->CreateTexture2D(8, 8, PixelFormatR8G8B8A8, true));
    SetTarget(source->GetSurface(0));
    device->Clear(ClearColor | ClearDepth, 0, 0, 0, 1, 1, 0);
    const Rect topLeft{0, 0, 4, 4};
    DrawQuad(0, 0, 1, &topLeft);
    BackToWindow();
    device->Clear(ClearColor, 1, 0, 0, 1, 1, 0);
    // The source's top-left quarter, scaled up into the window's bottom-right quarter.
    device->GetBackBuffer()->Copy(source->GetSurface(0), topLeft, Rect{16, 16, 32, 32}, FilterPoint);
    EXPECT_EQ(device.ReadPixel(20, 20), Blue);
    EXPECT_EQ(device.ReadPixel(31, 31), Blue);
    EXPECT_EQ(device.ReadPixel(10, 20), Red);
    EXPECT_EQ(device.ReadPixel(20, 10), Red);
}

TEST_F(GLTextureTest, CopyRefusesWhatCannotBeCopied)
{
    Managed<Surface> color(device->CreateSurface(8, 8, PixelFormatR8G8B8A8, 0));
    Managed<Surface> depth16(device->CreateSurface(8, 8, PixelFormatDepth16, 0));
    Managed<Texture2D> plain(device->CreateTexture2D(8, 8, PixelFormatR8G8B8A8, false));
    Managed<Surface> multisampled(device->CreateSurface(8, 8, PixelFormatR8G8B8A8, 4));
    const Rect whole{0, 0, 8, 8};
    EXPECT_THROW_MESSAGE(color->Copy(color.Get(), whole, whole, FilterNone), "Surface::Copy(): invalid filter mode");
    EXPECT_THROW_MESSAGE(color->Copy(depth16.Get(), whole, whole, FilterPoint),
                         "Surface::Copy(): Source/destination buffer is of incompatible types.");
    EXPECT_THROW_MESSAGE(color->Copy(plain->GetSurface(0), whole, whole, FilterPoint),
                         "Surface::Copy(): both source and destination surfaces must be renderable");
    EXPECT_THROW_MESSAGE(color->Copy(multisampled.Get(), whole, Rect{0, 0, 4, 4}, FilterPoint),
                         "Surface::Copy(): A multisampled surface is copied only at its own size");
    EXPECT_THROW_MESSAGE(device->CreateSurface(8, 8, PixelFormatLuminance8, 0), "Unsupported surface format");
}

TEST_F(GLTextureTest, TheSameSetupTwiceMakesNoGLCallAndTheBackBufferIgnoresDepth)
{
    Managed<Texture2D> texture(device->CreateTexture2D(8, 8, PixelFormatR8G8B8A8, true));
    Managed<Surface> depth(device->CreateSurface(8, 8, PixelFormatDepth24Stencil8, 0));
    SetTarget(texture->GetSurface(0), depth.Get());
    {
        GLCallCounter counter(device.GL());
        SetTarget(texture->GetSurface(0), depth.Get());
        EXPECT_EQ(counter.Total(), 0) << counter.Order();
        // Switching back to a known setup makes no new framebuffer object.
        BackToWindow();
        SetTarget(texture->GetSurface(0), depth.Get());
        EXPECT_EQ(counter.Count("glGenFramebuffers"), 0);
    }
    SetTarget(device->GetBackBuffer(), depth.Get());
    GLint bound = -1;
    device.GL().GetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(device->GetDepthStencilTarget(), depth.Get());
}

TEST_F(GLTextureTest, AFramebufferObjectGoesWithItsSurface)
{
    Texture2D* texture = device->CreateTexture2D(8, 8, PixelFormatR8G8B8A8, true);
    SetTarget(texture->GetSurface(0));
    GLCallCounter counter(device.GL());
    texture->Release();  // destroyed while it is the target
    EXPECT_EQ(counter.Count("glDeleteFramebuffers"), 1);
    EXPECT_EQ(device->GetColorTargetCount(), 0);
    GLint bound = -1;
    device.GL().GetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);

    // A new texture as target gets a framebuffer object of its own and is rendered into.
    counter.Reset();
    Managed<Texture2D> next(device->CreateTexture2D(8, 8, PixelFormatR8G8B8A8, true));
    SetTarget(next->GetSurface(0));
    EXPECT_EQ(counter.Count("glGenFramebuffers"), 1);
    device->Clear(ClearColor, 0, 1, 0, 1, 1, 0);
    EXPECT_EQ(device.ReadPixel(3, 3), Green);
}

TEST_F(GLTextureTest, RefusedSetupsGiveTheirMessages)
{
    Managed<Texture2D> depthTexture(device->CreateTexture2D(8, 8, PixelFormatDepth16, true));
    EXPECT_THROW_MESSAGE(SetTarget(depthTexture->GetSurface(0)),
                         "Unable to set framebuffer: Framebuffer has an incomplete attachment\n");
    BackToWindow();

    Managed<Texture2D> texture(device->CreateTexture2D(8, 8, PixelFormatR8G8B8A8, true));
    Surface* withBackBuffer[2] = {texture->GetSurface(0), device->GetBackBuffer()};
    EXPECT_THROW_MESSAGE(device->SetFramebuffer(2, withBackBuffer, nullptr),
                         "Can't bind the back buffer as a color buffer unless it is the only color buffer");
    Surface* many[17] = {};
    EXPECT_THROW_MESSAGE(device->SetFramebuffer(17, many, nullptr),
                         "FramebufferSetup: A framebuffer takes 0 to 16 color surfaces");
    Managed<Surface> colorSurface(device->CreateSurface(8, 8, PixelFormatR8G8B8A8, 0));
    EXPECT_THROW_MESSAGE(device->SetFramebuffer(0, nullptr, device->GetBackBuffer()),
                         "Can't bind the given surface as depth stencil buffer");
}

TEST_F(GLTextureTest, UploadsOfOddWidthsMipLevelsAndCompressedBlocks)
{
    // One-byte texels on rows of 3: read back unsheared.
    Managed<Texture2D> luminance(device->CreateTexture2D(3, 2, PixelFormatLuminance8, false));
    const unsigned char rows[6] = {10, 20, 30, 40, 50, 60};
    luminance->SetData(0, rows, false);
    EXPECT_EQ(TextureBytes(static_cast<GLTexture2D*>(luminance.Get()), GL_LUMINANCE, 0, 6),
              std::vector<unsigned char>(rows, rows + 6));
    EXPECT_THROW_MESSAGE(luminance->GetSurface(0), "Can't get surfaces from PixelFormatLuminance8 textures");

    // Level 1 of an 8 by 4 texture takes 4 by 2 texels.
    Managed<Texture2D> mipmapped(device->CreateTexture2D(8, 4, PixelFormatR8G8B8A8, false));
    std::vector<unsigned char> level1(4 * 2 * 4, 0x77);
    mipmapped->SetData(1, level1.data(), false);
    auto* gl2D = static_cast<GLTexture2D*>(mipmapped.Get());
    device.GL().BindTexture(GL_TEXTURE_2D, gl2D->GetTextureName());
    EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 1, GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(TextureBytes(gl2D, GL_RGBA, 1, 32), level1);
    EXPECT_THROW_MESSAGE(mipmapped->SetData(16, level1.data(), false), "Texture2D::SetData(): Level out of range");
    EXPECT_THROW_MESSAGE(mipmapped->GetSurface(-1), "Texture2D::GetSurface(): Level out of range");

    // DXT1: 8 bytes per 4 by 4 block, through the compressed upload.
    Managed<Texture2D> compressed(device->CreateTexture2D(8, 8, PixelFormatDXT1, false));
    std::vector<unsigned char> blocks(32, 0);
    GLCallCounter counter(device.GL());
    compressed->SetData(0, blocks.data(), false);
    EXPECT_EQ(counter.Count("glCompressedTexImage2D"), 1);
    EXPECT_EQ(counter.Count("glTexImage2D"), 0);
    device.GL().BindTexture(GL_TEXTURE_2D, static_cast<GLTexture2D*>(compressed.Get())->GetTextureName());
    EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED_IMAGE_SIZE), 32);
    EXPECT_EQ(device.GL().GetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GLTextureTest, FormatsKeepTheirSizedInternalFormat)
{
    struct Case {
        PixelFormat format;
        GLenum target;
        GLint internalFormat;
    };
    for (const Case& c : {Case{PixelFormatR8G8B8A8, GL_TEXTURE_2D, GL_RGBA8},
                          Case{PixelFormatFloatR16G16B16A16, GL_TEXTURE_2D, GL_RGBA16F},
                          Case{PixelFormatFloatR32G32B32A32, GL_TEXTURE_2D, GL_RGBA32F},
                          Case{PixelFormatFloatR32, GL_TEXTURE_2D, GL_R32F},
                          Case{PixelFormatFloatR16, GL_TEXTURE_2D, GL_R16F},
                          Case{PixelFormatDepth16, GL_TEXTURE_2D, GL_DEPTH_COMPONENT16}}) {
        Managed<Texture2D> texture(device->CreateTexture2D(4, 4, c.format, false));
        auto* gl2D = static_cast<GLTexture2D*>(texture.Get());
        EXPECT_EQ(gl2D->GetTarget(), c.target) << c.format;
        device.GL().BindTexture(c.target, gl2D->GetTextureName());
        EXPECT_EQ(LevelParameter(c.target, 0, GL_TEXTURE_INTERNAL_FORMAT), c.internalFormat) << c.format;
    }
    // A float texture takes float data at its sized format.
    Managed<Texture2D> floats(device->CreateTexture2D(1, 1, PixelFormatFloatR32G32B32A32, false));
    const float texel[4] = {2.5f, -1, 0, 1};
    floats->SetData(0, texel, false);
    device.GL().BindTexture(GL_TEXTURE_2D, static_cast<GLTexture2D*>(floats.Get())->GetTextureName());
    EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA32F);
    float readBack[4] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, readBack);
    EXPECT_EQ(readBack[0], 2.5f);
    EXPECT_EQ(readBack[1], -1.0f);
}

TEST_F(GLTextureTest, TextureRulesAndMessages)
{
    Managed<Texture2D> texture(device->CreateTexture2D(256, 128, PixelFormatR8G8B8A8, false));
    Surface* level2 = texture->GetSurface(2);
    EXPECT_EQ(level2->GetWidth(), 64);
    EXPECT_EQ(level2->GetHeight(), 32);
    EXPECT_EQ(texture->GetSurface(2), level2);
    EXPECT_EQ(texture->GetTextureType(), TextureType2D);

    Managed<Texture2D> renderable(device->CreateTexture2D(4, 4, PixelFormatR8G8B8A8, true));
    const unsigned char data[64] = {};
    EXPECT_THROW_MESSAGE(renderable->SetData(0, data, false), "SetData() not allowed on renderable textures");
    Managed<Texture2D> half(device->CreateTexture2D(4, 4, PixelFormatFloatR16G16B16A16, false));
    EXPECT_THROW_MESSAGE(half->SetData(0, data, false),
                         "OpenGL implementation does not support SetData() on PixelFormatFloatR16G16B16A16 textures (yet)");
    EXPECT_THROW_MESSAGE(device->CreateTexture2D(4, 4, static_cast<PixelFormat>(11), false), "Invalid texture pixel type enum");
    EXPECT_THROW(device->CreateTexture2D(0, 4, PixelFormatR8G8B8A8, false), Exception);

    EXPECT_THROW_MESSAGE(device->CreateTextureCube(4, PixelFormatFloatR16, false), "PixelFormatFloatR16 not supported (yet)");
    EXPECT_THROW_MESSAGE(device->CreateTextureCube(4, PixelFormatFloatR32, false), "PixelFormatFloatR32 not supported (yet)");
    Managed<TextureCube> cube(device->CreateTextureCube(8, PixelFormatR8G8B8A8, false));
    EXPECT_EQ(cube->GetTextureType(), TextureTypeCube);
    EXPECT_THROW_MESSAGE(cube->GetSurface(static_cast<TextureFace>(6), 0), "Invalid texture face enum");
    EXPECT_THROW_MESSAGE(cube->SetData(FacePositiveX, 16, data, false), "TextureCube::SetData(): Level out of range");
    Surface* face = cube->GetSurface(FaceNegativeY, 1);
    EXPECT_EQ(face->GetWidth(), 4);
    EXPECT_EQ(cube->GetSurface(FaceNegativeY, 1), face);
}

TEST_F(GLTextureTest, RenderingIntoACubeFace)
{
    Managed<TextureCube> cube(device->CreateTextureCube(8, PixelFormatR8G8B8A8, true));
    SetTarget(cube->GetSurface(FacePositiveZ, 0));
    device->Clear(ClearColor | ClearDepth, 0, 0, 1, 1, 1, 0);
    EXPECT_EQ(device.ReadPixel(4, 4), Blue);
    SetTarget(cube->GetSurface(FaceNegativeX, 0));
    device->Clear(ClearColor, 1, 0, 0, 1, 1, 0);
    SetTarget(cube->GetSurface(FacePositiveZ, 0));
    EXPECT_EQ(device.ReadPixel(4, 4), Blue);
}

TEST_F(GLTextureTest, SamplerStatesTranslateTheirFilters)
{
    struct Case {
        Filter min, mip, mag;
        AddressMode u;
        GLenum minCode, magCode, wrapCode;
    };
    for (const Case& c : {Case{FilterLinear, FilterPoint, FilterLinear, AddressWrap, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_REPEAT},
                          Case{FilterLinear, FilterLinear, FilterPoint, AddressClamp, GL_LINEAR_MIPMAP_LINEAR, GL_NEAREST, GL_CLAMP},
                          Case{FilterPoint, FilterPoint, FilterLinear, AddressWrap, GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR, GL_REPEAT},
                          Case{FilterPoint, FilterLinear, FilterLinear, AddressWrap, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT},
                          Case{FilterPoint, FilterNone, FilterLinear, AddressWrap, GL_NEAREST, GL_LINEAR, GL_REPEAT},
                          Case{FilterLinear, FilterNone, FilterLinear, AddressWrap, GL_LINEAR, GL_LINEAR, GL_REPEAT}}) {
        SamplerStateDescriptor d;
        d.minFilter = c.min;
        d.mipFilter = c.mip;
        d.magFilter = c.mag;
        d.addressU = c.u;
        Managed<SamplerState> state(device->CreateSamplerState(d));
        auto* sampler = static_cast<GLSamplerState*>(state.Get());
        EXPECT_EQ(sampler->GetMinFilter(), c.minCode);
        EXPECT_EQ(sampler->GetMagFilter(), c.magCode);
        EXPECT_EQ(sampler->GetWrapS(), c.wrapCode);
        EXPECT_EQ(sampler->GetWrapT(), static_cast<GLenum>(GL_REPEAT));
    }
}

}  // namespace gl_texture_test
