#pragma once
// What the scene-graph tests share: an effect that records what it is handed together with
// the state it sees, a geometry whose draw can be made to throw, and the depths of every
// render-state stack.

#include "core/Managed.h"
#include "support/FakeDevice.h"
#include "utils/Effect.h"
#include "utils/Geometry.h"
#include "utils/State.h"
#include "utils/scenegraph/ScopedPush.h"

#include <string>
#include <vector>

namespace Nimbrel::Testing {

// A geometry on the fake device that draws nothing, or throws when asked to.
class TestGeometry : public Utils::Geometry {
public:
    explicit TestGeometry(Graphics::Device* device, const char* name = "") : Geometry(device), name(name) {}
    void Draw() override
    {
        ++draws;
        if (throws)
            throw Exception("TestGeometry: draw failed");
    }
    std::string name;
    bool throws = false;
    int draws = 0;
};

// Records every target it is handed: its kind, the top of the world matrix's translation, the
// time and the name in effect. Drawables are drawn between a pushed program's Begin and End,
// as a real effect draws them, and the pass is closed when the draw throws.
class RecordingEffect : public Utils::Effect {
public:
    struct Call {
        std::string kind;
        std::string name;
        float x, y, z;
        double time;
    };

    void RenderDrawable(Utils::Target& target, Utils::State& state) override
    {
        Record("drawable", state);
        if (!program)
            return;
        Utils::SceneGraph::ScopedPush<Graphics::Program*> pushed(state.programs, program);
        state.Begin();
        try {
            static_cast<Utils::Drawable&>(target).Draw();
        } catch (...) {
            state.End();
            throw;
        }
        state.End();
    }
    void RenderLight(Utils::Target&, Utils::State& state) override { Record("light", state); }
    void RenderCamera(Utils::Target&, Utils::State& state) override { Record("camera", state); }
    void RenderSolid(Utils::Target&, Utils::State& state) override { Record("solid", state); }

    void Record(const char* kind, Utils::State& state)
    {
        if (!recording) {
            ++count;
            return;
        }
        const Math::Matrix4& world = state.worlds.Top();
        calls.push_back({kind, state.strings.IsEmpty() ? "" : state.strings.Top().CStr(), world[12], world[13],
                         world[14], state.times.IsEmpty() ? -1.0 : state.times.Top()});
    }

    std::vector<std::string> Kinds() const
    {
        std::vector<std::string> kinds;
        for (const Call& call : calls)
            kinds.push_back(call.kind);
        return kinds;
    }

    Graphics::Program* program = nullptr;
    bool recording = true;
    int count = 0;
    std::vector<Call> calls;
};

// The depth of every stack of the state, in declaration order.
inline std::vector<int> StackDepths(const Utils::State& s)
{
    return {s.effects.Count(), s.targetTypes.Count(), s.shapes.Count(), s.times.Count(), s.strings.Count(),
            s.framebuffers.Count(), s.resolutions.Count(), s.cameraPositions.Count(), s.worlds.Count(),
            s.views.Count(), s.projections.Count(), s.secondShapes.Count(), s.blendStates.Count(),
            s.depthStencilStates.Count(), s.rasterizerStates.Count(), s.shininess.Count(), s.transparency.Count(),
            s.displacement.Count(), s.reflectivity.Count(), s.normals.Count(), s.diffuseColors.Count(),
            s.specularColors.Count(), s.emissionColors.Count(), s.reflectionColors.Count(), s.shininessMaps.Count(),
            s.transparencyMaps.Count(), s.displacementMaps.Count(), s.reflectivityMaps.Count(),
            s.shininessComponents.Count(), s.transparencyComponents.Count(), s.displacementComponents.Count(),
            s.reflectivityComponents.Count(), s.normalMaps.Count(), s.diffuseMaps.Count(), s.specularMaps.Count(),
            s.emissionMaps.Count(), s.reflectionMaps.Count(), s.shininessSamplers.Count(),
            s.transparencySamplers.Count(), s.displacementSamplers.Count(), s.reflectivitySamplers.Count(),
            s.normalSamplers.Count(), s.diffuseSamplers.Count(), s.specularSamplers.Count(),
            s.emissionSamplers.Count(), s.reflectionSamplers.Count(), s.programs.Count(), s.devices.Count()};
}

}  // namespace Nimbrel::Testing
