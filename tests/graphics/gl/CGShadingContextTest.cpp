// Cg shading on the GL device under Xvfb with Mesa: shaders compiled from Cg source, drawn
// through the device, pixels read back. What the attribute, the matrix, the sampler or the
// varying does is judged by the colour it puts on the screen.
#include "graphics/gl/CGShadingContext.h"

#include "core/Managed.h"
#include "graphics/Buffer.h"
#include "graphics/InputElement.h"
#include "graphics/InputLayout.h"
#include "graphics/Parameter.h"
#include "graphics/Program.h"
#include "graphics/Shader.h"
#include "graphics/StateDescriptors.h"
#include "graphics/StateObjects.h"
#include "graphics/Texture.h"
#include "graphics/gl/CGParameter.h"
#include "graphics/gl/CGDrawingTest.h"
#include "graphics/gl/CgSources.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "graphics/gl/GLDevice.h"
#include "platform/Window.h"
#include "support/Expect.h"
#include "support/GLCallCounter.h"
#include "support/SDLVideo.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace cg_shading_context_test {

using namespace Nimbrel;
using namespace Nimbrel::Graphics;

using Testing::CGDrawingTest;
using Testing::Color;
using Testing::ExpectColor;

class CGShadingContextTest : public CGDrawingTest {};

TEST_F(CGShadingContextTest, InputSemanticsReadTheGenericAttributeTheyName)
{
    struct Case {
        const char* semantic;
        int attribute;
    };
    // The semantic map's names read their slot; Cg's conventional semantics their own
    // attributes (NORMAL is 2 there, where the engine's N_NORMAL is 4).
    const Case cases[] = {
        {"N_NORMAL", 4},  {"N_COLOR", 3},    {"N_TEXCOORD1", 9}, {"N_TANGENT", 5}, {"NORMAL", 2},
        {"COLOR1", 4},    {"TEXCOORD2", 10}, {"TANGENT", 14},    {"ATTR6", 6},
    };
    for (const Case& c : cases) {
        std::string source = std::string("void vsMain(float4 p : N_POSITION, float4 v : ") + c.semantic +
                             ", out float4 o : POSITION, out float4 color : COLOR0) { o = p; color = v; }\n"
                             "float4 psMain(float4 color : COLOR0) : COLOR { return color; }\n";
        Managed<Program> program = Link(source.c_str());
        // Every attribute but the position holds its own index in red.
        for (int attribute = 1; attribute < 16; ++attribute) {
            float value[4] = {attribute / 16.0f, 0.25f, 0.5f, 1.0f};
            glDevice->GetGL().VertexAttrib4fv(GLuint(attribute), value);
        }
        Clear();
        DrawQuad(program.Get());
        ExpectColor(Pixel(Size / 2, Size / 2), {c.attribute * 16, 64, 128, 255}, 2, c.semantic);
    }
}

TEST_F(CGShadingContextTest, MulWithAColumnMajorMatrixMovesTheVertexWhereCgDoes)
{
    Managed<Program> program = Link(R"(
float4x4 World;
void vsMain(float4 position : N_POSITION, out float4 hpos : POSITION, out float4 color : COLOR0)
{
    hpos = mul(World, position);
    color = World[1];   // Cg indexes rows
}
float4 psMain(float4 color : COLOR0) : COLOR { return color; }
)");
    // A translation by (0.5, 0.25) in column-major order: the last column holds it.
    const float world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0.25f, 0, 1};
    Parameter* parameter = program->GetParameter("World");
    ASSERT_TRUE(parameter->IsValid());
    EXPECT_EQ(parameter->GetParameterType(), ParameterTypeFloat4x4);
    parameter->SetMatrix4(1, world);
    Clear();
    DrawQuad(program.Get(), -0.1f, -0.1f, 0.1f, 0.1f);
    // Clip (0.5, 0.25) is pixel (48, 40); row 1 of the matrix is (0, 1, 0, 0.25).
    ExpectColor(Pixel(48, 40), {0, 255, 0, 64}, 1, "moved quad");
    ExpectColor(Pixel(32, 32), {0, 0, 0, 0}, 0, "where the quad was");
}

