#pragma once
// A Cg effect for the COLLADA scenes the display tests draw: textured geometry lit by the
// directional light met in the tree, everything else in its emission colour.
#include "graphics/Program.h"
#include "utils/Drawable.h"
#include "utils/Effect.h"
#include "utils/State.h"
#include "utils/scenegraph/Light.h"

#include <cmath>

namespace Nimbrel::Testing {

// The diffuse map lit by one direction, with no ambient term.
inline const char* const ColladaLitSource = R"(
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
inline const char* const ColladaEmissionSource = R"(
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
class ColladaLitEffect : public Utils::Effect {
public:
    ColladaLitEffect(Graphics::Program* lit, Graphics::Program* emission) : lit(lit), emission(emission) {}

    void RenderLight(Utils::Target& target, Utils::State& state) override
    {
        auto& light = static_cast<Utils::SceneGraph::Light&>(target);
        light.GetColor()->Evaluate(state, 3, color);
        const Math::Matrix4& world = state.worlds.Top();
        const float length = std::sqrt(world[8] * world[8] + world[9] * world[9] + world[10] * world[10]);
        for (int i = 0; i < 3; ++i)
            toward[i] = world[8 + i] / length;
    }

    void RenderDrawable(Utils::Target& target, Utils::State& state) override
    {
        const bool textured = !state.diffuseMaps.IsEmpty();
        Graphics::Program* program = textured ? lit : emission;
        state.programs.Push(program);
        state.Begin();
        if (textured) {
            program->GetParameter("LightToward")->SetFloat3(1, toward);
            program->GetParameter("LightColor")->SetFloat3(1, color);
        }
        static_cast<Utils::Drawable&>(target).Draw();
        state.End();
        state.programs.Pop();
    }

private:
    Graphics::Program* lit;
    Graphics::Program* emission;
    float toward[3] = {0, 0, -1};
    float color[3] = {0, 0, 0};
};

}  // namespace Nimbrel::Testing
