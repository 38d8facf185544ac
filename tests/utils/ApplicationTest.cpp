// The Application with a recording device factory and a fake input context: configuration,
// start-up, the input tables and the main-loop pass, with no window system.
#include "utils/Application.h"

#include "input/KeyCodes.h"
#include "io/NativeFileSystem.h"
#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "support/FakeInput.h"
#include "support/RecordingWidget.h"
#include "support/SDLAudio.h"

#include <gtest/gtest.h>

namespace application_test {

using namespace Nimbrel;
using Nimbrel::Testing::FakeInputContext;
using Nimbrel::Testing::FakeInputContextFactory;
using Nimbrel::Testing::FakeJoystick;
using Nimbrel::Testing::FakeDevice;
using Nimbrel::Testing::FakeDeviceFactory;
using Nimbrel::Testing::RecordingWidget;
using Utils::Application;
using Utils::ProbeProxy;
using Utils::ProfileProxy;

class ApplicationTest : public ::testing::Test {
protected:
    ApplicationTest() { Testing::UseDummyAudioDriver(); }

    FakeDeviceFactory graphics;
    FakeInputContextFactory input;
    Managed<Application> app{new Application()};

    FakeInputContext& Input() { return *input.context; }
    FakeDevice& Device() { return *graphics.lastDevice; }