TEST_F(CGShadingContextTest, DeclaredValuesAreTheParametersStartingValues)
{
    Managed<Program> program = Link(R"(
float4x4 Offset = { 1, 0, 0, 0.5,
                    0, 1, 0, 0,
                    0, 0, 1, 0,
                    0, 0, 0, 1 };
float4 Tint = float4(0.25, 0.5, 0.75, 1);
float Gain = 1;
const float Unit = 1;   // a constant in Cg, however the compiler below takes it
void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = mul(Offset, p); }
float4 psMain() : COLOR { return Tint * Gain * Unit; }
)");
    Clear();
    DrawQuad(program.Get(), -0.1f, -0.1f, 0.1f, 0.1f);
    // The matrix is written row by row: its first row moves x by 0.5, to pixel 48.
    ExpectColor(Pixel(48, 32), {64, 128, 191, 255}, 1, "declared values");
    ExpectColor(Pixel(32, 32), {0, 0, 0, 0}, 0, "where the quad was");
    const float half = 0.5f;
    program->GetParameter("Gain")->SetFloat(1, &half);
    Clear();
    DrawQuad(program.Get(), -0.1f, -0.1f, 0.1f, 0.1f);
    ExpectColor(Pixel(48, 32), {32, 64, 96, 128}, 1, "a value set over a declared one");
}

TEST_F(CGShadingContextTest, ParametersAreTheUniformsOfEitherStageByName)
{
    const char* source = R"(
float Scale;
float4 Shared;
float4 Tint;
float4 NeverUsed;
void vsMain(float4 p : N_POSITION, out float4 o : POSITION, out float4 c : COLOR0)
{
    o = float4(p.xy * Scale, p.zw);
    c = Shared;
}
float4 psMain(float4 c : COLOR0) : COLOR { return c + Tint + Shared; }
)";
    Managed<Program> program = Link(source);
    Managed<Program> other = Link(source);

    ASSERT_EQ(program->GetParameterCount(), 3);
    EXPECT_EQ(program->GetParameter(0)->GetName(), "Scale");
    EXPECT_EQ(program->GetParameter(1)->GetName(), "Shared");
    EXPECT_EQ(program->GetParameter(2)->GetName(), "Tint");
    struct Case {
        const char* name;
        bool vertex;
        bool pixel;
        ParameterType type;
    };
    for (const Case& c : {Case{"Scale", true, false, ParameterTypeFloat}, Case{"Shared", true, true, ParameterTypeFloat4},
                          Case{"Tint", false, true, ParameterTypeFloat4}}) {
        auto* parameter = dynamic_cast<CGParameter*>(program->GetParameter(c.name));
        ASSERT_NE(parameter, nullptr) << c.name;
        EXPECT_TRUE(parameter->IsValid()) << c.name;
        EXPECT_EQ(parameter->GetHandle(CGParameter::StageVertex).present, c.vertex) << c.name;
        EXPECT_EQ(parameter->GetHandle(CGParameter::StagePixel).present, c.pixel) << c.name;
        EXPECT_EQ(parameter->GetParameterType(), c.type) << c.name;
        EXPECT_EQ(parameter->GetArraySize(), 1) << c.name;
    }

    // A name the program does not use: the same invalid parameter every time, not counted.
    for (const char* name : {"NeverUsed", "NoSuchName"}) {
        Parameter* unused = program->GetParameter(name);
        EXPECT_EQ(program->GetParameter(name), unused);
        EXPECT_FALSE(unused->IsValid());
        EXPECT_EQ(unused->GetArraySize(), 0);
        EXPECT_THROW_MESSAGE(unused->GetParameterType(), "GetParameterType(): Parameter is not valid");
        const float ignored[4] = {1, 1, 1, 1};
        unused->SetFloat4(1, ignored);
    }
    EXPECT_EQ(program->GetParameterCount(), 3);

    // Values set while another program is bound still land in this one.
    device->SetProgram(other.Get());
    const float scale = 1, shared[4] = {0.25f, 0, 0, 0}, tint[4] = {0, 0.5f, 0, 1};
    program->GetParameter("Scale")->SetFloat(1, &scale);
    program->GetParameter("Shared")->SetFloat4(1, shared);
    program->GetParameter("Tint")->SetFloat4(1, tint);
    Clear();
    DrawQuad(program.Get());
    ExpectColor(Pixel(32, 32), {128, 128, 0, 255}, 1, "both stages' values");
}

