// The GL device's pipeline state on a real context under Xvfb (Mesa llvmpipe): state caches,
// lazy application counted in OpenGL calls, viewports with their y-flip, Clear against the
// masks a draw left, draw-time errors and listeners. Pixels are read back from small windows.
#include "graphics/gl/GLDevice.h"

#include "core/Managed.h"
#include "platform/SDLWindow.h"
#include "support/Expect.h"
#include "support/GLCallCounter.h"
#include "support/GLTestDevice.h"
#include "support/WaitFor.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace gl_device_state_test {

using namespace Nimbrel;
using namespace Nimbrel::Graphics;
using Testing::FullScreenQuad;
using Testing::GLCallCounter;
using Testing::GLTestDevice;

using namespace Testing::Rgba;

class GLDeviceStateTest : public ::testing::Test {
protected:
    GLDeviceStateTest() : quad(device.device.Get()), program(Testing::MakeColorProgram(device.device.Get())) {}

    void UseColor(float r, float g, float b)
    {
        device->SetProgram(program.Get());
        const float color[4] = {r, g, b, 1};
        program->GetParameter("Color")->SetFloat4(1, color);
    }
    void ClearTo(float r, float g, float b) { device->Clear(ClearColor | ClearDepth | ClearStencil, r, g, b, 1, 1, 0); }

    GLTestDevice device{32, 32};
    FullScreenQuad quad;
    Managed<Program> program;
};

TEST_F(GLDeviceStateTest, ClearFillsTheBackBufferWithTheColour)
{
    ClearTo(0, 0, 1);
    EXPECT_EQ(device.ReadPixel(0, 0), Blue);
    EXPECT_EQ(device.ReadPixel(31, 31), Blue);
    ClearTo(1, 0, 0);
    EXPECT_EQ(device.ReadPixel(16, 16), Red);
}

TEST_F(GLDeviceStateTest, ViewportOverTheTopLeftQuarterFillsOnlyThatQuarter)
{
    ClearTo(0, 0, 0);
    const Rect topLeft{0, 0, 16, 16};
    device->SetViewports(1, &topLeft);
    quad.Use(device.device.Get());
    UseColor(0, 1, 0);
    device->Draw(0, 6);
    EXPECT_EQ(device.ReadPixel(2, 2), Green);      // top left
    EXPECT_EQ(device.ReadPixel(15, 15), Green);
    EXPECT_EQ(device.ReadPixel(20, 2), Black);     // top right
    EXPECT_EQ(device.ReadPixel(2, 20), Black);     // bottom left
    EXPECT_EQ(device.ReadPixel(20, 20), Black);    // bottom right

    Rect read[1];
    EXPECT_EQ(device->GetViewports(1, read), 1);
    EXPECT_EQ(read[0], topLeft);
}

TEST_F(GLDeviceStateTest, EqualDescriptorsGiveTheIdenticalStateObject)
{
    BlendStateDescriptor blend;
    blend.blendEnable = true;
    Managed<BlendState> first(device->CreateBlendState(blend));
    Managed<BlendState> second(device->CreateBlendState(blend));
    EXPECT_EQ(first.Get(), second.Get());
    blend.writeAlpha = false;
    Managed<BlendState> other(device->CreateBlendState(blend));
    EXPECT_NE(first.Get(), other.Get());

    SamplerStateDescriptor sampler;
    Managed<SamplerState> plain(device->CreateSamplerState(sampler));
    sampler.addressW = AddressClamp;  // not read by the backend, still a different key
    Managed<SamplerState> clampedW(device->CreateSamplerState(sampler));
    EXPECT_NE(plain.Get(), clampedW.Get());
    EXPECT_EQ(Managed<SamplerState>(device->CreateSamplerState(SamplerStateDescriptor())).Get(), plain.Get());

    DepthStencilStateDescriptor depth;
    EXPECT_EQ(Managed<DepthStencilState>(device->CreateDepthStencilState(depth)).Get(),
              Managed<DepthStencilState>(device->CreateDepthStencilState(depth)).Get());
    RasterizerStateDescriptor rasterizer;
    EXPECT_EQ(Managed<RasterizerState>(device->CreateRasterizerState(rasterizer)).Get(),
              Managed<RasterizerState>(device->CreateRasterizerState(rasterizer)).Get());
}

