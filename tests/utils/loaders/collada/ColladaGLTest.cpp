// A COLLADA scene written here, imported through the default proxy onto the GL device and
// drawn under Xvfb at two times: a textured cube lit by a directional light, and a sphere
// whose translation an animation drives.
#include "core/Managed.h"
#include "support/CgGLWindow.h"
#include "support/ColladaWriter.h"
#include "support/ImageFixtures.h"
#include "support/MemoryFileSystem.h"
#include "support/SDLVideo.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Effect.h"
#include "utils/Scene.h"
#include "utils/scenegraph/Light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace collada_gl_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Testing::Rgb;

// The diffuse map lit by one direction, with no ambient term.
const char* const LitSource = R"(
struct VertexInput {
    float4 position : N_POSITION;
    float3 normal   : N_NORMAL;
    float2 uv       : N_TEXCOORD0;
};

struct VertexOutput {
    float4 position : POSITION;
    float3 normal   : TEXCOORD0;
    float2 uv       : TEXCOORD1;
};

float4x4 World;
float4x4 WorldViewProjection;
float3 LightToward;
float3 LightColor;
sampler2D DiffuseMap;

VertexOutput vsMain(VertexInput IN)
{
    VertexOutput OUT;
    OUT.position = mul(WorldViewProjection, IN.position);
    OUT.normal = mul((float3x3)World, IN.normal);
    OUT.uv = IN.uv;
    return OUT;
}

float4 psMain(VertexOutput IN) : COLOR
{
    float lit = max(dot(normalize(IN.normal), LightToward), 0);
    return float4(tex2D(DiffuseMap, IN.uv).rgb * LightColor * lit, 1);
}
)";

// The emission colour alone.
const char* const EmissionSource = R"(
float4x4 WorldViewProjection;
float3 Emission;

float4 vsMain(float4 position : N_POSITION) : POSITION
{
    return mul(WorldViewProjection, position);
}

float4 psMain() : COLOR
{
    return float4(Emission, 1);
}
)";

// Takes the light it meets (its colour, and the direction it shines in: its node's -z), and
// draws textured geometry lit by it, everything else in its emission colour.
class LitEffect : public Effect {
public:
    LitEffect(Graphics::Program* lit, Graphics::Program* emission) : lit(lit), emission(emission) {}

    void RenderLight(Target& target, State& state) override
    {
        auto& light = static_cast<SceneGraph::Light&>(target);
        light.GetColor()->Evaluate(state, 3, color);
        const Math::Matrix4& world = state.worlds.Top();
        const float length = std::sqrt(world[8] * world[8] + world[9] * world[9] + world[10] * world[10]);
        for (int i = 0; i < 3; ++i)
            toward[i] = world[8 + i] / length;
    }

    void RenderDrawable(Target& target, State& state) override
    {
        const bool textured = !state.diffuseMaps.IsEmpty();
        Graphics::Program* program = textured ? lit : emission;
        state.programs.Push(program);
        state.Begin();
        if (textured) {
            program->GetParameter("LightToward")->SetFloat3(1, toward);
            program->GetParameter("LightColor")->SetFloat3(1, color);
        }
        static_cast<Drawable&>(target).Draw();
        state.End();
        state.programs.Pop();
    }

private:
    Graphics::Program* lit;
    Graphics::Program* emission;
    float toward[3] = {0, 0, -1};
    float color[3] = {0, 0, 0};
};

class ColladaGLTest : public Testing::CgGLWindow {};