TEST_F(CGShadingContextTest, ArraySettersWriteEachStagesOwnLength)
{
    // One name, an array of two in the vertex stage and a single vector in the pixel stage.
    Managed<Program> program = Link(R"(
float4 Value[2];
void vsMain(float4 p : N_POSITION, out float4 o : POSITION, out float4 c : COLOR0) { o = p; c = Value[1]; }
)", R"(
float4 Value;
float4 psMain(float4 c : COLOR0) : COLOR { return c + Value; }
)");
    auto* parameter = dynamic_cast<CGParameter*>(program->GetParameter("Value"));
    ASSERT_NE(parameter, nullptr);
    EXPECT_EQ(parameter->GetHandle(CGParameter::StageVertex).arraySize, 2);
    EXPECT_EQ(parameter->GetHandle(CGParameter::StagePixel).arraySize, 0);
    EXPECT_EQ(parameter->GetArraySize(), 1);  // the pixel stage answers first

    // Five vectors offered: the vertex array takes two, the pixel vector the first.
    const float values[20] = {0.25f, 0, 0, 0.5f, 0, 0.5f, 0, 0.5f, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    parameter->SetFloat4(5, values);
    Clear();
    DrawQuad(program.Get());
    ExpectColor(Pixel(32, 32), {64, 128, 0, 255}, 1, "element 1 in the vertex stage plus the pixel vector");
}

TEST_F(CGShadingContextTest, VectorsOfAnotherWidthSetTheCommonComponentsAndZeroTheRest)
{
    // A short array and one too long to widen on the stack: both must arrive the same way.
    // Blue shows what is left in the w components, which were 1 before the narrow set.
    Managed<Program> program = Link(R"(
float4 Short[2];
float4 Long[40];
void vsMain(float4 p : N_POSITION, out float4 o : POSITION, out float4 c : COLOR0) { o = p; c = Short[1]; }
)", R"(
float4 Long[40];
float4 psMain(float4 c : COLOR0) : COLOR { return float4(c.x, c.y + Long[39].y, c.w + Long[39].w, 1); }
)");
    const std::vector<float> ones(4 * 40, 1.0f);
    std::vector<float> shortValues(3 * 2, 0.0f), longValues(3 * 40, 0.0f);
    shortValues[3] = 0.25f;  // Short[1].x
    shortValues[4] = 0.5f;   // Short[1].y
    longValues[3 * 39 + 1] = 0.25f;  // Long[39].y
    program->GetParameter("Short")->SetFloat4(2, ones.data());
    program->GetParameter("Short")->SetFloat3(2, shortValues.data());
    program->GetParameter("Long")->SetFloat4(40, ones.data());
    program->GetParameter("Long")->SetFloat3(40, longValues.data());
    Clear();
    DrawQuad(program.Get());
    ExpectColor(Pixel(32, 32), {64, 191, 0, 255}, 1, "x and y of Short[1] plus y of Long[39], w zeroed");
}

TEST_F(CGShadingContextTest, SamplersSampleWithTheirStateAndSkipRepeats)
{
    Managed<Program> program = Link(R"(
sampler2D DiffuseMap;
void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }
float4 psMain(uniform float2 at) : COLOR { return tex2D(DiffuseMap, at); }
)");
    EXPECT_EQ(program->GetParameter("DiffuseMap")->GetParameterType(), ParameterTypeSampler2D);
    const float at[2] = {0.4f, 0.5f};
    program->GetParameter("at")->SetFloat2(1, at);
    // Red then blue: at u = 0.4 a point sample is red, a linear one 30 % blue.
    Managed<Texture2D> texture = MakeTexture(2, 1, {255, 0, 0, 255, 0, 0, 255, 255});
    Managed<SamplerState> point = MakeSampler(FilterPoint);
    Managed<SamplerState> linear = MakeSampler(FilterLinear);
    Parameter* map = program->GetParameter("DiffuseMap");

    map->SetSampler(texture.Get(), point.Get());
    Clear();
    DrawQuad(program.Get());
    ExpectColor(Pixel(32, 32), {255, 0, 0, 255}, 1, "point");

    map->SetSampler(texture.Get(), linear.Get());
    Clear();
    DrawQuad(program.Get());
    ExpectColor(Pixel(32, 32), {178, 0, 77, 255}, 2, "linear");

    {
        Testing::GLCallCounter counter(glDevice->GetGL());
        map->SetSampler(texture.Get(), linear.Get());
        EXPECT_EQ(counter.Total(), 0) << counter.Order();
        map->SetSampler(texture.Get(), point.Get());
        EXPECT_GT(counter.Count("glBindTexture"), 0) << counter.Order();
        EXPECT_EQ(counter.Count("glTexParameteri"), 4) << counter.Order();
    }

    // The cache holds the texture it was set with, so that address cannot name another
    // texture while it is cached; setting another lets it go.
    int32_t held = texture->GetRefCount();
    Managed<Texture2D> second = MakeTexture(1, 1, {0, 255, 0, 255});
    map->SetSampler(second.Get());
    EXPECT_EQ(texture->GetRefCount(), held - 1);
    Clear();
    DrawQuad(program.Get());
    ExpectColor(Pixel(32, 32), {0, 255, 0, 255}, 1, "second texture");
}