    void Start()
    {
        app->SetGraphicsBackend(&graphics);
        app->SetInputBackend(&input);
        app->Start();
    }
};

TEST_F(ApplicationTest, FreshApplicationHasItsDefaults)
{
    EXPECT_EQ(app->GetResolution(), Math::Vector2t<int>(800, 600));
    EXPECT_STREQ(app->GetTitle().CStr(), "Nimbrel Application");
    EXPECT_EQ(app->GetTime(), 0.0);
    EXPECT_EQ(app->GetFrameTime(), 0.001);
    EXPECT_EQ(app->GetFPS(), 1000.0);
    EXPECT_EQ(app->GetInputListener(), nullptr);
    EXPECT_EQ(app->GetJoystickCount(), 0);
    EXPECT_FALSE(app->IsKeyDown(Input::KeyEscape));
    EXPECT_FALSE(app->WasMouseButtonPressed(1));
}

TEST_F(ApplicationTest, DefaultConfigurationReachesTheBackend)
{
    Start();
    ASSERT_EQ(graphics.requests.size(), 1u);
    const FakeDeviceFactory::Request& request = graphics.requests[0];
    EXPECT_EQ(request.window, app->GetWindow());
    EXPECT_EQ(request.windowWidth, 800);
    EXPECT_EQ(request.windowHeight, 600);
    EXPECT_EQ(request.format, 1);
    EXPECT_EQ(request.samples, 0);
    EXPECT_EQ(request.flags, 0);
    EXPECT_EQ(Input().window, app->GetWindow());
}

TEST_F(ApplicationTest, SettersShapeWindowAndDeviceRequest)
{
    app->SetResolution(1024, 768);
    app->SetMultiSamples(4);
    app->SetDepthStencilFormat(0);
    app->SetGraphicsFlags(0x104);  // bits the Application does not know pass through
    app->SetFullscreen(true);
    app->SetVSync(true);
    app->SetVSync(false);
    app->SetTitle("Demo");
    app->SetNativeBorder(false);
    Start();

    const FakeDeviceFactory::Request& request = graphics.requests.at(0);
    EXPECT_EQ(request.windowWidth, 1024);
    EXPECT_EQ(request.windowHeight, 768);
    EXPECT_EQ(request.format, 0);
    EXPECT_EQ(request.samples, 4);
    EXPECT_EQ(request.flags, 0x105);
    EXPECT_EQ(app->GetWindow()->GetWidth(), 1024);
    EXPECT_STREQ(app->GetTitle().CStr(), "Demo");
}

TEST_F(ApplicationTest, StartWithoutBackendThrowsAndStaysConfigurable)
{
    app->SetInputBackend(&input);
    EXPECT_THROW_MESSAGE(app->Start(), "Application::Start(): No graphics backend set");
    EXPECT_EQ(input.createCount, 0);
    app->SetResolution(640, 480);  // still configurable
    EXPECT_THROW_MESSAGE(app->GetWindow(), "Application::GetWindow(): Can not get window before application is started");

    app->SetGraphicsBackend(&graphics);
    app->Start();
    EXPECT_EQ(graphics.requests.at(0).windowWidth, 640);
}

TEST_F(ApplicationTest, FailingDeviceLeavesTheApplicationNotRunning)
{
    graphics.failWith = "no adapter";
    app->SetGraphicsBackend(&graphics);
    app->SetInputBackend(&input);
    EXPECT_THROW_MESSAGE(app->Start(), "no adapter");
    EXPECT_EQ(input.createCount, 0);
    app->SetMultiSamples(0);  // no running check fires
    EXPECT_THROW_MESSAGE(app->GetGraphicsDevice(),
                         "Application::GetGraphicsDevice(): Can not get graphics device before application is started");
    EXPECT_THROW_MESSAGE(app->GetStdOut(), "Application::GetStdOut(): Can not get stdout before application is started");
}

TEST_F(ApplicationTest, NoSoundOutputFailsStartBetweenTheGraphicsDeviceAndTheInputContext)
{
    app->SetGraphicsBackend(&graphics);
    app->SetInputBackend(&input);
    {
        Testing::AudioDriver missing("no-such-driver");
        EXPECT_THROW_MESSAGE(app->Start(), "Unable to create sound device");
    }
    EXPECT_EQ(graphics.requests.size(), 1u);
    EXPECT_EQ(input.createCount, 0);
    EXPECT_THROW_MESSAGE(app->GetSoundDevice(),
                         "Application::GetSoundDevice(): Can not get sound device before application is started");

    app->Start();
    EXPECT_NE(app->GetSoundDevice(), nullptr);
}

TEST_F(ApplicationTest, StartAfterAFailedStartReplacesWhatTheFirstOneMade)
{
    input.failWith = "no input";
    RecordingWidget listener;
    app->SetInputListener(&listener);
    EXPECT_THROW_MESSAGE(Start(), "no input");
    FakeDevice* first = graphics.lastDevice;
    first->AddRef();  // kept by the test to watch the Application let go of it

    input.failWith.clear();
    Start();
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_NE(app->GetGraphicsDevice(), first);
    EXPECT_EQ(app->GetInputListener(), &listener);  // configuration survives
    first->Release();
}

TEST_F(ApplicationTest, GettersThrowBeforeStartAndAnswerAfter)
{
    EXPECT_THROW_MESSAGE(app->GetInputContext(),
                         "Application::GetInputContext(): Can not get input context before application is started");
    EXPECT_THROW_MESSAGE(app->GetWindow(), "Application::GetWindow(): Can not get window before application is started");
    EXPECT_THROW_MESSAGE(app->GetStdOut(), "Application::GetStdOut(): Can not get stdout before application is started");
    EXPECT_THROW_MESSAGE(app->GetStdIn(), "Application::GetStdIn(): Can not get stdin before application is started");
    EXPECT_THROW_MESSAGE(app->GetGraphicsDevice(),
                         "Application::GetGraphicsDevice(): Can not get graphics device before application is started");
    EXPECT_THROW_MESSAGE(app->GetSoundDevice(),
                         "Application::GetSoundDevice(): Can not get sound device before application is started");

    EXPECT_THROW_MESSAGE(app->GetResourceProxy(),
                         "Application::GetResourceProxy(): Can not get proxy before application is started");
    EXPECT_THROW_MESSAGE(app->GetFramebufferProxy(),
                         "Application::GetFramebufferProxy(): Can not get proxy before application is started");
    EXPECT_THROW_MESSAGE(app->GetProbeProxy(),
                         "Application::GetProbeProxy(): Can not get probe proxy before application is started");
    EXPECT_THROW_MESSAGE(app->GetProfileProxy(),
                         "Application::GetProfileProxy(): Can not get profile proxy before application is started");
    EXPECT_THROW_MESSAGE(app->GetState(), "Application::GetState(): Can not get state before application is started");
    EXPECT_THROW_MESSAGE(app->GetFileSystem(), "Application::GetFileSystem(): No file system is set");

    Start();
    EXPECT_EQ(app->GetInputContext(), input.context);
    EXPECT_EQ(app->GetGraphicsDevice(), graphics.lastDevice);
    EXPECT_NE(app->GetWindow(), nullptr);
    EXPECT_NE(app->GetStdOut(), nullptr);
    EXPECT_NE(app->GetStdIn(), nullptr);
    EXPECT_NE(app->GetFileSystem(), nullptr);  // a native one rooted at "."
    // The proxies become the process-wide ones, and the resource proxy gets the device and
    // the file system.
    EXPECT_EQ(ProbeProxy::GetGlobal(), app->GetProbeProxy());
    EXPECT_EQ(ProfileProxy::GetGlobal(), app->GetProfileProxy());
    EXPECT_EQ(app->GetResourceProxy()->GetGraphicsDevice(), graphics.lastDevice);
    ASSERT_NE(app->GetSoundDevice(), nullptr);
    EXPECT_EQ(app->GetResourceProxy()->GetSoundDevice(), app->GetSoundDevice());
    EXPECT_EQ(app->GetResourceProxy()->GetFileSystem(), app->GetFileSystem());
    EXPECT_EQ(Utils::FramebufferProxy::GetGlobal(), app->GetFramebufferProxy());
    EXPECT_EQ(app->GetFramebufferProxy()->GetDevice(), graphics.lastDevice);
}

TEST_F(ApplicationTest, RenderStateStartsWithTheResolutionAndTheDevicePushed)
{
    app->SetResolution(640, 360);
    Start();
    Utils::State* state = app->GetState();
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->resolutions.Count(), 2);  // over the State's own initial entry
    EXPECT_EQ(state->resolutions.Top(), Math::Vector2t<int>(640, 360));
    ASSERT_EQ(state->devices.Count(), 1);
    EXPECT_EQ(state->devices.Top(), app->GetGraphicsDevice());
    EXPECT_FALSE(state->IsInBegin());

