#pragma once
// The base of the tests that drive the GUI or the Studio as a user would: a started Application
// on a real window, fed by events pushed into SDL's queue (SDLVideo.h), and DejaVu Sans at 12
// pixels loaded for the widgets. A test that derives from it still includes support/SDLVideo.h
// itself, which is what puts it among the display tests.

#include "core/Managed.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "support/MemoryFileSystem.h"
#include "support/SDLAudio.h"
#include "support/SDLVideo.h"
#include "utils/Application.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/typography/FontFace.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace Nimbrel::Testing {

class SDLApplicationTest : public ::testing::Test {
protected:
    // Starts the application with input processing on a window of the given size and loads the
    // font into `face`. Callers return when it failed: `if (HasFatalFailure()) return;`.
    void StartApplication(const char* title, int width, int height)
    {
        HoldSDLVideo();
        UseDummyAudioDriver();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        app->SetGraphicsBackend(&backend);
        app->SetResolution(width, height);
        app->SetTitle(title);
        app->SetInputProcessing(true);
        app->Start();
        windowID = static_cast<Uint32>(app->GetWindow()->GetHandle());
        ASSERT_NE(windowID, 0u);
        std::ifstream file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
        (*files)["DejaVuSans.ttf"].assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        fonts->SetFileSystem(files.Get());
        face.Set(static_cast<Utils::Typography::FontFace*>(fonts->Get(Utils::ResourceType::FontFace, "DejaVuSans.ttf:12")));
    }

    // One pass pumps SDL's queue into the engine's, the next hands the events on.
    void Pump()
    {
        ASSERT_TRUE(app->Update());
        ASSERT_TRUE(app->Update());
    }

    Graphics::GL2CGDeviceFactory backend;
    Managed<Utils::Application> app{new Utils::Application()};
    Uint32 windowID = 0;
    Managed<MemoryFileSystem> files{new MemoryFileSystem()};
    Managed<Utils::ResourceProxy> fonts{new Utils::DefaultResourceProxy()};
    Managed<Utils::Typography::FontFace> face;
};

}  // namespace Nimbrel::Testing