TEST_F(CGShadingContextTest, SamplerArraysTakeAtMostTheirLength)
{
    Managed<Program> program = Link(R"(
sampler2D layers[2];
void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }
float4 psMain() : COLOR { return float4(tex2D(layers[0], float2(0.5, 0.5)).r, tex2D(layers[1], float2(0.5, 0.5)).g, 0, 1); }
)");
    Parameter* layers = program->GetParameter("layers");
    EXPECT_EQ(layers->GetArraySize(), 2);
    Managed<Texture2D> red = MakeTexture(1, 1, {255, 0, 0, 255});
    Managed<Texture2D> green = MakeTexture(1, 1, {0, 255, 0, 255});
    // Twenty offered: only the array's two are read.
    std::vector<Texture*> textures(20, red.Get());
    textures[1] = green.Get();
    layers->SetSampler(20, textures.data());
    Clear();
    DrawQuad(program.Get());
    ExpectColor(Pixel(32, 32), {255, 255, 0, 255}, 1, "two layers");

    // Ten declared: the first eight take textures, as many as the cache holds.
    Managed<Program> wide = Link(R"(
sampler2D many[10];
void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }
float4 psMain() : COLOR { return float4(tex2D(many[0], float2(0.5, 0.5)).r, tex2D(many[7], float2(0.5, 0.5)).g, 0, 1); }
)");
    Parameter* many = wide->GetParameter("many");
    EXPECT_EQ(many->GetArraySize(), 10);
    textures.assign(10, red.Get());
    textures[7] = green.Get();
    many->SetSampler(10, textures.data());
    Clear();
    DrawQuad(wide.Get());
    ExpectColor(Pixel(32, 32), {255, 255, 0, 255}, 1, "elements 0 and 7 of ten");
}

