#pragma once
// A Studio root on a started Application in a real window under Xvfb, driven by events pushed
// into SDL's queue as the window system delivers them, and the frame read back: the
// presentation's frame is a cleared backdrop and the Studio goes over it. A test that uses it
// includes support/SDLVideo.h itself, which puts it among the display tests.

#include "graphics/gl/GLDevice.h"
#include "support/CgGLWindow.h"
#include "support/GuiFixtures.h"
#include "support/SDLApplicationTest.h"
#include "support/SDLVideo.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/studio/Root.h"
#include "utils/studio/Tracker.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace Nimbrel::Testing {

class StudioSDLTest : public SDLApplicationTest {
protected:
    static constexpr int ScreenWidth = 640;
    static constexpr int ScreenHeight = 480;
    static constexpr Rgb Backdrop = {51, 64, 77};

    void SetUp() override
    {
        const Utils::GUI::Point screen = ScreenSize();
        StartApplication("StudioSDLTest", screen.x, screen.y);
        if (HasFatalFailure())
            return;
        root = new Utils::Studio::Root(app.Get());
        root->SetFont(Utils::GUI::FontResource(face.Get()));
        app->SetInputListener(root);
    }
    // The window's size; a test that needs more room than ScreenWidth x ScreenHeight says so.
    virtual Utils::GUI::Point ScreenSize() const { return {ScreenWidth, ScreenHeight}; }
    void TearDown() override
    {
        if (app)
            app->SetInputListener(nullptr);
        if (root)
            root->Close();
        Utils::GUI::Widget::Collect();
        app.Set(nullptr);
    }

    void PushRightClick(int x, int y) { PushClick(x, y, SDL_BUTTON_RIGHT); }
    void PushClick(int x, int y, int button = SDL_BUTTON_LEFT)
    {
        PushMouseMotion(windowID, x, y);
        PushMouseButton(windowID, static_cast<Uint8>(button), true, x, y);
        PushMouseButton(windowID, static_cast<Uint8>(button), false, x, y);
    }
    void PushClick(const Utils::GUI::Point& at) { PushClick(at.x, at.y); }
    // A key pressed and released, as SDL reports it.
    void PushKey(SDL_Keycode key)
    {
        Testing::PushKey(windowID, SDL_KEYDOWN, key);
        Testing::PushKey(windowID, SDL_KEYUP, key);
    }
    void PushText(const char* text) { Testing::PushText(windowID, text); }
    Utils::GUI::MenuItem* MenuItem(const char* text) { return FindMenuItem(root->GetMenu(), text); }
    // A pushed right click opens the menu and pushed clicks choose the item, through its parent
    // item when it sits in a sub-menu; a frame is drawn between the steps, as a user sees them.
    // The right click goes to a spot no window covers.
    void ChooseFromMenu(const char* parent, const char* text, Utils::GUI::Point at = {20, 20})
    {
        PushRightClick(at.x, at.y);
        Pump();
        Render();
        for (const char* step : {parent, text}) {
            if (!step)
                continue;
            Utils::GUI::MenuItem* item = MenuItem(step);
            ASSERT_NE(item, nullptr);
            PushClick(item->GetScreenPosition() + Utils::GUI::Point(10, item->GetSize().y / 2));
            Pump();
            Render();
        }
    }
    // The root's tracker once "Tracker" is chosen from the menu, or null.
    Utils::Studio::Tracker* OpenTrackerFromTheMenu()
    {
        ChooseFromMenu(nullptr, "Tracker");
        return dynamic_cast<Utils::Studio::Tracker*>(root->GetTracker());
    }
    Frame Render()
    {
        app->GetGraphicsDevice()->Clear(Graphics::ClearColor, Backdrop[0] / 255.0f, Backdrop[1] / 255.0f,
                                        Backdrop[2] / 255.0f, 1, 1, 0);
        root->Frame();
        return ReadBackBuffer(static_cast<Graphics::GLDevice*>(app->GetGraphicsDevice()));
    }
    // Where the tests leave their pictures: beside the test program.
    static std::string PicturePath(const char* name)
    {
        return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
    }

    Utils::Studio::Root* root = nullptr;  // the creator's reference, given back by Close
};

}  // namespace Nimbrel::Testing
