// Initial values of global uniforms read from (preprocessed) Cg source.
#include "graphics/gl/CGUniformDefaults.h"

#include <gtest/gtest.h>

namespace cg_uniform_defaults_test {

using Nimbrel::Graphics::CGUniformDefaults;
using Values = std::vector<float>;

TEST(CGUniformDefaultsTest, LiteralInitialisersGiveTheirValues)
{
    auto defaults = CGUniformDefaults::Find(R"(
#line 1 "shader.cg"
float Shininess = 32;
uniform float3 LightColor = {1, 0.9, 0.8f};
float4 Tint : COLOR0 = float4(-1, +0.5, .25, 1e1);
float4x4 Identity = { 1, 0, 0, 0,  0, 1, 0, 0,  0, 0, 1, 0,  0, 0, 0, 1 };
float2 Pair[2] = { float2(1, 2), {3, 4} };
bool Enabled = true;
float a = 1, b = 2;
half Unset;
sampler2D Map;
)");
    std::map<std::string, Values> expected = {
        {"Shininess", {32}},
        {"LightColor", {1, 0.9f, 0.8f}},
        {"Tint", {-1, 0.5f, 0.25f, 10}},
        {"Identity", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"Pair", {1, 2, 3, 4}},
        {"Enabled", {1}},
        {"a", {1}},
        {"b", {2}},
    };
    EXPECT_EQ(defaults, expected);
}

TEST(CGUniformDefaultsTest, WhatIsNotAUniformWithALiteralValueIsLeftOut)
{
    auto defaults = CGUniformDefaults::Find(R"(
static const float weights[3] = { 0.25, 0.5, 0.25 };
const float Pi = 3.14159;
float Computed = 1.0 / 3.0;
float FromCall = sin(1);
struct Light { float4 color; };
float4 shade(float x = 2, float y = 3) { float local = 5; return local; }
float4 main(float2 uv : TEXCOORD0, uniform float Scale = 4) : COLOR { float inside = 6; return inside; }
float After = 7;
)");
    std::map<std::string, Values> expected = {{"After", {7}}};
    EXPECT_EQ(defaults, expected);
}

}  // namespace cg_uniform_defaults_test