TEST_F(CGShadingContextTest, OneChannelFloatTexturesAreSampledThroughASampler2D)
{
    Managed<Program> program = Link(R"(
sampler2D values;
void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }
float4 psMain() : COLOR { return float4(tex2D(values, float2(0.25, 0.5)).r, tex2D(values, float2(0.75, 0.5)).r, 0, 1); }
)");
    // Drawn into a float target, so values outside 0 to 1 come back as they were.
    Managed<Texture2D> target(device->CreateTexture2D(Size, Size, PixelFormatFloatR32G32B32A32, true));
    Surface* colors[1] = {target->GetSurface(0)};
    Managed<SamplerState> point = MakeSampler(FilterPoint);
    for (PixelFormat format : {PixelFormatFloatR16, PixelFormatFloatR32}) {
        Managed<Texture2D> values(device->CreateTexture2D(2, 1, format, false));
        const float texels[2] = {2.5f, -0.75f};
        values->SetData(0, texels, false);
        program->GetParameter("values")->SetSampler(values.Get(), point.Get());
        device->SetFramebuffer(1, colors, nullptr);
        Clear();
        DrawQuad(program.Get());
        float rgba[4] = {};
        glDevice->GetGL().ReadPixels(Size / 2, Size / 2, 1, 1, GL_RGBA, GL_FLOAT, rgba);
        EXPECT_EQ(rgba[0], 2.5f) << "format " << format;
        EXPECT_EQ(rgba[1], -0.75f) << "format " << format;
        device->SetFramebuffer(0, nullptr, nullptr);
    }
}

TEST_F(CGShadingContextTest, VaryingsMeetBySemanticWhateverTheirNamesAndWidths)
{
    const char* vertex = R"(
void vsMain(float4 position : N_POSITION,
            out float4 hpos : POSITION,
            out float2 outUV : TEXCOORD1,
            out float4 tint : COLOR,
            uniform float2 uvOffset)
{
    hpos = position;
    outUV = float2(0.25, 0.25) + uvOffset;
    tint = float4(0, 0, 1, 1);
}
)";
    const char* pixel = R"(
struct Fragment {
    float4 whatever : TEXCOORD1;
    float4 color    : COLOR0;
    float4 missing  : TEXCOORD5;
};
float4 psCoordinates(Fragment IN) : COLOR
{
    return float4(IN.whatever.xy, IN.whatever.z + IN.missing.x, IN.whatever.w * IN.missing.w);
}
float4 psColor(Fragment IN) : COLOR { return IN.color; }
)";
    Managed<Program> coordinates = Link(vertex, pixel, "vsMain", "psCoordinates");
    const float offset[2] = {0, 0.25f};
    Parameter* uvOffset = coordinates->GetParameter("uvOffset");
    ASSERT_TRUE(uvOffset->IsValid());
    uvOffset->SetFloat2(1, offset);
    Clear();
    DrawQuad(coordinates.Get());
    // A float2 arrives as (x, y, 0, 1); a semantic the vertex stage never writes as (0, 0, 0, 1).
    ExpectColor(Pixel(32, 32), {64, 128, 0, 255}, 1, "TEXCOORD1");

    Managed<Program> color = Link(vertex, pixel, "vsMain", "psColor");
    Clear();
    DrawQuad(color.Get());
    ExpectColor(Pixel(32, 32), {0, 0, 255, 255}, 1, "COLOR into COLOR0");
}

