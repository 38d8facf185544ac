// Effects: Render hands a target to the handler of its kind, and a typical drawable effect
// composes with the render state and a fake device.
#include "utils/Effect.h"

#include "support/FakeDevice.h"
#include "utils/Drawable.h"
#include "utils/State.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace effect_test {

using namespace Nimbrel;
using Testing::FakeDevice;
using Testing::FakeProgram;
using Utils::Drawable;
using Utils::Effect;
using Utils::State;
using Utils::Target;
using Utils::TargetType;

class RecordingEffect : public Effect {
public:
    std::vector<std::string> handled;
    void RenderSolid(Target&, State&) override { handled.push_back("Solid"); }
    void RenderCamera(Target&, State&) override { handled.push_back("Camera"); }
    void RenderLight(Target&, State&) override { handled.push_back("Light"); }
    void RenderPlayable(Target&, State&) override { handled.push_back("Playable"); }
    void RenderDrawable(Target&, State&) override { handled.push_back("Drawable"); }
};

class TypedTarget : public Target {
public:
    explicit TypedTarget(int type) : type(static_cast<TargetType>(type)) {}
    TargetType GetType() override { return type; }
    TargetType type;
};

TEST(EffectTest, RenderCallsTheHandlerOfTheTargetsKindOnly)
{
    struct Row {
        int type;
        const char* handler;  // empty: no handler
    };
    const Row rows[] = {
        {Utils::TargetTypeDrawable, "Drawable"}, {Utils::TargetTypePlayable, "Playable"},
        {Utils::TargetTypeLight, "Light"},       {Utils::TargetTypeCamera, "Camera"},
        {Utils::TargetTypeSolid, "Solid"},       {0, ""},
        {Utils::TargetTypeDrawable | Utils::TargetTypeLight, ""}, {32, ""},
        {-1, ""},
    };
    Managed<State> state(new State());
    for (const Row& row : rows) {
        Managed<RecordingEffect> effect(new RecordingEffect());
        Managed<TypedTarget> target(new TypedTarget(row.type));
        effect->Render(*target, *state);
        const std::vector<std::string> expected =
            *row.handler ? std::vector<std::string>{row.handler} : std::vector<std::string>{};
        EXPECT_EQ(effect->handled, expected) << "type " << row.type;
    }
}

// A drawable that draws one triangle on the device the state hands it.
class Triangle : public Drawable {
public:
    explicit Triangle(State& state) : state(state) {}
    void Draw() override { state.devices.Top()->Draw(0, 3); }
    State& state;
};

// The usual shape of an effect: its program on the state, Begin, its own parameter, the
// target's draws, End, and the state as it was.
class TimedEffect : public Effect {
public:
    TimedEffect(Graphics::Program* program, float time) : program(program), time(time) {}
    void RenderDrawable(Target& target, State& state) override
    {
        state.programs.Push(program);
        state.Begin();
        program->GetParameter(String("Time"))->SetFloat(1, &time);
        static_cast<Drawable&>(target).Draw();
        state.End();
        state.programs.Pop();
    }
    Graphics::Program* program;
    float time;
};

TEST(EffectTest, DrawableEffectDrawsInsideAPassWithItsOwnParameter)
{
    FakeDevice device;
    Managed<State> state(new State());
    state->devices.Push(&device);
    Managed<FakeProgram> program(device.MakeProgram("float Time; float4x4 WorldViewProjection"));
    Managed<TimedEffect> effect(new TimedEffect(program.Get(), 2.5f));
    Managed<Triangle> triangle(new Triangle(*state));

    effect->Render(*triangle, *state);
    const std::vector<std::string> expected = {
        "SetProgram",       "WorldViewProjection.SetMatrix4", "Time.SetFloat",
        "CreateBlendState", "CreateDepthStencilState",        "CreateRasterizerState",
        "SetBlendState",    "SetDepthStencilState",           "SetRasterizerState",
        "Time.SetFloat",    "Draw"};
    EXPECT_EQ(device.log, expected);
    EXPECT_EQ(program->Find("Time")->Values(), std::vector<float>{2.5f});  // the effect's value wins
    EXPECT_FALSE(state->IsInBegin());
    EXPECT_TRUE(state->programs.IsEmpty());
}

}  // namespace effect_test