TEST_F(GLDeviceStateTest, InstallingTheDefaultStateAgainHoldsOneReferenceToIt)
{
    BlendState* blend = device->GetBlendState();
    const int32_t blendCount = blend->GetRefCount();
    SemanticMap* first = device->GetSemanticMap();
    first->AddRef();
    Managed<SemanticMap> previous(first);
    device->InstallDefaultState();
    EXPECT_EQ(device->GetBlendState(), blend);  // the cached state, held once by the defaults
    EXPECT_EQ(blend->GetRefCount(), blendCount);
    EXPECT_NE(device->GetSemanticMap(), first);
    EXPECT_EQ(first->GetRefCount(), 1);  // only ours: the device let the old map go
}

TEST_F(GLDeviceStateTest, InvalidDescriptorsAreRefusedAndNotCached)
{
    BlendStateDescriptor blend;
    blend.destBlend = static_cast<BlendOperand>(10);
    EXPECT_THROW_MESSAGE(device->CreateBlendState(blend), "Invalid blend operand enum");
    DepthStencilStateDescriptor depth;
    depth.depthFunc = static_cast<CompareFunction>(8);
    EXPECT_THROW_MESSAGE(device->CreateDepthStencilState(depth), "Invalid compare function enum");
    depth = DepthStencilStateDescriptor();
    depth.stencilPass = static_cast<StencilOperation>(-1);
    EXPECT_THROW_MESSAGE(device->CreateDepthStencilState(depth), "Invalid stencil operation enum");
    EXPECT_THROW_MESSAGE(device->SetPrimitiveType(static_cast<PrimitiveType>(5)), "Invalid primitive type enum");

    struct SamplerCase {
        Filter min, mag, mip;
        int anisotropy;
        const char* message;
    };
    for (const SamplerCase& c : {
             SamplerCase{FilterLinear, FilterLinear, FilterLinear, 0, "Max anisotropy less than 1"},
             SamplerCase{FilterAnisotropic, FilterLinear, FilterLinear, 1, "GL backend does not support anisotropic filtering (yet)"},
             SamplerCase{FilterLinear, FilterAnisotropic, FilterLinear, 1, "GL backend does not support anisotropic filtering (yet)"},
             SamplerCase{FilterLinear, FilterLinear, FilterAnisotropic, 1, "Anisotropic filtering not valid for MipFilter"},
             SamplerCase{FilterNone, FilterLinear, FilterLinear, 1, "Illegal filter mode enum"},
             SamplerCase{FilterLinear, FilterNone, FilterLinear, 1, "Illegal filter mode enum"},
         }) {
        SamplerStateDescriptor sampler;
        sampler.minFilter = c.min;
        sampler.magFilter = c.mag;
        sampler.mipFilter = c.mip;
        sampler.maxAnisotropy = c.anisotropy;
        EXPECT_THROW_MESSAGE(device->CreateSamplerState(sampler), c.message);
    }
    SamplerStateDescriptor sampler;
    sampler.addressV = static_cast<AddressMode>(2);
    EXPECT_THROW_MESSAGE(device->CreateSamplerState(sampler), "Illegal filter mode enum");
}

TEST_F(GLDeviceStateTest, SettingTheSameStateLayoutOrFramebufferAgainMakesNoGLCall)
{
    ClearTo(0, 0, 0);
    quad.Use(device.device.Get());
    UseColor(1, 0, 0);
    device->Draw(0, 6);

    GLCallCounter counter(device.GL());
    device->SetBlendState(device->GetBlendState());
    device->SetDepthStencilState(device->GetDepthStencilState());
    device->SetRasterizerState(device->GetRasterizerState());
    device->SetInputLayout(quad.layout.Get());
    device->SetSemanticMap(device->GetSemanticMap());
    device->SetPrimitiveType(PrimitiveTriangles);
    device->SetFramebuffer(0, nullptr, nullptr);
    EXPECT_EQ(counter.Total(), 0) << counter.Order();
    device->Draw(0, 6);
    EXPECT_EQ(counter.Order(), "glDrawArrays");

    // A new blend state is applied at the next draw, and only it.
    counter.Reset();
    BlendStateDescriptor blend;
    blend.blendEnable = true;
    Managed<BlendState> blending(device->CreateBlendState(blend));
    device->SetBlendState(blending.Get());
    EXPECT_EQ(counter.Total(), 0);
    device->Draw(0, 6);
    EXPECT_EQ(counter.Order(), "glEnable glBlendFuncSeparate glColorMask glDrawArrays");
}