    // The Application holds one reference and gives it up on teardown.
    Managed<Utils::State> kept(state);
    state->AddRef();
    app.Set(nullptr);
    EXPECT_EQ(kept->GetRefCount(), 1);
}

TEST_F(ApplicationTest, FileSystemSetBeforeStartIsKeptAndCounted)
{
    Managed<IO::FileSystem> folder(IO::NativeFileSystem::Create("."));
    app->SetFileSystem(folder.Get());
    EXPECT_EQ(folder->GetRefCount(), 2);
    Start();
    EXPECT_EQ(app->GetFileSystem(), folder.Get());
    EXPECT_THROW_MESSAGE(app->SetFileSystem(folder.Get()),
                         "Application::SetFileSystem(): Can not change file system while application is running");
    EXPECT_THROW_MESSAGE(app->SetFileSystemRoot("."),
                         "Application::SetFileSystemRoot(): Can not change file system root while application is running");
    app.Set(nullptr);
    EXPECT_EQ(folder->GetRefCount(), 1);
}

TEST_F(ApplicationTest, SettingNoFileSystemDropsTheOldOneAndThrows)
{
    app->SetFileSystemRoot(".");
    EXPECT_THROW_MESSAGE(app->SetFileSystem(nullptr), "Managed nullpointer access attempt");
    EXPECT_THROW_MESSAGE(app->GetFileSystem(), "Application::GetFileSystem(): No file system is set");
}

TEST_F(ApplicationTest, EverySetterThrowsWhileRunningAndChangesNothing)
{
    Start();
    FakeDeviceFactory other;
    EXPECT_THROW_MESSAGE(app->SetNativeBorder(false),
                         "Application::SetNativeBorder(): Can not change border while application is running");
    EXPECT_THROW_MESSAGE(app->SetGraphicsFlags(1),
                         "Application::SetGraphicsFlags(): Can not change graphics flags while application is running");
    EXPECT_THROW_MESSAGE(app->SetFullscreen(true),
                         "Application::SetFullscreen(): Can not change graphics flags while application is running");
    EXPECT_THROW_MESSAGE(app->SetVSync(true),
                         "Application::SetVSync(): Can not change graphics flags while application is running");
    EXPECT_THROW_MESSAGE(app->SetGraphicsBackend(&other),
                         "Application::SetGraphicsBackend(): Can not change graphics backend while application is running");
    EXPECT_THROW_MESSAGE(app->SetMultiSamples(2),
                         "Application::SetMultiSamples(): Can not change multi sample level while application is running");
    EXPECT_THROW_MESSAGE(app->SetResolution(1, 1),
                         "Application::SetResolution(): Can not change resolution while application is running");
    EXPECT_THROW_MESSAGE(app->SetDepthStencilFormat(0),
                         "Application::SetDepthStencilFormat(): Can not change depth/stencil format while application is running");
    EXPECT_THROW_MESSAGE(app->SetTitle("Other"),
                         "Application::SetTitle(): Can not change title while application is running");
    EXPECT_THROW_MESSAGE(app->Start(), "Application::Start(): Application is already running");
    EXPECT_EQ(app->GetResolution(), Math::Vector2t<int>(800, 600));
    EXPECT_STREQ(app->GetTitle().CStr(), "Nimbrel Application");
    EXPECT_EQ(graphics.requests.size(), 1u);

    RecordingWidget listener;
    app->SetInputListener(&listener);
    EXPECT_EQ(app->GetInputListener(), &listener);
    app->SetInputProcessing(false);
    app->SetExitOnEscape(true);
}