TEST_F(CGShadingContextTest, AnOldStyleShaderDrawsThroughTheInputLayout)
{
    Managed<Program> program = Link(cg_sources::VertexLitTextured);
    for (const char* name : {"modelViewProj", "lightDirection", "ambient", "texture"})
        EXPECT_TRUE(program->GetParameter(name)->IsValid()) << name;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    program->GetParameter("modelViewProj")->SetMatrix4(1, identity);
    Managed<Texture2D> texture = MakeTexture(1, 1, {255, 0, 0, 255});
    program->GetParameter("texture")->SetSampler(texture.Get());

    // position (slot 0), normal (attribute 2, Cg's NORMAL), uv (attribute 8, TEXCOORD0).
    std::vector<float> vertices;
    for (int corner = 0; corner < 4; ++corner) {
        float x = corner & 1 ? 1.0f : -1.0f, y = corner & 2 ? 1.0f : -1.0f;
        vertices.insert(vertices.end(), {x, y, 0, 1, 0, 0, 1, 0.5f, 0.5f});
    }
    InputElement position{0, 0, 4, 0, DataTypeFloat, 0};
    InputElement normal{2, 0, 3, 16, DataTypeFloat, 0};
    InputElement uv{8, 0, 2, 28, DataTypeFloat, 0};

    struct Case {
        float light[3];
        float ambient[4];
        Color expected;
    };
    const Case cases[] = {
        {{0, 0, -1}, {0, 0, 0, 0}, {255, 0, 0, 255}},           // lit head on
        {{0, 0, 1}, {0.5f, 0.5f, 0.5f, 0}, {128, 0, 0, 255}},    // from behind: ambient only
    };
    for (const Case& c : cases) {
        program->GetParameter("lightDirection")->SetFloat3(1, c.light);
        program->GetParameter("ambient")->SetFloat4(1, c.ambient);
        Clear();
        Draw(program.Get(), vertices, 9, {position, normal, uv});
        ExpectColor(Pixel(32, 32), c.expected, 1, "lit texture");
    }
}

TEST_F(CGShadingContextTest, EveryTestSourceLinksWithItsParameters)
{
    struct Case {
        const char* source;
        std::vector<const char*> parameters;
    };
    const Case cases[] = {
        {cg_sources::PhongStructs,
         {"World", "WorldViewProjection", "CameraPosition", "Diffuse", "Shininess", "DiffuseMap"}},
        {cg_sources::EnvironmentAndSpot,
         {"ModelViewProj", "ModelToWorld", "SpotMatrix", "EyePosition", "LightPositions", "environmentMap", "spotMap",
          "reflectivity"}},
        {cg_sources::BlurPass, {"layers", "texelSize", "mixAmount"}},
    };
    for (const Case& c : cases) {
        Managed<Program> program = Link(c.source);
        EXPECT_EQ(program->GetParameterCount(), int(c.parameters.size()));
        for (const char* name : c.parameters)
            EXPECT_TRUE(program->GetParameter(name)->IsValid()) << name;
    }
}

