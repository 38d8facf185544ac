// The GL device on a real SDL window under Xvfb with Mesa: the format it asks for, Clear,
// Present's event pump and the close request.
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "graphics/gl/SDLGLDevice.h"

#include "core/Managed.h"
#include "platform/SDLWindow.h"
#include "platform/SDLWindowProcedure.h"
#include "support/Expect.h"
#include "support/SDLVideo.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

namespace sdl_gl_device_test {

using namespace Nimbrel;
using Graphics::Device;
using Graphics::GL2CGDeviceFactory;

class SDLGLDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { Testing::HoldSDLVideo(); }

    Managed<Window> MakeWindow(int width = 64, int height = 48)
    {
        return Managed<Window>(Window::Create(width, height, "SDLGLDeviceTest", true));
    }
    Managed<Device> MakeDevice(Window* window, int format = 1, int samples = 0)
    {
        return Managed<Device>(factory.CreateDevice(window, static_cast<Graphics::DepthStencilFormat>(format), samples, 0));
    }

    GL2CGDeviceFactory factory;
};

TEST_F(SDLGLDeviceTest, UnsupportedDepthFormatsAreRefusedBeforeAnyWindowExists)
{
    Managed<Window> window = MakeWindow();
    EXPECT_THROW_MESSAGE(MakeDevice(window.Get(), 2), "Depth buffer format not supported");
    EXPECT_THROW_MESSAGE(MakeDevice(window.Get(), 3), "Depth buffer format not supported");
    EXPECT_THROW_MESSAGE(MakeDevice(window.Get(), 4), "DepthStencilFromat not recognized");
    EXPECT_THROW_MESSAGE(MakeDevice(window.Get(), -1), "DepthStencilFromat not recognized");
    EXPECT_EQ(window->GetHandle(), 0);
}

TEST_F(SDLGLDeviceTest, ContextHasTheRequestedDepthAndStencil)
{
    struct Case {
        int format;
        int depth;
        int stencil;
    };
    for (const Case& c : {Case{0, 16, 0}, Case{1, 24, 8}}) {
        Managed<Window> window = MakeWindow();
        Managed<Device> device = MakeDevice(window.Get(), c.format);
        ASSERT_NE(window->GetHandle(), 0);
        int depth = 0, stencil = -1, doubleBuffer = 0;
        SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
        SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
        SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
        EXPECT_GE(depth, c.depth) << "format " << c.format;
        EXPECT_GE(stencil, c.stencil) << "format " << c.format;
        EXPECT_EQ(doubleBuffer, 1);
        EXPECT_TRUE(device->UsesGLDepthRange());
        EXPECT_TRUE(device->IsScreenSpaceConformant());
        EXPECT_EQ(device->GetMaxSlots(), 16);
    }
}

TEST_F(SDLGLDeviceTest, ClearFillsTheBackBuffer)
{
    Managed<Window> window = MakeWindow(40, 30);
    Managed<Device> device = MakeDevice(window.Get());
    device->Clear(Graphics::ClearColor | Graphics::ClearDepth | Graphics::ClearStencil, 1.0f, 0.5f, 0.0f, 1.0f, 1.0f, 0);
    unsigned char pixel[4] = {};
    glReadPixels(39, 29, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_EQ(pixel[2], 0);

    // Only the named buffers are cleared.
    device->Clear(Graphics::ClearDepth, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[2], 0);
    EXPECT_TRUE(device->Present());
}

TEST_F(SDLGLDeviceTest, TwoDevicesEachDrawInTheirOwnWindow)
{
    Managed<Window> firstWindow = MakeWindow(16, 16);
    Managed<Window> secondWindow = MakeWindow(16, 16);  // same title: both are created
    Managed<Device> first = MakeDevice(firstWindow.Get());
    Managed<Device> second = MakeDevice(secondWindow.Get());
    EXPECT_NE(firstWindow->GetHandle(), secondWindow->GetHandle());

    first->Clear(Graphics::ClearColor, 1, 0, 0, 1, 1, 0);   // switches to the first context
    second->Clear(Graphics::ClearColor, 0, 1, 0, 1, 1, 0);  // and back to the second
    unsigned char pixel[4] = {};
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[1], 255);
    first->Flush();  // any GL call makes its device's context current again
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 0);
}

TEST_F(SDLGLDeviceTest, PresentReportsACloseRequestOnceAndKeepsTheWindow)
{
    Managed<Window> window = MakeWindow();
    Managed<Device> device = MakeDevice(window.Get());
    EXPECT_TRUE(device->Present());

    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = static_cast<Uint32>(window->GetHandle());
    SDL_PushEvent(&close);
    EXPECT_FALSE(device->Present());
    EXPECT_NE(window->GetHandle(), 0);  // the window is still there
    EXPECT_EQ(GetLastClosedWindow(), 0);
    EXPECT_TRUE(device->Present());

    // A close request for another window is not this device's business.
    close.window.windowID = static_cast<Uint32>(window->GetHandle()) + 100;
    SDL_PushEvent(&close);
    EXPECT_TRUE(device->Present());
    ResetLastClosedWindow();
}

TEST_F(SDLGLDeviceTest, QuitRequestEndsPresentAtOnce)
{
    Managed<Window> window = MakeWindow();
    Managed<Device> device = MakeDevice(window.Get());
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    SDL_Event later{};
    later.type = SDL_USEREVENT;
    SDL_PushEvent(&later);
    EXPECT_FALSE(device->Present());
    // The pump stopped at the quit request: what came after it is still queued.
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_USEREVENT, SDL_USEREVENT), 1);
    SDL_FlushEvent(SDL_USEREVENT);
}

TEST_F(SDLGLDeviceTest, MultisampledContextWhenTheDisplayOffersIt)
{
    Managed<Window> window = MakeWindow();
    Managed<Device> device;
    try {
        device = MakeDevice(window.Get(), 1, 4);
    } catch (const Exception& e) {
        // Without a multisampled visual the device must refuse with SDL's reason and leave the
        // window free for another attempt.
        EXPECT_NE(std::string(e.GetMessage().CStr()).find("Unable to create"), std::string::npos) << e.GetMessage().CStr();
        EXPECT_EQ(window->GetHandle(), 0);
        device = MakeDevice(window.Get(), 1, 0);
        return;
    }
    int buffers = 0, samples = 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples);
    EXPECT_EQ(buffers, 1);
    EXPECT_GE(samples, 4);
}

TEST_F(SDLGLDeviceTest, WindowThatIsNotAnSDLWindowIsRefused)
{
    struct OtherWindow : Window {
        void SetPosition(int, int) override {}
        void SetTitle(const char*) override {}
        intptr_t GetHandle() override { return 0; }
        int GetWidth() override { return 1; }
        int GetHeight() override { return 1; }
    } other;
    EXPECT_THROW_MESSAGE(MakeDevice(&other), "SDLGLDevice: The window is not an SDL window");
}

}  // namespace sdl_gl_device_test