TEST_F(ApplicationTest, ExitOnEscapeSwitchesInputProcessingOnButNotOff)
{
    Start();
    app->SetExitOnEscape(true);
    app->SetExitOnEscape(false);
    Input().KeyEvent('A', Input::KeyActionDown);
    EXPECT_TRUE(app->Update());
    EXPECT_TRUE(app->IsKeyDown('A'));  // input processing stayed on
}

TEST_F(ApplicationTest, WithInputProcessingOffNothingIsTakenOrPolled)
{
    Start();
    FakeJoystick* pad = Input().AddJoystick(2, 1);  // added after Start: never polled anyway
    RecordingWidget listener;
    app->SetInputListener(&listener);
    Input().KeyEvent('A', Input::KeyActionDown);
    Input().MouseEvent(1, 5, 5, 0, 0, 0, Input::MouseActionButtonDown);

    EXPECT_TRUE(app->Update());
    EXPECT_TRUE(listener.keys.empty());
    EXPECT_TRUE(listener.mice.empty());
    EXPECT_EQ(Input().fakeKeyboard->queue.size(), 1u);
    EXPECT_EQ(Input().fakeMouse->queue.size(), 1u);
    EXPECT_FALSE(app->IsKeyDown('A'));
    EXPECT_FALSE(app->IsMouseButtonDown(1));
    EXPECT_EQ(pad->updateCount, 0);
}

TEST_F(ApplicationTest, ListenerReceivesEveryEventBeforeTheTables)
{
    Start();
    app->SetInputProcessing(true);
    RecordingWidget listener;
    app->SetInputListener(&listener);
    Input().KeyEvent('A', Input::KeyActionDown);
    Input().KeyEvent('a', Input::KeyActionCharacter);
    Input().KeyEvent('A', Input::KeyActionUp);
    Input().MouseEvent(0, 10, 20, 0, 0, 0, Input::MouseActionMove);
    Input().MouseEvent(0, 11, 21, 0, 0, -240, Input::MouseActionWheel);

    EXPECT_TRUE(app->Update());
    ASSERT_EQ(listener.keys.size(), 3u);
    EXPECT_EQ(listener.keys[0], (Input::KeyEvent{'A', 0}));
    EXPECT_EQ(listener.keys[1], (Input::KeyEvent{'a', 2}));
    EXPECT_EQ(listener.keys[2], (Input::KeyEvent{'A', 1}));
    ASSERT_EQ(listener.mice.size(), 2u);
    EXPECT_EQ(listener.mice[0].position, Math::Vector2t<int>(10, 20));
    EXPECT_EQ(listener.mice[1].position, Math::Vector2t<int>(11, 21));
    EXPECT_EQ(listener.mice[1].event, (Input::MouseEvent{0, 11, 21, 0, 0, -240, 4}));
    // A character changes no table.
    EXPECT_FALSE(app->WasKeyPressed('a'));
    EXPECT_TRUE(app->WasKeyPressed('A'));
}

TEST_F(ApplicationTest, KeyPressedOnceAfterReleaseAndHeldKeyIsDownOnly)
{
    Start();
    app->SetInputProcessing(true);

    Input().KeyEvent('B', Input::KeyActionDown);
    app->Update();
    EXPECT_TRUE(app->IsKeyDown('B'));
    EXPECT_FALSE(app->WasKeyPressed('B'));
    app->Update();  // still held
    EXPECT_TRUE(app->IsKeyDown('B'));
    EXPECT_FALSE(app->WasKeyPressed('B'));

    Input().KeyEvent('B', Input::KeyActionUp);
    app->Update();
    EXPECT_FALSE(app->IsKeyDown('B'));
    EXPECT_TRUE(app->WasKeyPressed('B'));
    EXPECT_FALSE(app->WasKeyPressed('B'));
    app->Update();
    EXPECT_FALSE(app->WasKeyPressed('B'));
}