TEST_F(GLDeviceStateTest, AVertexBufferSetOnAStreamMakesTheNextDrawApplyTheLayoutAgain)
{
    quad.Use(device.device.Get());
    UseColor(1, 0, 0);
    device->Draw(0, 6);
    GLCallCounter counter(device.GL());
    device->SetVertexBuffer(0, quad.vertices.Get());
    EXPECT_EQ(counter.Count("glDisableVertexAttribArray"), 1);
    device->Draw(0, 6);
    EXPECT_EQ(counter.Count("glEnableVertexAttribArray"), 1);
    EXPECT_EQ(counter.Count("glVertexAttribPointer"), 1);
}

TEST_F(GLDeviceStateTest, ANewSemanticMapIsHandedToTheShadingContextAtTheNextDraw)
{
    quad.Use(device.device.Get());
    UseColor(1, 0, 0);
    device->Draw(0, 6);
    EXPECT_EQ(device.shading->semanticMap, device->GetSemanticMap());
    String names[16];
    names[0] = "POS";
    Managed<SemanticMap> other(device->CreateSemanticMap(names));
    device->SetSemanticMap(other.Get());
    EXPECT_NE(device.shading->semanticMap, other.Get());
    device->Draw(0, 6);
    EXPECT_EQ(device.shading->semanticMap, other.Get());
}

TEST_F(GLDeviceStateTest, DrawingWithoutProgramLayoutOrIndexBufferThrows)
{
    quad.Use(device.device.Get());
    EXPECT_THROW_MESSAGE(device->Draw(0, 6), "Attempting to draw something with no Program set");
    device->SetProgram(program.Get());
    device->SetInputLayout(nullptr);
    EXPECT_THROW_MESSAGE(device->Draw(0, 6), "Attempting to draw something with no InputLayout set");
    device->SetInputLayout(quad.layout.Get());
    EXPECT_THROW_MESSAGE(device->DrawIndexed(0, 6, 0, 5), "Can not draw indexed geometry without an index buffer");

    // A layout reading a stream with no buffer fails at the draw, not at creation.
    InputElement fromStream3;
    fromStream3.semantic = 3;
    fromStream3.stream = 3;
    fromStream3.components = 4;
    Managed<InputLayout> layout(device->CreateInputLayout(&fromStream3, 1));
    device->SetInputLayout(layout.Get());
    EXPECT_THROW_MESSAGE(device->Draw(0, 6),
                         "The current InputLayout reads from stream which has no bound VertexBuffer.");
}

TEST_F(GLDeviceStateTest, DrawsThatWouldReadPastABufferThrow)
{
    quad.Use(device.device.Get());
    UseColor(1, 0, 0);
    EXPECT_THROW_MESSAGE(device->Draw(1, 6), "Draw(): The vertices drawn reach past the end of a vertex buffer");
    Managed<IndexBuffer> indices(device->CreateIndexBuffer(BufferModeStatic, 12, 2));
    const uint16_t values[6] = {0, 1, 2, 3, 4, 5};
    indices->SetData(values, 0, 0);
    device->SetIndexBuffer(indices.Get());
    EXPECT_THROW_MESSAGE(device->DrawIndexed(1, 6, 0, 5),
                         "DrawIndexed(): The indices drawn reach past the end of the index buffer");
    ClearTo(0, 0, 0);
    device->DrawIndexed(0, 6, 0, 5);
    EXPECT_EQ(device.ReadPixel(5, 5), Red);
}

TEST_F(GLDeviceStateTest, ClearIgnoresTheMasksAndScissorTheLastDrawLeft)
{
    BlendStateDescriptor noColor;
    noColor.writeRed = noColor.writeGreen = noColor.writeBlue = noColor.writeAlpha = false;
    Managed<BlendState> blend(device->CreateBlendState(noColor));
    RasterizerStateDescriptor scissored;
    scissored.scissorEnable = true;
    Managed<RasterizerState> rasterizer(device->CreateRasterizerState(scissored));
    DepthStencilStateDescriptor noDepthWrite;
    noDepthWrite.depthEnable = true;
    noDepthWrite.depthWriteEnable = false;
    Managed<DepthStencilState> depth(device->CreateDepthStencilState(noDepthWrite));
    const Rect corner{0, 0, 4, 4};
    device->SetScissorRects(1, &corner);
    device->SetBlendState(blend.Get());
    device->SetRasterizerState(rasterizer.Get());
    device->SetDepthStencilState(depth.Get());
    quad.Use(device.device.Get());
    UseColor(1, 0, 0);
    device->Draw(0, 6);

    ClearTo(0, 1, 0);
    EXPECT_EQ(device.ReadPixel(0, 0), Green);
    EXPECT_EQ(device.ReadPixel(30, 30), Green);  // outside the scissor rectangle

    // The next draw puts the state back: nothing is written through the closed mask.
    device->Draw(0, 6);
    EXPECT_EQ(device.ReadPixel(1, 1), Green);
    // A depth clear after that draw opens the depth mask the draw closed.
    GLCallCounter counter(device.GL());
    device->Clear(ClearDepth, 0, 0, 0, 0, 0.25f, 0);
    EXPECT_EQ(counter.Count("glDepthMask"), 1);
}

