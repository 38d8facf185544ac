// Scene traversal: a tree of 10,000 nodes (3,333 objects of a moving translation, a turning
// rotation and a geometry, under one root) drawn by a recording effect that keeps each world
// matrix and issues one draw on the fake device (recording off). Beside it, the same work
// without the tree: the same matrices multiplied and the same draws issued by a plain loop,
// once with the local matrices made beforehand and once evaluating the same controllers.
// Counters: the time per node, and the heap allocations of one traversal once the stacks
// have grown (counted where the sanitizer's allocation hooks exist, else -1).
#include "support/AllocationWatch.h"
#include "support/FakeDevice.h"
#include "utils/Effect.h"
#include "utils/Geometry.h"
#include "utils/State.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/LinearController.h"
#include "utils/scenegraph/NameNode.h"
#include "utils/scenegraph/TransformNodes.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace scene_bench {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;

constexpr int Objects = 3333;
constexpr int Nodes = 1 + 3 * Objects;

class RecordingEffect : public Effect {
public:
    RecordingEffect(Graphics::Device* device) : device(device), worlds(Objects) {}
    void RenderDrawable(Target&, State& state) override
    {
        worlds[size_t(count++)] = state.worlds.Top();
        device->Draw(0, 6);
    }
    Graphics::Device* device;
    std::vector<Math::Matrix4> worlds;
    int count = 0;
};

struct World {
    Testing::FakeDevice device;
    Managed<Geometry> geometry{new Geometry(&device)};
    Managed<Node> root{new NameNode("root")};
    std::vector<Managed<Controller>> moves, turns;

    World()
    {
        device.recording = false;
        device.draws.reserve(Objects);
        GeometryResource handle(geometry.Get());
        for (int i = 0; i < Objects; ++i) {
            Managed<LinearController> move(new LinearController(3, nullptr));
            const float from[] = {float(i), 0, 0}, to[] = {float(i), 10, 0};
            move->AddKey(0, 3, from);
            move->AddKey(10, 3, to);
            const float axis[] = {0, 0, 1, float(i % 360)};
            Managed<Controller> turn(new ConstantController(4, axis));
            Managed<TranslateNode> translate(new TranslateNode(move.Get()));
            Managed<RotateNode> rotate(new RotateNode(turn.Get()));
            Managed<DrawGeometryNode> draw(new DrawGeometryNode(handle));
            root->AddChild(translate.Get());
            translate->AddChild(rotate.Get());
            rotate->AddChild(draw.Get());
            moves.push_back(Managed<Controller>(move));
            turns.push_back(turn);
        }
    }
};

void PerNode(benchmark::State& bench)
{
    bench.counters["per_node"] =
        benchmark::Counter(double(Nodes), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Traversal(benchmark::State& bench)
{
    World world;
    Managed<RecordingEffect> effect(new RecordingEffect(&world.device));
    Managed<State> state(new State());
    state->effects.Push(effect.Get());
    state->times.Push(2.5);
    auto traverse = [&] {
        effect->count = 0;
        world.device.draws.clear();
        world.root->Traverse(*state);
    };
    traverse();  // the stacks grow to their depth once
    const double allocations = Testing::AllocationsPerCall(10, traverse);
    for (auto _ : bench) {
        traverse();
        benchmark::DoNotOptimize(effect->worlds.data());
    }
    if (effect->count != Objects)
        bench.SkipWithError("not every object was drawn");
    PerNode(bench);
    bench.counters["allocations_per_traversal"] = allocations;
}
BENCHMARK(Traversal)->Unit(benchmark::kMicrosecond);

// The same products and draws with the local matrices made beforehand.
void PlainLoop(benchmark::State& bench)
{
    World world;
    Managed<State> state(new State());
    state->times.Push(2.5);
    std::vector<Math::Matrix4> translations, rotations, worlds(Objects);
    for (int i = 0; i < Objects; ++i) {
        float t[3], r[4];
        world.moves[size_t(i)]->Evaluate(*state, 3, t);
        world.turns[size_t(i)]->Evaluate(*state, 4, r);
        translations.push_back(Math::Matrix4::Translation(t[0], t[1], t[2]));
        rotations.push_back(Math::Matrix4::Rotation(r[3], r[0], r[1], r[2]));
    }
    const Math::Matrix4 root;
    for (auto _ : bench) {
        world.device.draws.clear();
        for (int i = 0; i < Objects; ++i) {
            worlds[size_t(i)] = (root * translations[size_t(i)]) * rotations[size_t(i)];
            world.device.Draw(0, 6);
        }
        benchmark::DoNotOptimize(worlds.data());
    }
    PerNode(bench);
}
BENCHMARK(PlainLoop)->Unit(benchmark::kMicrosecond);

// The same, evaluating the controllers and building the local matrices every time, as the
// traversal does.
void PlainLoopWithControllers(benchmark::State& bench)
{
    World world;
    Managed<State> state(new State());
    state->times.Push(2.5);
    std::vector<Math::Matrix4> worlds(Objects);
    const Math::Matrix4 root;
    for (auto _ : bench) {
        world.device.draws.clear();
        for (int i = 0; i < Objects; ++i) {
            float t[3] = {0, 0, 0}, r[4] = {0, 0, 0, 0};
            world.moves[size_t(i)]->Evaluate(*state, 3, t);
            world.turns[size_t(i)]->Evaluate(*state, 4, r);
            worlds[size_t(i)] = (root * Math::Matrix4::Translation(t[0], t[1], t[2])) *
                                Math::Matrix4::Rotation(r[3], r[0], r[1], r[2]);
            world.device.Draw(0, 6);
        }
        benchmark::DoNotOptimize(worlds.data());
    }
    PerNode(bench);
}
BENCHMARK(PlainLoopWithControllers)->Unit(benchmark::kMicrosecond);

}  // namespace scene_bench
