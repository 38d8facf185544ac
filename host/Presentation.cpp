#include "Presentation.h"

#include "graphics/Device.h"
#include "graphics/Parameter.h"
#include "math/Matrix4.h"
#include "platform/Clock.h"
#include "utils/Application.h"
#include "utils/ResourceProxy.h"
#include "utils/State.h"

#include <cmath>

namespace host {

using namespace Nimbrel;

const SceneEntry Presentation::sceneTable[SceneCount] = {
    {"data/scene00.dae", 1.5f, 3.0f},  {"data/scene01.dae", 1.5f, 5.0f},  {"data/scene02.dae", 2.5f, 5.0f},
    {"data/scene03.dae", 3.5f, 8.0f},  {"data/scene04.dae", 1.5f, 3.0f},  {"data/scene05.dae", 1.5f, 5.0f},
    {"data/scene06.dae", 1.2f, 3.0f},  {"data/scene07.dae", 2.5f, 5.0f},  {"data/scene08.dae", 1.5f, 5.0f},
    {"data/scene09.dae", 2.5f, 8.0f},  {"data/scene10.dae", 1.5f, 5.0f},  {"data/scene11.dae", 6.0f, 10.0f},
    {"data/scene12.dae", 4.0f, 10.0f}, {"data/scene13.dae", 4.0f, 10.0f}, {"data/scene14.dae", 4.0f, 10.0f},
};

Presentation::Presentation(Utils::Application& application)
    : application(application),
      music(application.GetResourceProxy(), "data/music.ogg"),
      floorGlow("floor.glow")
{
    Utils::ResourceProxy* proxy = application.GetResourceProxy();
    for (int i = 0; i < SceneCount; ++i)
        scenes[i] = SceneHandle(proxy, sceneTable[i].file);
    floor = SceneHandle(proxy, "data/floor.dae");
    sceneProgram = ProgramHandle(proxy, "data/scene.cg");
    glowProgram = ProgramHandle(proxy, "data/glow.cg");
    floorProgram = ProgramHandle(proxy, "data/floor.cg");
    texture = decltype(texture)(proxy, "data/texture.png");

    watch.Set(new Utils::ResourceWatch(proxy, &GetSeconds));
    sceneProgramEntry = watch->Watch(Utils::ResourceType::Program, "data/scene.cg");
    watch->Watch(Utils::ResourceType::Program, "data/glow.cg");
    floorProgramEntry = watch->Watch(Utils::ResourceType::Program, "data/floor.cg");
    watch->Watch(Utils::ResourceType::Texture2D, "data/texture.png");
}

int Presentation::SceneAt(float t)
{
    const int index = static_cast<int>(t) / 8 - 2;
    return index >= 0 && index < SceneCount ? index : -1;
}

void Presentation::Draw(float t)
{
    watch->Update();
    Graphics::Program* scenePixels = watch->Get<Graphics::Program>(sceneProgramEntry);
    Graphics::Program* floorPixels = watch->Get<Graphics::Program>(floorProgramEntry);
    Graphics::Device* device = application.GetGraphicsDevice();
    Utils::State* state = application.GetState();
    floorEffect->SetTime(t);

    Graphics::DepthStencilStateDescriptor depth = state->depthStencilStates.Top();
    depth.depthEnable = true;
    state->depthStencilStates.Push(depth);
    device->Clear(Graphics::ClearColor | Graphics::ClearDepth | Graphics::ClearStencil, 0.05f, 0.03f, 0.09f, 0.0f,
                  1.0f, 0);
    state->projections.Push(Math::Matrix4::Perspective(device->UsesGLDepthRange(), 45.0f, 1.3333334f, 1.0f, 1000.0f));
    const float turn = 0.8f * t;
    state->views.Push(Math::Matrix4::LookAt(
        Math::Vector3t<float>(100 * std::cos(turn), 200 * std::sin(turn), 300 + 200 * std::cos(turn)),
        Math::Vector3t<float>(0, 0, 0), Math::Vector3t<float>(0, 0, 1)));

    const int index = SceneAt(t);
    if (index >= 0) {
        wipe->SetTime(t);
        if (index != previousScene) {
            wipe->Init(t, sceneTable[index].speed, sceneTable[index].divisor);
            previousScene = index;
        }
        wipe->ResetCount();
        state->effects.Push(wipe.Get());
        state->programs.Push(scenePixels);
        scenes[index]->Traverse(*state);
        state->programs.Pop();
        state->effects.Pop();
    }
    const float glow = floorGlow.GetValue();
    floorPixels->GetParameter(glowName)->SetFloat(1, &glow);
    state->effects.Push(floorEffect.Get());
    state->programs.Push(floorPixels);
    floor->Traverse(*state);
    state->programs.Pop();
    state->effects.Pop();

    state->projections.Pop();
    state->views.Pop();
    state->depthStencilStates.Pop();
}

}  // namespace host