TEST_F(GLDeviceStateTest, ScissorRectangleWaitsUntilTheTestIsOn)
{
    ClearTo(0, 0, 0);
    quad.Use(device.device.Get());
    UseColor(0, 0, 1);
    const Rect bottomRight{24, 24, 32, 32};
    device->SetScissorRects(1, &bottomRight);
    GLCallCounter counter(device.GL());
    device->Draw(0, 6);  // test off: the rectangle is not applied yet
    EXPECT_EQ(counter.Count("glScissor"), 0);
    EXPECT_EQ(device.ReadPixel(2, 2), Blue);

    ClearTo(0, 0, 0);
    RasterizerStateDescriptor scissored;
    scissored.scissorEnable = true;
    scissored.cullMode = CullBack;
    Managed<RasterizerState> rasterizer(device->CreateRasterizerState(scissored));
    device->SetRasterizerState(rasterizer.Get());
    device->Draw(0, 6);
    EXPECT_EQ(counter.Count("glScissor"), 1);
    EXPECT_EQ(device.ReadPixel(2, 2), Black);
    EXPECT_EQ(device.ReadPixel(28, 28), Blue);
}

TEST_F(GLDeviceStateTest, BackOnTheBackBufferTheScissorIsMeasuredInItsHeight)
{
    RasterizerStateDescriptor scissored;
    scissored.scissorEnable = true;
    Managed<RasterizerState> rasterizer(device->CreateRasterizerState(scissored));
    device->SetRasterizerState(rasterizer.Get());
    const Rect topLeft{0, 0, 8, 8};
    device->SetScissorRects(1, &topLeft);
    quad.Use(device.device.Get());
    UseColor(0, 1, 0);

    // Drawn on a target half the back buffer's height: the rectangle is converted with 16.
    Managed<Surface> target(device->CreateSurface(16, 16, PixelFormatR8G8B8A8, 0));
    Surface* colors[1] = {target.Get()};
    device->SetFramebuffer(1, colors, nullptr);
    device->Draw(0, 6);
    EXPECT_EQ(device.ReadPixel(2, 2), Green);

    for (Surface* back : {device->GetBackBuffer(), static_cast<Surface*>(nullptr)}) {
        device->SetFramebuffer(1, colors, nullptr);
        device->Draw(0, 6);
        device->SetFramebuffer(back ? 1 : 0, &back, nullptr);
        ClearTo(0, 0, 0);
        device->Draw(0, 6);
        EXPECT_EQ(device.ReadPixel(2, 2), Green);
        EXPECT_EQ(device.ReadPixel(2, 20), Black);
    }
}

TEST(GLDeviceBackBuffer, FullScreenTheBackBufferHasTheDrawablesSize)
{
    // Under Xvfb SDL gives a full-screen window the screen's size whatever size it asked for.
    GLTestDevice device(32, 32, Graphics::DepthStencilFormatD24S8, 0, true);
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(static_cast<SDLWindow*>(device.window.Get())->GetSDLWindow(), &width, &height);
    ASSERT_GT(width, 32);
    EXPECT_EQ(device->GetBackBuffer()->GetWidth(), width);
    EXPECT_EQ(device->GetBackBuffer()->GetHeight(), height);
    Rect viewport;
    device->GetViewports(1, &viewport);
    EXPECT_EQ(viewport, (Rect{0, 0, width, height}));

    // (Xvfb leaves the X window itself at the size asked for, so what is drawn there is
    // judged on a resized window below.)
}

