// The host's wipe: the scale each drawable of a frame gets while a scene grows in and shrinks
// away, the program's "Time", and drawables past the offset table.
#include "CircleWipe.h"
#include "TestEffect.h"

#include "support/FakeDevice.h"
#include "utils/Drawable.h"
#include "utils/State.h"

#include <gtest/gtest.h>

#include <vector>

namespace circle_wipe_test {

using namespace Nimbrel;
using Testing::FakeDevice;
using Testing::FakeProgram;

// Draws one triangle and records the x and y scale of the world it was drawn with.
class ScaleRecorder : public Utils::Drawable {
public:
    ScaleRecorder(Utils::State& state, FakeProgram& program) : state(state), program(program) {}
    void Draw() override
    {
        state.devices.Top()->Draw(0, 3);
        const std::vector<float> world = program.Find("World")->Values();
        xScales.push_back(world.at(0));
        yScales.push_back(world.at(5));
        zScales.push_back(world.at(10));
    }
    Utils::State& state;
    FakeProgram& program;
    std::vector<float> xScales, yScales, zScales;
};

struct WipeRig {
    FakeDevice device;
    Managed<Utils::State> state{new Utils::State()};
    Managed<FakeProgram> program{device.MakeProgram("float Time; float4x4 World")};
    Managed<ScaleRecorder> drawable{new ScaleRecorder(*state, *program)};
    WipeRig()
    {
        state->devices.Push(&device);
        state->programs.Push(program.Get());
    }
    // Draws `count` drawables in one frame at `time` of a wipe started at 16 s.
    std::vector<float> Frame(host::CircleWipe& wipe, float time, int count)
    {
        wipe.SetTime(time);
        wipe.ResetCount();
        drawable->xScales.clear();
        drawable->yScales.clear();
        drawable->zScales.clear();
        for (int i = 0; i < count; ++i)
            wipe.Render(*drawable, *state);
        return drawable->xScales;
    }
};

TEST(CircleWipeTest, DrawablesGrowInOneAfterAnotherAndShrinkInTheEighthSecond)
{
    struct Row {
        float time;
        std::vector<float> scales;  // of the first four drawables
    };
    const Row rows[] = {
        {16.0f, {0, 0, 0, 0}},
        {16.5f, {0.75f, 0.75f - 1 / 3.0f, 0.75f - 2 / 3.0f, 0}},
        {16.7f, {1, 1.05f - 1 / 3.0f, 1.05f - 2 / 3.0f, 0.05f}},
        {20.0f, {1, 1, 1, 1}},
        {23.5f, {0.5f, 0.5f, 0.5f, 0.5f}},
        {24.5f, {-0.5f, -0.5f, -0.5f, -0.5f}},  // past eight seconds the factor turns negative
        {15.0f, {0, 0, 0, 0}},
    };
    WipeRig rig;
    Managed<host::CircleWipe> wipe(new host::CircleWipe());
    wipe->Init(16.0f, 1.5f, 3.0f);
    for (const Row& row : rows) {
        const std::vector<float> scales = rig.Frame(*wipe, row.time, 4);
        ASSERT_EQ(scales.size(), 4u);
        for (size_t k = 0; k < 4; ++k)
            EXPECT_NEAR(scales[k], row.scales[k], 1e-5f) << "t " << row.time << ", drawable " << k;
        EXPECT_EQ(rig.drawable->yScales, scales) << "t " << row.time;
        EXPECT_EQ(rig.drawable->zScales, std::vector<float>(4, 1.0f)) << "t " << row.time;
    }
    EXPECT_EQ(rig.program->Find("Time")->Values(), std::vector<float>{15.0f});
    EXPECT_EQ(rig.state->worlds.Count(), 1);
    EXPECT_FALSE(rig.state->IsInBegin());
}

TEST(CircleWipeTest, DrawablesPastTheTableTakeItsLastEntry)
{
    WipeRig rig;
    Managed<host::CircleWipe> wipe(new host::CircleWipe());
    wipe->Init(0.0f, 1.0f, 100.0f);
    const std::vector<float> scales = rig.Frame(*wipe, 3.0f, 300);
    ASSERT_EQ(scales.size(), 300u);
    EXPECT_NEAR(scales[255], 3.0f - 2.55f, 1e-5f);
    for (size_t k = 256; k < scales.size(); ++k)
        ASSERT_EQ(scales[k], scales[255]) << "drawable " << k;
    // The next frame starts from the first entry again.
    EXPECT_EQ(rig.Frame(*wipe, 3.0f, 1), std::vector<float>{1.0f});
}

TEST(CircleWipeTest, TestEffectDrawsWithItsTimeAndTheWorldUnchanged)
{
    WipeRig rig;
    Managed<host::TestEffect> effect(new host::TestEffect());
    effect->SetTime(42.5f);
    effect->Render(*rig.drawable, *rig.state);
    EXPECT_EQ(rig.drawable->xScales, std::vector<float>{1.0f});
    EXPECT_EQ(rig.program->Find("Time")->Values(), std::vector<float>{42.5f});
    EXPECT_EQ(rig.device.log.back(), "Draw");
    EXPECT_FALSE(rig.state->IsInBegin());
}

}  // namespace circle_wipe_test