TEST_F(ColladaGLTest, ALitTexturedCubeAndAnAnimatedSphereDrawAtTwoTimes)
{
    ASSERT_NO_FATAL_FAILURE(Open(64, 64));
    Managed<Graphics::Program> litProgram = Link(LitSource);
    Managed<Graphics::Program> emissionProgram = Link(EmissionSource);
    Managed<LitEffect> effect(new LitEffect(litProgram.Get(), emissionProgram.Get()));

    // The light turns 120 degrees about y from shining down -z, so it meets the cube's face
    // towards the viewer (normal -z) at 60 degrees: half its colour. The sphere's x goes from
    // 0.2 at time 0 to 1 at time 2.
    Testing::ColladaWriter writer;
    writer.AddImage("orange", "maps/orange.png");
    writer.AddTextureEffect("orange-fx", "orange");
    writer.AddMaterial("orange-m", "orange-fx");
    writer.AddColorEffect("green-fx", "constant", "emission", {0, 1, 0});
    writer.AddMaterial("green-m", "green-fx");
    writer.AddMesh(Testing::CubeMesh("cube", 0.25f));
    writer.AddMesh(Testing::SphereMesh("ball", 0.2f, 16, 24));
    writer.AddDirectionalLight("sun-light", {1, 1, 1});
    writer.AddLinearAnimation("ball-x", "ball/move.X", {0, 2}, {0.2f, 1.0f}, 1);
    writer.AddNode("<node id=\"sun\"><rotate>0 1 0 120</rotate><instance_light url=\"#sun-light\"/></node>");
    writer.AddNode("<node id=\"box\" name=\"box\"><translate>-0.5 0 0</translate>" +
                   Testing::ColladaWriter::Instance("cube", "orange-m") + "</node>");
    writer.AddNode("<node id=\"ball\" name=\"ball\"><translate sid=\"move\">0.2 0 0</translate>" +
                   Testing::ColladaWriter::Instance("ball", "green-m") + "</node>");
    const std::string text = writer.Text();

    Managed<Testing::MemoryFileSystem> files(new Testing::MemoryFileSystem());
    (*files)["demo/scene.dae"].assign(text.begin(), text.end());
    (*files)["demo/maps/orange.png"] = Testing::EncodePngRgb(1, 1, {255, 128, 0});
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    proxy->SetFileSystem(files.Get());
    proxy->SetGraphicsDevice(device.Get());
    Managed<Scene> scene(static_cast<Scene*>(proxy->Get(ResourceType::Scene, "demo/scene.dae")));
    // Nothing skipped but the asset and the scene instance, which the engine does not need.
    ASSERT_EQ(scene->GetImportLog().Count(), 2);
    EXPECT_STREQ(scene->GetImportLog()[0].CStr(), "Element ignored: COLLADA/asset");
    EXPECT_STREQ(scene->GetImportLog()[1].CStr(), "Element ignored: COLLADA/scene");

    Graphics::DepthStencilStateDescriptor depth;
    depth.depthEnable = true;
    state->depthStencilStates.Push(depth);
    state->effects.Push(effect.Get());
    for (double time : {0.0, 1.0}) {
        SCOPED_TRACE("at " + std::to_string(time));
        state->times.Push(time);
        device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0, 1, 1, 0);
        scene->Traverse(*state);
        state->times.Pop();
        const Testing::Frame frame = ReadFrame();

        // Pixel centres in clip space: x = (column + 0.5) / 32 - 1, y = 1 - (row + 0.5) / 32.
        // The sphere's outline is a polygon a little inside its radius, so a thin ring around
        // it is not checked; nor is the one-pixel rim of the cube's face.
        const float ballX = 0.2f + 0.4f * float(time);
        int wrong = 0;
        std::string first;
        for (int row = 0; row < frame.height; ++row)
            for (int column = 0; column < frame.width; ++column) {
                const float x = (float(column) + 0.5f) / 32 - 1;
                const float y = 1 - (float(row) + 0.5f) / 32;
                const float fromBall = std::hypot(x - ballX, y) / 0.2f;
                const float boxEdge = std::max(std::abs(x + 0.5f), std::abs(y));
                Rgb expected;
                if (fromBall < 0.9f)
                    expected = {0, 255, 0};
                else if (boxEdge < 0.25f - 1.0f / 32)
                    expected = {128, 64, 0};
                else if (fromBall > 1.1f && boxEdge > 0.25f + 1.0f / 32)
                    expected = {0, 0, 0};
                else
                    continue;
                if (!Testing::Near(frame.At(column, row), expected, 2) && wrong++ < 4)
                    first += " (" + std::to_string(column) + ", " + std::to_string(row) + ") is " +
                             Testing::ToText(frame.At(column, row)) + " not " + Testing::ToText(expected);
            }
        EXPECT_EQ(wrong, 0) << "pixels off the cube and the sphere, for example" << first;
    }
    state->effects.Pop();
    state->depthStencilStates.Pop();
}

}  // namespace collada_gl_test