TEST_F(ApplicationTest, MouseButtonPressedOnceOnPressAndDownUntilRelease)
{
    Start();
    app->SetInputProcessing(true);

    Input().MouseEvent(2, 1, 1, 0, 0, 0, Input::MouseActionButtonDown);
    app->Update();
    EXPECT_TRUE(app->IsMouseButtonDown(2));
    EXPECT_TRUE(app->WasMouseButtonPressed(2));
    EXPECT_FALSE(app->WasMouseButtonPressed(2));
    EXPECT_FALSE(app->IsMouseButtonDown(1));

    // Moves, double clicks and wheel turns change no table.
    Input().MouseEvent(3, 1, 1, 0, 0, 0, Input::MouseActionMove);
    Input().MouseEvent(2, 1, 1, 0, 0, 0, Input::MouseActionDoubleClick);
    Input().MouseEvent(0, 1, 1, 0, 0, 120, Input::MouseActionWheel);
    app->Update();
    EXPECT_TRUE(app->IsMouseButtonDown(2));
    EXPECT_FALSE(app->WasMouseButtonPressed(2));
    EXPECT_FALSE(app->IsMouseButtonDown(3));

    Input().MouseEvent(2, 1, 1, 0, 0, 0, Input::MouseActionButtonUp);
    app->Update();
    EXPECT_FALSE(app->IsMouseButtonDown(2));
    EXPECT_FALSE(app->WasMouseButtonPressed(2));
}

TEST_F(ApplicationTest, JoystickButtonPressedInTheFirstPassOnlyAndAxesFollow)
{
    FakeJoystick* first = Input().AddJoystick(3, 2);
    FakeJoystick* second = Input().AddJoystick(1, 5);
    Start();
    app->SetInputProcessing(true);
    ASSERT_EQ(app->GetJoystickCount(), 2);

    first->buttons[1] = true;
    first->axes[1] = -0.5f;
    second->axes[4] = 0.25f;
    app->Update();
    EXPECT_EQ(first->updateCount, 1);
    EXPECT_EQ(second->updateCount, 1);
    EXPECT_TRUE(app->IsJoystickButtonDown(0, 1));
    EXPECT_TRUE(app->WasJoystickButtonPressed(0, 1));
    EXPECT_TRUE(app->WasJoystickButtonPressed(0, 1));  // reading does not clear
    EXPECT_FALSE(app->IsJoystickButtonDown(1, 1));
    EXPECT_DOUBLE_EQ(app->GetJoystickAxis(0, 1), -0.5);
    EXPECT_DOUBLE_EQ(app->GetJoystickAxis(1, 4), 0.25);

    app->Update();  // held
    EXPECT_TRUE(app->IsJoystickButtonDown(0, 1));
    EXPECT_FALSE(app->WasJoystickButtonPressed(0, 1));

    first->buttons[1] = false;
    app->Update();
    EXPECT_FALSE(app->IsJoystickButtonDown(0, 1));
    EXPECT_FALSE(app->WasJoystickButtonPressed(0, 1));

    first->buttons[1] = true;  // pressed again
    app->Update();
    EXPECT_TRUE(app->WasJoystickButtonPressed(0, 1));
}

TEST_F(ApplicationTest, JoystickQueriesPastTheCountReadAsNothing)
{
    Start();
    app->SetInputProcessing(true);
    app->Update();
    EXPECT_EQ(app->GetJoystickCount(), 0);
    EXPECT_FALSE(app->IsJoystickButtonDown(0, 0));
    EXPECT_FALSE(app->WasJoystickButtonPressed(0, 0));
    EXPECT_EQ(app->GetJoystickAxis(0, 2), 0.0);
    EXPECT_EQ(app->GetJoystickAxis(-1, 0), 0.0);
}

TEST_F(ApplicationTest, EscapeReleasedEndsTheLoopWithoutSamplingOrPresenting)
{
    Start();
    app->SetExitOnEscape(true);
    Input().KeyEvent(Input::KeyEscape, Input::KeyActionDown);
    EXPECT_TRUE(app->Update());  // pressed only
    EXPECT_EQ(Device().presentCount, 1);
    const double time = app->GetTime();
    const double frameTime = app->GetFrameTime();

    Input().KeyEvent(Input::KeyEscape, Input::KeyActionUp);
    EXPECT_FALSE(app->Update());
    EXPECT_EQ(Device().presentCount, 1);
    EXPECT_EQ(app->GetTime(), time);
    EXPECT_EQ(app->GetFrameTime(), frameTime);
    EXPECT_FALSE(app->Update());  // the test does not clear the entry
    EXPECT_TRUE(app->WasKeyPressed(Input::KeyEscape));
}

