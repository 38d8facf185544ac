// The real Application with the GL backend and the SDL input context under Xvfb: SDL events
// pushed into SDL's queue travel through Present's pump, the window procedure and the queues to
// the listener and the key tables.
#include "utils/Application.h"

#include "graphics/gl/GL2CGDeviceFactory.h"
#include "input/KeyCodes.h"
#include "support/RecordingWidget.h"
#include "support/SDLAudio.h"
#include "support/SDLVideo.h"
#include "support/WaitFor.h"

#include <SDL.h>
#include <gtest/gtest.h>


namespace application_sdl_test {

using namespace Nimbrel;
using Nimbrel::Testing::RecordingWidget;

class ApplicationSDLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Testing::HoldSDLVideo();
        Testing::UseDummyAudioDriver();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        app->SetGraphicsBackend(&backend);
        app->SetResolution(160, 120);
        app->SetTitle("ApplicationSDLTest");
        app->SetExitOnEscape(true);
        app->Start();
        app->SetInputListener(&listener);
        windowID = static_cast<Uint32>(app->GetWindow()->GetHandle());
        ASSERT_NE(windowID, 0u);
    }

    void PushKey(Uint32 type, SDL_Keycode key) { Testing::PushKey(windowID, type, key); }
    void PushText(const char* text) { Testing::PushText(windowID, text); }
    void PushWindowEvent(Uint8 what)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = windowID;
        event.window.event = what;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }
    int QueuedUserEvents() { return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_USEREVENT, SDL_USEREVENT); }

    Graphics::GL2CGDeviceFactory backend;
    RecordingWidget listener;
    Managed<Utils::Application> app{new Utils::Application()};
    Uint32 windowID = 0;
};

TEST_F(ApplicationSDLTest, TypedKeyReachesTheListenerAndTheTables)
{
    PushKey(SDL_KEYDOWN, SDLK_a);
    PushText("a");
    PushKey(SDL_KEYUP, SDLK_a);
    EXPECT_TRUE(app->Update());  // the present pumps the events into the queues
    EXPECT_TRUE(listener.keys.empty());
    EXPECT_TRUE(app->Update());  // the next pass hands them on

    ASSERT_EQ(listener.keys.size(), 3u);
    EXPECT_EQ(listener.keys[0], (Input::KeyEvent{65, 0}));
    EXPECT_EQ(listener.keys[1], (Input::KeyEvent{97, 2}));
    EXPECT_EQ(listener.keys[2], (Input::KeyEvent{65, 1}));
    EXPECT_FALSE(app->IsKeyDown('A'));
    EXPECT_TRUE(app->WasKeyPressed('A'));
    EXPECT_FALSE(app->WasKeyPressed('A'));
    EXPECT_GT(app->GetTime(), 0.0);
}

TEST_F(ApplicationSDLTest, MouseClickReachesTheListenerWithItsPosition)
{
    SDL_Event press{};
    press.type = SDL_MOUSEBUTTONDOWN;
    press.button.windowID = windowID;
    press.button.button = SDL_BUTTON_RIGHT;
    press.button.state = SDL_PRESSED;
    press.button.clicks = 1;
    press.button.x = 12;
    press.button.y = 34;
    SDL_PushEvent(&press);
    app->Update();
    app->Update();
    ASSERT_EQ(listener.mice.size(), 1u);
    EXPECT_EQ(listener.mice[0].position, Math::Vector2t<int>(12, 34));
    EXPECT_EQ(listener.mice[0].event, (Input::MouseEvent{2, 12, 34, 0, 0, 0, 1}));
    EXPECT_TRUE(app->IsMouseButtonDown(2));
    EXPECT_TRUE(app->WasMouseButtonPressed(2));
}

TEST_F(ApplicationSDLTest, CursorCallsReachSDL)
{
    Input::Mouse* mouse = app->GetInputContext()->GetMouse();
    mouse->HideCursor();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    mouse->ShowCursor();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    // A warped pointer comes back as a move to that client position. The window moves away
    // from the corner where other tests' windows open, and the pointer goes to a first spot
    // so that the second warp is a real move whatever the pointer's last position was.
    app->GetWindow()->SetPosition(700, 500);
    app->Update();
    mouse->SetCursorPosition(50, 60);
    mouse->SetCursorPosition(10, 20);
    const Input::MouseEvent expected{0, 10, 20, 0, 0, 0, 0};
    auto arrived = [&] {
        for (const RecordingWidget::MouseCall& call : listener.mice)
            if (call.event == expected)
                return true;
        return false;
    };
    // The window system delivers the move when it gets to it: pass until it has come, up to
    // a generous deadline.
    EXPECT_TRUE(Testing::WaitFor(arrived, [&] { app->Update(); }));
}

TEST_F(ApplicationSDLTest, EscapeReleasedEndsUpdateWithoutPresenting)
{
    PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    PushKey(SDL_KEYUP, SDLK_ESCAPE);
    EXPECT_TRUE(app->Update());  // pumps Escape into the keyboard queue

    // An event waiting in SDL's queue shows whether the next pass pumps (presents) or not.
    SDL_Event marker{};
    marker.type = SDL_USEREVENT;
    SDL_PushEvent(&marker);
    const double time = app->GetTime();
    EXPECT_FALSE(app->Update());
    EXPECT_EQ(QueuedUserEvents(), 1);
    EXPECT_EQ(app->GetTime(), time);
    ASSERT_EQ(listener.keys.size(), 2u);
    EXPECT_EQ(listener.keys[1], (Input::KeyEvent{257, 1}));
}

TEST_F(ApplicationSDLTest, WindowCloseEndsUpdateAfterTheNextPresent)
{
    EXPECT_TRUE(app->Update());
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    SDL_Event marker{};
    marker.type = SDL_USEREVENT;
    SDL_PushEvent(&marker);
    EXPECT_FALSE(app->Update());
    EXPECT_EQ(QueuedUserEvents(), 0);  // the pump ran: this pass presented
    EXPECT_NE(app->GetWindow()->GetHandle(), 0);  // the window stays until the Application goes
}

}  // namespace application_sdl_test