TEST(GLDeviceBackBuffer, AResizedDrawableResizesTheBackBufferAtPresent)
{
    GLTestDevice device(32, 32);
    // A scissored draw over the top-left corner before the resize.
    RasterizerStateDescriptor scissored;
    scissored.scissorEnable = true;
    Managed<RasterizerState> rasterizer(device->CreateRasterizerState(scissored));
    device->SetRasterizerState(rasterizer.Get());
    const Rect topLeft{0, 0, 8, 8};
    device->SetScissorRects(1, &topLeft);
    Managed<Program> program(Testing::MakeColorProgram(device.device.Get()));
    FullScreenQuad quad(device.device.Get());
    quad.Use(device.device.Get());
    device->SetProgram(program.Get());
    const float green[4] = {0, 1, 0, 1};
    program->GetParameter("Color")->SetFloat4(1, green);
    device->Draw(0, 6);

    SDL_Window* window = static_cast<SDLWindow*>(device.window.Get())->GetSDLWindow();
    SDL_SetWindowSize(window, 48, 40);
    // The window system answers in its own time: present until the drawable has changed.
    int width = 0;
    int height = 0;
    Testing::WaitFor(
        [&] {
            SDL_GL_GetDrawableSize(window, &width, &height);
            return width == 48 && height == 40 && device->GetBackBuffer()->GetHeight() == 40;
        },
        [&] { device->Present(); });
    ASSERT_EQ(width, 48);
    EXPECT_EQ(device->GetBackBuffer()->GetWidth(), 48);
    EXPECT_EQ(device->GetBackBuffer()->GetHeight(), 40);

    // Viewport (still 32 by 32) and scissor are converted with the new height: both stay at
    // the top left.
    device->Clear(ClearColor | ClearDepth, 0, 0, 0, 1, 1, 0);
    device->Draw(0, 6);
    EXPECT_EQ(device.ReadPixel(2, 2), Green);
    EXPECT_EQ(device.ReadPixel(2, 12), Black);
    EXPECT_EQ(device.ReadPixel(12, 2), Black);
}

TEST_F(GLDeviceStateTest, ViewportAndScissorCountsBeyondOneThrowAndZeroTouchesNothing)
{
    const Rect first{1, 2, 3, 4};
    device->SetViewports(1, &first);
    const Rect two[2] = {{0, 0, 8, 8}, {8, 8, 16, 16}};
    EXPECT_THROW_MESSAGE(device->SetViewports(2, two), "This backend does not support multiple viewports");
    EXPECT_THROW_MESSAGE(device->SetScissorRects(2, two), "This backend does not support multiple scissor rectangles");
    device->SetViewports(0, nullptr);
    device->SetScissorRects(0, nullptr);
    Rect out{9, 9, 9, 9};
    EXPECT_EQ(device->GetViewports(0, &out), 1);
    EXPECT_EQ(out, (Rect{9, 9, 9, 9}));
    EXPECT_EQ(device->GetViewports(1, &out), 1);
    EXPECT_EQ(out, first);
    EXPECT_EQ(device->GetScissorRects(1, &out), 1);
    EXPECT_EQ(out, (Rect{0, 0, 32, 32}));
}

TEST_F(GLDeviceStateTest, DrawCallListenersAreToldInOrderAndCapped)
{
    struct Listener : DrawCallListener {
        std::string* log;
        char mark;
        void OnDrawCall() override { *log += mark; }
    };
    std::string log;
    Listener listeners[17];
    for (int i = 0; i < 17; ++i) {
        listeners[i].log = &log;
        listeners[i].mark = static_cast<char>('a' + i);
    }
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(device->AddDrawCallListener(&listeners[i]), i + 1);
    EXPECT_THROW_MESSAGE(device->AddDrawCallListener(&listeners[16]), "Too many draw call listeners");
    for (int i = 3; i < 16; ++i)
        device->RemoveDrawCallListener(&listeners[i]);
    device->RemoveDrawCallListener(&listeners[16]);  // not registered: ignored
    device->RemoveDrawCallListener(&listeners[1]);

    quad.Use(device.device.Get());
    UseColor(1, 0, 0);
    device->Draw(0, 6);
    EXPECT_EQ(log, "ac");
    // Listeners hear of a draw even when it then fails.
    device->SetProgram(nullptr);
    EXPECT_THROW(device->Draw(0, 6), Exception);
    EXPECT_EQ(log, "acac");
}

TEST_F(GLDeviceStateTest, QueriesOfTheGLBackend)
{
    EXPECT_THROW_MESSAGE(device->CreateTexture3D(4, 4, 4, PixelFormatR8G8B8A8, false),
                         "This backend does not support 3d textures");
    EXPECT_EQ(device->GetBackBuffer()->GetWidth(), 32);
    EXPECT_EQ(device->GetBackBuffer()->GetHeight(), 32);
    EXPECT_EQ(device->GetPrimitiveType(), PrimitiveTriangles);
    EXPECT_EQ(device->GetColorTargetCount(), 0);
    EXPECT_EQ(device->GetDepthStencilTarget(), nullptr);
    EXPECT_THROW_MESSAGE(device->SetVertexBuffer(16, nullptr), "SetVertexBuffer(): Stream index out of range");
}

}  // namespace gl_device_state_test
