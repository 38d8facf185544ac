// The framebuffer proxy over a real GL device under Xvfb: pooling by descriptor, the lock and
// bind state machine with its messages, clearing, and the multisample resolve on BindAsTexture.
#include "utils/FramebufferProxy.h"

#include "core/Managed.h"
#include "support/Expect.h"
#include "support/GLTestDevice.h"

#include <gtest/gtest.h>

#include <functional>

namespace framebuffer_proxy_test {

using namespace Nimbrel;
using namespace Nimbrel::Graphics;
using Testing::GLTestDevice;
using Utils::Framebuffer;
using Utils::FramebufferProxy;

class FramebufferProxyTest : public ::testing::Test {
protected:
    Framebuffer Handle(int samples = 0, bool depth = false, bool mipmaps = false)
    {
        return Framebuffer(proxy.Get(), 8, 8, samples, PixelFormatR8G8B8A8, depth, mipmaps);
    }
    // The texture an instance holds, through a handle that is locked.
    Texture2D* TextureOf(Framebuffer& handle)
    {
        Texture2D* texture = handle.BindAsTexture();
        handle.UnbindAsTexture();
        return texture;
    }

    GLTestDevice device{16, 16};
    Managed<FramebufferProxy> proxy{new FramebufferProxy(device.device.Get())};
};

TEST_F(FramebufferProxyTest, MatchingInstancesAreSharedOnlyWhenFree)
{
    EXPECT_EQ(FramebufferProxy::GetGlobal(), proxy.Get());
    EXPECT_EQ(proxy->GetDevice(), device.device.Get());
    Framebuffer first = Handle();
    Framebuffer second = Handle();
    first.Lock();
    second.Lock();
    EXPECT_TRUE(first.IsLocked());
    Texture2D* firstTexture = TextureOf(first);
    Texture2D* secondTexture = TextureOf(second);
    EXPECT_NE(firstTexture, secondTexture);
    EXPECT_EQ(proxy->GetInstanceCount(), 2);
    first.Unlock();
    second.Unlock();

    Framebuffer third = Handle(0, false, true);  // the mipmap flag is not part of the match
    third.Lock();
    EXPECT_EQ(TextureOf(third), firstTexture);
    EXPECT_EQ(proxy->GetInstanceTexture(0), firstTexture);
    third.Unlock();

    // A different sample count or depth flag never shares.
    Framebuffer withDepth = Handle(0, true);
    Framebuffer multisampled = Handle(4);
    withDepth.Lock();
    multisampled.Lock();
    EXPECT_EQ(proxy->GetInstanceCount(), 4);
    EXPECT_NE(TextureOf(withDepth), firstTexture);
    withDepth.Unlock();
    multisampled.Unlock();
}

TEST_F(FramebufferProxyTest, WrongTransitionsThrowTheirMessagesAndChangeNothing)
{
    Framebuffer handle = Handle();
    EXPECT_THROW_MESSAGE(handle.Unlock(), "Framebuffer::Unlock(): Not locked");
    EXPECT_THROW_MESSAGE(handle.BindAsFramebuffer(), "Framebuffer::BindAsFramebuffer(): Must be locked first");
    EXPECT_THROW_MESSAGE(handle.BindAsTexture(), "Framebuffer::BindAsTexture(): Must be locked first");
    EXPECT_THROW_MESSAGE(handle.BindAsSurface(), "Framebuffer::BindAsSurface(): Must be locked first");
    EXPECT_THROW_MESSAGE(handle.UnbindAsTexture(), "Framebuffer::UnbindAsTexture(): Must be locked first");
    EXPECT_THROW_MESSAGE(handle.UnbindAsSurface(), "Framebuffer::UnbindAsSurface(): Must be locked first");
    EXPECT_THROW_MESSAGE(handle.UnbindAsFramebuffer(), "Framebuffer::UnbindAsFramebuffer(): Not bound");
    handle.Lock();
    EXPECT_THROW_MESSAGE(handle.Lock(), "Framebuffer::Lock(): Allready locked");
    EXPECT_THROW_MESSAGE(handle.UnbindAsTexture(), "Framebuffer::UnbindAsTexture(): Not locked as texture");
    EXPECT_THROW_MESSAGE(handle.UnbindAsSurface(), "Framebuffer::UnbindAsSurface(): Not bound as surface");

    struct Case {
        std::function<void(Framebuffer&)> bind;
        std::function<void(Framebuffer&)> unbind;
        const char* asFramebuffer;
        const char* asTexture;
        const char* asSurface;
    };
    const Case cases[] = {
        {[](Framebuffer& f) { f.BindAsFramebuffer(); }, [](Framebuffer& f) { f.UnbindAsFramebuffer(); },
         "Framebuffer::BindAsFramebuffer(): Allready bound as framebuffer",
         "Framebuffer::BindAsTexture(): Can not bind as texture while bound as framebuffer",
         "Framebuffer::BindAsSurface(): Allready bound as framebuffer"},
        {[](Framebuffer& f) { f.BindAsTexture(); }, [](Framebuffer& f) { f.UnbindAsTexture(); },
         "Framebuffer::BindAsFramebuffer(): Allready bound as texture", "Framebuffer::BindAsTexture(): Already bound as texture",
         "Framebuffer::BindAsSurface(): Already bound as texture"},
        {[](Framebuffer& f) { f.BindAsSurface(); }, [](Framebuffer& f) { f.UnbindAsSurface(); },
         "Framebuffer::BindAsFramebuffer(): Allready bound as surface",
         "Framebuffer::BindAsTexture(): Can not bind as texture while bound as surface",
         "Framebuffer::BindAsSurface(): Already bound as surface"},
    };
    for (const Case& c : cases) {
        c.bind(handle);
        EXPECT_THROW_MESSAGE(handle.BindAsFramebuffer(), c.asFramebuffer);
        EXPECT_THROW_MESSAGE(handle.BindAsTexture(), c.asTexture);
        EXPECT_THROW_MESSAGE(handle.BindAsSurface(), c.asSurface);
        EXPECT_THROW_MESSAGE(handle.Unlock(), "Framebuffer::Unlock(): Can not unlock while bound");
        EXPECT_TRUE(handle.IsLocked());
        c.unbind(handle);  // still bound after the failures: the unbind succeeds
    }
    handle.Unlock();
    EXPECT_FALSE(handle.IsLocked());
}

TEST_F(FramebufferProxyTest, OnlyOneHandleIsBoundAsFramebufferAtATime)
{
    Framebuffer first = Handle();
    Framebuffer second = Handle(0, true);  // another instance altogether
    first.Lock();
    second.Lock();
    first.BindAsFramebuffer();
    EXPECT_EQ(device->GetColorTargetCount(), 1);
    EXPECT_THROW_MESSAGE(second.BindAsFramebuffer(), "Framebuffer::BindAsFramebuffer(): Another framebuffer is currently bound");
    first.UnbindAsFramebuffer();
    EXPECT_EQ(device->GetColorTargetCount(), 0);  // back to the back buffer
    second.BindAsFramebuffer();
    EXPECT_NE(device->GetDepthStencilTarget(), nullptr);
    second.UnbindAsFramebuffer();
    first.Unlock();
    second.Unlock();
}

TEST_F(FramebufferProxyTest, ClearReachesTheInstanceOnlyWhenLocked)
{
    Framebuffer handle = Handle();
    handle.Clear(ClearColor, 1, 0, 0, 1, 1, 0);  // unlocked: nothing happens
    EXPECT_EQ(proxy->GetInstanceCount(), 0);
    handle.Lock();
    handle.Clear(ClearColor, 0, 1, 0, 1, 1, 0);
    EXPECT_EQ(device->GetColorTargetCount(), 0);  // unbound again afterwards
    handle.BindAsFramebuffer();
    EXPECT_EQ(device.ReadPixel(3, 3), 0x00ff00ffu);
    handle.UnbindAsFramebuffer();
    handle.Unlock();
}

TEST_F(FramebufferProxyTest, BindingAsTextureResolvesWhatWasRenderedMultisampled)
{
    Framebuffer handle = Handle(4, true, true);
    handle.Lock();
    Surface* surface = handle.BindAsSurface();
    EXPECT_EQ(surface->GetWidth(), 8);
    handle.UnbindAsSurface();
    handle.Clear(ClearColor | ClearDepth, 0, 0, 1, 1, 1, 0);
    Texture2D* texture = handle.BindAsTexture();
    EXPECT_NE(static_cast<Surface*>(texture->GetSurface(0)), surface);
    Surface* level0 = texture->GetSurface(0);
    device->SetFramebuffer(1, &level0, nullptr);
    EXPECT_EQ(device.ReadPixel(4, 4), 0x0000ffffu);
    device->SetFramebuffer(0, nullptr, nullptr);
    handle.UnbindAsTexture();
    handle.Unlock();
}

TEST(FramebufferProxyGlobalTest, WithoutAProxyTheGlobalOneIsMissing)
{
    {
        Testing::GLTestDevice device{8, 8};
        Managed<FramebufferProxy> proxy(new FramebufferProxy(device.device.Get()));
        EXPECT_EQ(FramebufferProxy::GetGlobal(), proxy.Get());
    }
    EXPECT_THROW_MESSAGE(FramebufferProxy::GetGlobal(), "FramebufferProxy::GetGlobal(): No global framebuffer proxy set");
    EXPECT_THROW_MESSAGE(Framebuffer(8, 8, 0, PixelFormatR8G8B8A8, false, false),
                         "FramebufferProxy::GetGlobal(): No global framebuffer proxy set");
}

}  // namespace framebuffer_proxy_test
