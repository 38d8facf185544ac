// The demo host: configures and starts the Application, loads the content of "data/", plays
// the music and draws each frame: a camera circling the origin, the floor with its animated
// program, and from the sixteenth second on one of fifteen scenes for eight seconds each,
// grown in and shrunk away by the wipe. Any failure ends the presentation with its message.
// The presentation's clock is the music's play position.
#include "CircleWipe.h"
#include "TestEffect.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/Device.h"
#include "graphics/Program.h"
#include "graphics/Texture.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "io/StdStreams.h"
#include "math/Matrix4.h"
#include "utils/Application.h"
#include "utils/ProbeValue.h"
#include "utils/Resource.h"
#include "utils/ResourceProxy.h"
#include "utils/Scene.h"
#include "utils/State.h"
#include "utils/audio/Outlet.h"
#include "utils/audio/Stream.h"
#include "utils/typography/FontFace.h"

#include <cmath>
#include <memory>

namespace host {

using namespace Nimbrel;
using SceneHandle = Utils::Resource<Utils::Scene, Utils::ResourceType::Scene>;
using ProgramHandle = Utils::Resource<Graphics::Program, Utils::ResourceType::Program>;

// One scene of the presentation and how its wipe grows it in.
struct SceneEntry {
    const char* file;
    float speed;
    float divisor;
};

const SceneEntry sceneTable[] = {
    {"data/scene00.dae", 1.5f, 3.0f},  {"data/scene01.dae", 1.5f, 5.0f},  {"data/scene02.dae", 2.5f, 5.0f},
    {"data/scene03.dae", 3.5f, 8.0f},  {"data/scene04.dae", 1.5f, 3.0f},  {"data/scene05.dae", 1.5f, 5.0f},
    {"data/scene06.dae", 1.2f, 3.0f},  {"data/scene07.dae", 2.5f, 5.0f},  {"data/scene08.dae", 1.5f, 5.0f},
    {"data/scene09.dae", 2.5f, 8.0f},  {"data/scene10.dae", 1.5f, 5.0f},  {"data/scene11.dae", 6.0f, 10.0f},
    {"data/scene12.dae", 4.0f, 10.0f}, {"data/scene13.dae", 4.0f, 10.0f}, {"data/scene14.dae", 4.0f, 10.0f},
};
const int sceneCount = 15;

// Starts the Application. A display whose visual has no multisampling at the requested count
// would end the demo before it begins; the host then says so on the console and plays without
// multisampling instead.
void StartApplication(Utils::Application& application, IO::StdOutStream& out)
{
    try {
        application.Start();
    } catch (const Exception& e) {
        out.WriteText(String::Format("Starting with 4 samples per pixel failed (%s); trying "
                                     "without multisampling.\n",
                                     e.GetMessage().CStr()));
        application.SetMultiSamples(0);
        application.Start();
    }
}

}  // namespace host

int main()
{
    using namespace Nimbrel;

    Managed<IO::StdOutStream> out(IO::CreateStdOutStream());
    Graphics::GL2CGDeviceFactory backend;
    Managed<Utils::Application> application(new Utils::Application());
    int status = 0;
    try {
        application->SetGraphicsBackend(&backend);
        application->SetMultiSamples(4);
        application->SetResolution(1024, 768);
        application->SetFullscreen(true);
        application->SetExitOnEscape(true);
        application->SetInputProcessing(true);
        application->SetNativeBorder(false);
        application->SetTitle("Nimbrel 2");
        host::StartApplication(*application, *out);

        Utils::ResourceProxy* proxy = application->GetResourceProxy();
        Utils::Resource<Utils::Typography::FontFace, Utils::ResourceType::FontFace> font(proxy, "data/DejaVuSans.ttf:12");
        Utils::Resource<Utils::Audio::Stream, Utils::ResourceType::AudioStream> music(proxy, "data/music.ogg");
        // Released before the Application, whose device their geometry lives on.
        host::SceneHandle scenes[host::sceneCount];
        for (int i = 0; i < host::sceneCount; ++i)
            scenes[i] = host::SceneHandle(proxy, host::sceneTable[i].file);
        host::SceneHandle floor(proxy, "data/floor.dae");
        host::ProgramHandle sceneProgram(proxy, "data/scene.cg");
        host::ProgramHandle glowProgram(proxy, "data/glow.cg");
        host::ProgramHandle floorProgram(proxy, "data/floor.cg");
        Utils::Resource<Graphics::Texture2D, Utils::ResourceType::Texture2D> texture(proxy, "data/texture.png");

        auto outlet = std::make_unique<Utils::Audio::Outlet>(music.Get(), application->GetSoundDevice(), 4096);
        Utils::State* state = application->GetState();
        proxy->Collect();
        outlet->Play();

        Managed<host::TestEffect> floorEffect(new host::TestEffect());
        Managed<host::CircleWipe> wipe(new host::CircleWipe());
        int previousScene = -1;
        Utils::ProbeValue<int> sceneNumber("scene_no");
        sceneNumber = -2;

        Graphics::Device* device = application->GetGraphicsDevice();
        while (application->Update()) {
            Utils::ProbeValue<float>("FPS") = static_cast<float>(application->GetFPS());
            const float t = static_cast<float>(static_cast<double>(outlet->GetHeardFrames()) / outlet->GetHeardRate());
            floorEffect->SetTime(t);

            Graphics::DepthStencilStateDescriptor depth = state->depthStencilStates.Top();
            depth.depthEnable = true;
            state->depthStencilStates.Push(depth);
            device->Clear(Graphics::ClearColor | Graphics::ClearDepth | Graphics::ClearStencil,
                          0.05f, 0.03f, 0.09f, 0.0f, 1.0f, 0);
            state->projections.Push(
                Math::Matrix4::Perspective(device->UsesGLDepthRange(), 45.0f, 1.3333334f, 1.0f, 1000.0f));
            const float turn = 0.8f * t;
            state->views.Push(Math::Matrix4::LookAt(
                Math::Vector3t<float>(100 * std::cos(turn), 200 * std::sin(turn), 300 + 200 * std::cos(turn)),
                Math::Vector3t<float>(0, 0, 0), Math::Vector3t<float>(0, 0, 1)));

            const int index = static_cast<int>(t) / 8 - 2;
            if (index >= 0 && index < host::sceneCount) {
                wipe->SetTime(t);
                if (index != previousScene) {
                    wipe->Init(t, host::sceneTable[index].speed, host::sceneTable[index].divisor);
                    previousScene = index;
                }
                wipe->ResetCount();
                state->effects.Push(wipe.Get());
                state->programs.Push(sceneProgram.Get());
                scenes[index]->Traverse(*state);
                state->programs.Pop();
                state->effects.Pop();
            }
            state->effects.Push(floorEffect.Get());
            state->programs.Push(floorProgram.Get());
            floor->Traverse(*state);
            state->programs.Pop();
            state->effects.Pop();

            state->projections.Pop();
            state->views.Pop();
            state->depthStencilStates.Pop();
        }

        outlet.reset();
    } catch (const Exception& e) {
        out->WriteText(e.GetMessage());
        application->ReportException(e);
        status = 1;  // so scripts that play the demo see that it failed
    }
    application.Set(nullptr);
    out.Set(nullptr);
    return status;
}