TEST_F(ApplicationTest, EscapeWithoutExitOnEscapeIsAnOrdinaryKey)
{
    Start();
    app->SetInputProcessing(true);
    Input().KeyEvent(Input::KeyEscape, Input::KeyActionDown);
    Input().KeyEvent(Input::KeyEscape, Input::KeyActionUp);
    EXPECT_TRUE(app->Update());
    EXPECT_EQ(Device().presentCount, 1);
    EXPECT_TRUE(app->WasKeyPressed(Input::KeyEscape));
}

TEST_F(ApplicationTest, UpdateSamplesTheClockThenReturnsWhatPresentSays)
{
    Start();
    EXPECT_TRUE(app->Update());
    EXPECT_GE(app->GetTime(), 0.0);
    EXPECT_LT(app->GetTime(), 1.0);
    EXPECT_GE(app->GetFrameTime(), app->GetTime());  // the first delta runs from the timer's start
    EXPECT_EQ(app->GetFPS(), 0.0);                   // no full second has passed
    EXPECT_EQ(Device().log, std::vector<std::string>{"Present"});

    // Events that the present's pump delivers are taken by the next pass.
    RecordingWidget listener;
    app->SetInputListener(&listener);
    app->SetInputProcessing(true);
    Device().onPresent = [this] { Input().KeyEvent('Q', Input::KeyActionDown); };
    Device().presentResult = false;  // the window was closed
    EXPECT_FALSE(app->Update());
    EXPECT_EQ(Device().presentCount, 2);
    EXPECT_TRUE(listener.keys.empty());
    app->Update();
    ASSERT_EQ(listener.keys.size(), 1u);
    EXPECT_EQ(listener.keys[0].key, 'Q');
}

TEST_F(ApplicationTest, ReportExceptionWritesToStdOutOnlyOnceStarted)
{
    ::testing::internal::CaptureStdout();
    app->ReportException(Exception("before start"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

    Start();
    ::testing::internal::CaptureStdout();
    app->ReportException(Exception("Unable to load scene"));
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Unable to load scene");
}

TEST_F(ApplicationTest, TeardownReleasesWhatStartCreated)
{
    Input().AddJoystick(4, 4);
    Start();
    RecordingWidget listener;
    const int listenerReferences = listener.GetRefCount();  // its own and the widget list's
    app->SetInputListener(&listener);
    EXPECT_EQ(input.context->GetRefCount(), 2);  // the factory's and the Application's
    Managed<Sound::Device> sound(app->GetSoundDevice());
    sound->AddRef();
    EXPECT_EQ(sound->GetRefCount(), 3);  // the test's, the Application's and the resource proxy's
    app.Set(nullptr);
    EXPECT_EQ(input.context->GetRefCount(), 1);
    EXPECT_EQ(sound->GetRefCount(), 1);
    EXPECT_EQ(listener.GetRefCount(), listenerReferences);  // a borrowed listener is not released
    EXPECT_THROW(ProbeProxy::GetGlobal(), Exception);
    EXPECT_THROW(ProfileProxy::GetGlobal(), Exception);
}

TEST_F(ApplicationTest, TeardownFreesCachedObjectsThatHoldTheProxy)
{
    // As a cached scene holds its textures' handles, and every handle the proxy.
    struct HoldsTheProxy : Object {
        Managed<Utils::ResourceProxy> proxy;
        bool* freed = nullptr;
        ~HoldsTheProxy() override { *freed = true; }
    };
    Start();
    bool freed = false;
    Utils::ResourceProxy* proxy = app->GetResourceProxy();
    Managed<HoldsTheProxy> holder(new HoldsTheProxy());
    holder->freed = &freed;
    proxy->AddRef();
    holder->proxy.Set(proxy);
    proxy->Add(Utils::ResourceType::Unknown, holder.Get());
    holder.Set(nullptr);
    Managed<Sound::Device> sound(app->GetSoundDevice());
    sound->AddRef();
    app.Set(nullptr);
    EXPECT_TRUE(freed);
    EXPECT_EQ(sound->GetRefCount(), 1);  // the proxy went, and its reference with it
}

}  // namespace application_test
