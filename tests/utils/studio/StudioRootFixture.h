#pragma once
// A started Application over the fake device and input context, and a Studio root on it that
// draws with the recording blitter and reads the test's clock. The music is a recording
// transport. At the end the root is closed and collected, and no widget may be left over.

#include "input/Events.h"
#include "support/FakeDevice.h"
#include "support/FakeInput.h"
#include "support/GuiFixtures.h"
#include "support/RecordingBlitter.h"
#include "support/SDLAudio.h"
#include "support/StudioClock.h"
#include "utils/Application.h"
#include "utils/Effect.h"
#include "utils/State.h"
#include "utils/gui/Clock.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/studio/Root.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Nimbrel::Testing {

// The overlay effect of the tests: records what the render state holds when the root
// composites, as "blend <src>/<dest> <srcAlpha>/<destAlpha>, sampler <mag>/<min>/<mip>, map".
class CompositeRecorder : public Utils::Effect {
public:
    void Render(Utils::Target& target, Utils::State& state) override
    {
        const Graphics::BlendStateDescriptor& blend = state.blendStates.Top();
        const Graphics::SamplerStateDescriptor& sampler = state.diffuseSamplers.Top();
        calls.push_back(std::string(blend.blendEnable ? "blend " : "opaque ") + std::to_string(blend.srcBlend) + "/" +
                        std::to_string(blend.destBlend) + " " + std::to_string(blend.srcBlendAlpha) + "/" +
                        std::to_string(blend.destBlendAlpha) + ", sampler " + std::to_string(sampler.magFilter) + "/" +
                        std::to_string(sampler.minFilter) + "/" + std::to_string(sampler.mipFilter) +
                        (state.diffuseMaps.Top() == blitterTexture ? ", blitter texture" : ", other texture"));
        targets.push_back(&target);
    }
    Graphics::Texture* blitterTexture = nullptr;
    std::vector<std::string> calls;
    std::vector<Utils::Target*> targets;
};

class StudioRootTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseDummyAudioDriver();
        GuiTestTime() = 0.0;
        Utils::GUI::SetTimeSource([] { return GuiTestTime(); });
        StudioTestSeconds() = 50.0;
        startCount = Utils::GUI::Widget::GetWidgetCount();
        PrepareInput();
        app->SetGraphicsBackend(&graphics);
        app->SetInputBackend(&input);
        app->SetInputProcessing(true);
        app->Start();
        root = MakeRoot();
    }
    void TearDown() override
    {
        if (root)
            CloseRoot();
        EXPECT_EQ(Utils::GUI::Widget::GetWidgetCount(), startCount) << "widgets left after Close and Collect";
        Utils::GUI::SetTimeSource(nullptr);
    }
    // Joysticks must be attached before the Application starts.
    virtual void PrepareInput() {}

    Utils::Studio::Root* MakeRoot()
    {
        auto* made = new Utils::Studio::Root(app.Get(), blitter.Get(), overlay.Get(), &StudioTestClock);
        made->SetFont(Utils::GUI::FontResource(face.Get()));
        made->SetTimeSource(&music);
        app->SetInputListener(made);
        return made;
    }
    void CloseRoot()
    {
        app->SetInputListener(nullptr);
        root->Close();
        root = nullptr;
        Utils::GUI::Widget::Collect();
    }

    // Mouse and key events go in through the input context and reach the root in Update.
    void Mouse(const Input::MouseEvent& event)
    {
        input.context->MouseEvent(event.buttons, event.x, event.y, 0, 0, event.wheel, event.action);
    }
    void Click(const Utils::GUI::Point& at, int button = Input::MouseButtonLeft)
    {
        Mouse(MouseMove(at.x, at.y));
        Mouse(MouseDown(at.x, at.y, button));
        Mouse(MouseUp(at.x, at.y, button));
        ASSERT_TRUE(app->Update());
    }
    void Key(int key, int state) { input.context->KeyEvent(key, state); }
    // The middle of a widget on the screen.
    static Utils::GUI::Point Middle(Utils::GUI::Widget* widget)
    {
        const Utils::GUI::Point size = widget->GetSize();
        return widget->GetScreenPosition() + Utils::GUI::Point(size.x / 2, size.y / 2);
    }
    Utils::GUI::MenuItem* Item(const char* text) { return FindMenuItem(root->GetMenu(), text); }
    // Opens the menu with a right click and chooses the item, through its parent item when it
    // sits in a sub-menu.
    void Choose(const char* parent, const char* text)
    {
        Click({5, 5}, Input::MouseButtonRight);
        root->Frame();
        if (parent) {
            Click(Middle(Item(parent)));
            root->Frame();
        }
        Click(Middle(Item(text)));
    }

    FakeDeviceFactory graphics;
    FakeInputContextFactory input;
    Managed<Utils::Application> app{new Utils::Application()};
    Managed<RecordingBlitter> blitter{new RecordingBlitter()};
    Managed<CompositeRecorder> overlay{new CompositeRecorder()};
    Managed<Utils::Typography::FontFace> face = MonospaceFace();
    RecordingTransport music;
    Utils::Studio::Root* root = nullptr;  // the creator's reference, given back by Close
    int startCount = 0;
};

}  // namespace Nimbrel::Testing