TEST_F(CGShadingContextTest, RefusalsCarryTheirMessages)
{
    const char* source = "float4 psMain() : COLOR { return 1; }";
    EXPECT_THROW_MESSAGE(Compile(ShaderTypeGeometry, "gsMain", source),
                         "Non-default geometry shaders is not supported by this backend");
    EXPECT_THROW_MESSAGE(Compile(ShaderType(7), "psMain", source), "Invalid shader type enum");
    EXPECT_THROW_MESSAGE(device->CreateShader(ShaderTypePixel, true, "psMain", nullptr, source),
                         "Only CG text shaders is supported by this backend");

    const char* pair = "void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }\n"
                       "float4 psMain(uniform float4 Tint, uniform sampler1D Ramp) : COLOR { return Tint + tex1D(Ramp, 0.5); }\n";
    Managed<Shader> vertex = Compile(ShaderTypeVertex, "vsMain", pair);
    Managed<Shader> pixel = Compile(ShaderTypePixel, "psMain", pair);
    EXPECT_THROW_MESSAGE(device->CreateProgram(vertex.Get(), pixel.Get(), pixel.Get()),
                         "This implementation does not support geometry shaders");
    Managed<Program> program(device->CreateProgram(vertex.Get(), pixel.Get()));
    EXPECT_THROW_MESSAGE(program->GetParameter("Ramp")->GetParameterType(),
                         "GetParameterType(): Data type not supported by Nimbrel 2");
    Parameter* tint = program->GetParameter("Tint");
    const int ints[4] = {};
    const bool bools[4] = {};
    EXPECT_THROW_MESSAGE(tint->SetInt(1, ints), "Integer parameters not supported by the CG backend");
    EXPECT_THROW_MESSAGE(tint->SetInt2(1, ints), "Integer parameters not supported by the CG backend");
    EXPECT_THROW_MESSAGE(tint->SetInt3(1, ints), "Integer parameters not supported by the CG backend");
    EXPECT_THROW_MESSAGE(tint->SetInt4(1, ints), "Integer parameters not supported by the CG backend");
    EXPECT_THROW_MESSAGE(tint->SetBool(1, bools), "Boolean parameters not supported by CG");
    EXPECT_THROW_MESSAGE(tint->SetBool2(1, bools), "Boolean parameters not supported by CG");
    EXPECT_THROW_MESSAGE(tint->SetBool3(1, bools), "Boolean parameters not supported by CG");
    EXPECT_THROW_MESSAGE(tint->SetBool4(1, bools), "Boolean parameters not supported by CG");
}

TEST_F(CGShadingContextTest, CompileErrorsThrowAndPrintTheCompilersListing)
{
    const char* broken = "float4 psMain(float2 uv : TEXCOORD0) : COLOR\n{\n    return undefinedThing;\n}\n";
    ::testing::internal::CaptureStderr();
    std::string message;
    try {
        Compile(ShaderTypePixel, "psMain", broken);
    } catch (const Exception& error) {
        message = error.GetMessage().CStr();
    }
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("The compile returned an error.\n\npixel entry point \"psMain\":\n", 0), 0u) << message;
    EXPECT_NE(message.find("ERROR: 0:3: 'undefinedThing'"), std::string::npos) << message;
    EXPECT_EQ(message.substr(message.size() - 2), "\n\n");
    EXPECT_NE(printed.find(message), std::string::npos) << printed;

    // A source this glslang dies on ends as an error too, and compiling goes on.
    const char* crashing = "#define MEMBERS sampler2D map; float4 tint;\nstruct Material { MEMBERS };\n"
                           "float4 psMain(float2 uv : TEXCOORD0, uniform Material m) : COLOR\n"
                           "{ return tex2D(m.map, uv) * m.tint; }\n";
    ::testing::internal::CaptureStderr();
    EXPECT_THROW(Compile(ShaderTypePixel, "psMain", crashing), Exception);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("the compiler crashed"), std::string::npos);
    EXPECT_NO_THROW(Compile(ShaderTypePixel, "psMain", "float4 psMain() : COLOR { return 1; }"));
}

TEST_F(CGShadingContextTest, LinkErrorsThrowTheDriversListing)
{
    // Matrix varyings are carried as declared; the two stages disagree on the type.
    const char* vertex = "void vsMain(float4 p : N_POSITION, out float4 o : POSITION, out float3x3 m : TEXCOORD1)"
                         " { o = p; m = float3x3(p.xyz, p.yzx, p.zxy); }";
    const char* pixel = "float4 psMain(float4x4 m : TEXCOORD1) : COLOR { return m[0]; }";
    ::testing::internal::CaptureStderr();
    std::string message;
    try {
        Link(vertex, pixel);
    } catch (const Exception& error) {
        message = error.GetMessage().CStr();
    }
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("The program could not be linked.\n\n", 0), 0u) << message;
    EXPECT_GT(message.size(), std::string("The program could not be linked.\n\n\n\n").size());
    EXPECT_NE(printed.find(message), std::string::npos);
}

}  // namespace cg_shading_context_test
