// Cg as demo makers bring it, written for the Cg compiler rather than for HLSL: struct
// uniforms, samplers in structs and unmarked, varyings and vertex inputs without semantics,
// writable globals, GLSL spellings, C-like initialisers, lenient directives, unreachable
// helpers and non-square matrices. Each source compiles, links and draws; values go in
// through the parameters and come back as pixels.
#include "core/Managed.h"
#include "graphics/Parameter.h"
#include "graphics/gl/CGDrawingTest.h"
#include "graphics/gl/CGNimbrelProgram.h"
#include "graphics/gl/CGParameter.h"
#include "support/SDLVideo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cg_source_compatibility_test {

using namespace Nimbrel;
using namespace Nimbrel::Graphics;
using Testing::Color;
using Testing::ExpectColor;

class CGSourceCompatibilityTest : public Testing::CGDrawingTest {
protected:
    // Draws the program over the whole screen and reads the middle pixel.
    Color DrawAndRead(Program* program)
    {
        Clear();
        DrawQuad(program);
        return Pixel(Size / 2, Size / 2);
    }
};

const char* const PassThrough = "void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }\n";

TEST_F(CGSourceCompatibilityTest, SourcesHlslReadsOtherwiseDrawWhatCgDraws)
{
    struct Case {
        const char* what;
        const char* pixel;  // psMain, after the pass-through vertex stage
        Color expected;
    };
    const Case cases[] = {
        {"GLSL spellings: mod is x - y * floor(x / y), a local may be called fract",
         "float4 psMain() : COLOR {\n"
         "    vec3 c = mix(vec3(0, 0, 0), vec3(1, 1, 1), 0.5);\n"
         "    vec2 f = fract(vec2(1.25, 2.5));\n"
         "    { float fract = mod(-0.25, 1.0); c.y = fract; }\n"
         "    return vec4(c.x, c.y, f.x, mod(vec2(-3.5, 5.0), 2.0).x);\n"
         "}\n",
         {128, 191, 64, 128}},
        {"a source defining mix itself keeps its own",
         "float3 mix(float3 a, float3 b, float t) { return b; }\n"
         "float4 psMain() : COLOR { return float4(mix(float3(1, 1, 1), float3(0, 0.5, 1), 0.5), 1); }\n",
         {0, 128, 255, 255}},
        {"library functions GLSL 1.20 lacks (one, a varying never written, keeps them from being folded)",
         "float4 psMain(float4 one : TEXCOORD0) : COLOR {\n"
         "    float whole; float part = modf(1.75 * one.w, whole);\n"
         "    float3 wholes; float3 parts = modf(float3(-2.25, 0.5, 3) * one.w, wholes);\n"
         "    return float4(tanh(0.5 * one.w), part, -parts.x + wholes.z / 12.0, whole * 0.5);\n"
         "}\n",
         {118, 191, 128, 128}},
        {"more library functions GLSL 1.20 lacks, exponents as integers",
         "float4 psMain(float4 one : TEXCOORD0) : COLOR {\n"
         "    float e; float m = frexp(6.0 * one.w, e);\n"
         "    return float4(sinh(0.5 * one.w), cosh(0.5 * one.w) - 1.0,\n"
         "                  trunc(-1.75 * one.w) + 1.5 + ldexp(0.125, 2.0 * one.w) - 0.5, m * e / 4.5);\n"
         "}\n",
         {133, 33, 128, 128}},
        {"a float3 colour is widened with alpha 1",
         "float3 psMain() : COLOR { return float3(0.25, 0.5, 0.75); }\n", {64, 128, 191, 255}},
        {"brace-elided arrays of vectors and array constructors",
         "float4 psMain() : COLOR {\n"
         "    float3 k[2] = {1, 0, 0,\n"
         "                   0, 1, 0};\n"
         "    float w[3] = float[](0.25, 0.5, 0.75);\n"
         "    float2 v[2] = float2[2](float2(0.5, 0), float2(0, 1));\n"
         "    return float4(k[0] * w[0] + k[1] * w[1] + float3(0, 0, w[2]), v[0].x + v[1].x);\n"
         "}\n",
         {64, 128, 191, 128}},
        {"words after the name of #ifdef and #ifndef, and after #else and #endif",
         "#define FIRST\n"
         "#ifdef FIRST the first branch\n"
         "#define RED 1\n"
         "#else FIRST\n"
         "#define RED 0\n"
         "#endif FIRST\n"
         "#ifndef SECOND junk\n"
         "#define GREEN 1\n"
         "#endif /* a comment\n"
         "   that goes on */\n"
         "float4 psMain() : COLOR { return float4(RED, GREEN, 0, 1); }\n",
         {255, 255, 0, 255}},
        {"a helper nothing calls may name what is not declared",
         "float4 unused() { return undeclaredThing; }\n"
         "float4 psMain() : COLOR { return float4(0, 0, 1, 1); }\n",
         {0, 0, 255, 255}},
    };
    for (const Case& c : cases) {
        std::string source = std::string(PassThrough) + c.pixel;
        Managed<Program> program;
        try {
            program = Link(source.c_str());
        } catch (const Exception& error) {
            ADD_FAILURE() << c.what << ": " << error.GetMessage().CStr();
            continue;
        }
        ExpectColor(DrawAndRead(program.Get()), c.expected, 1, c.what);
    }
}

TEST_F(CGSourceCompatibilityTest, StructUniformsAreParametersMemberByMemberInEitherStage)
{
    Managed<Program> program = Link(R"(
struct input { float2 video_size; float2 texture_size; };
struct Light { float4 color; float scale; };
struct Scene { Light key; float4 ambient; };
uniform Light lights[2];
uniform Scene scene;
void vsMain(float4 p : N_POSITION, uniform input IN, out float4 o : POSITION, out float4 c : COLOR0)
{
    o = float4(p.xy * IN.video_size, p.zw);
    c = float4(IN.texture_size, 0, 0);
}
float4 psMain(float4 c : COLOR0, uniform input IN) : COLOR
{
    return c + float4(0, 0, IN.video_size.y * 0.5, 1) + lights[1].color * lights[1].scale + scene.key.color + scene.ambient;
}
)");
    struct Case {
        const char* name;
        ParameterType type;
        std::vector<float> value;
    };
    const Case cases[] = {
        {"IN.video_size", ParameterTypeFloat2, {1, 0.5f}},  // the quad keeps the middle, blue 0.25
        {"IN.texture_size", ParameterTypeFloat2, {0.25f, 0}},
        {"lights[1].color", ParameterTypeFloat4, {0, 0.5f, 0, 0}},
        {"lights[1].scale", ParameterTypeFloat, {0.5f}},
        {"lights[0].color", ParameterTypeFloat4, {1, 1, 1, 1}},  // not read
        {"scene.key.color", ParameterTypeFloat4, {0.25f, 0, 0, 0}},
        {"scene.ambient", ParameterTypeFloat4, {0, 0.25f, 0, 0}},
    };
    for (const Case& c : cases) {
        Parameter* parameter = program->GetParameter(c.name);
        ASSERT_TRUE(parameter->IsValid()) << c.name;
        EXPECT_EQ(parameter->GetParameterType(), c.type) << c.name;
        switch (c.value.size()) {
        case 1:
            parameter->SetFloat(1, c.value.data());
            break;
        case 2:
            parameter->SetFloat2(1, c.value.data());
            break;
        default:
            parameter->SetFloat4(1, c.value.data());
            break;
        }
    }
    auto* videoSize = dynamic_cast<CGParameter*>(program->GetParameter("IN.video_size"));
    ASSERT_NE(videoSize, nullptr);
    EXPECT_TRUE(videoSize->GetHandle(CGParameter::StageVertex).present);
    EXPECT_TRUE(videoSize->GetHandle(CGParameter::StagePixel).present);
    EXPECT_FALSE(program->GetParameter("IN")->IsValid());
    EXPECT_FALSE(program->GetParameter("lights")->IsValid());
    // red: texture_size.x + key colour; green: light 1 at half scale + ambient; blue: video_size.y / 2.
    ExpectColor(DrawAndRead(program.Get()), {128, 128, 64, 255}, 1, "struct members");
    // A quad squeezed to half height by video_size leaves the top quarter black.
    ExpectColor(Pixel(Size / 2, Size - 4), {0, 0, 0, 0}, 0, "outside the squeezed quad");
}

TEST_F(CGSourceCompatibilityTest, SamplersInStructsAndUnmarkedSamplersAreUniforms)
{
    const char* source = R"(
#define LUTMAP sampler2D
typedef sampler2D Map;
struct Lut { LUTMAP tex; float2 size; };
struct Maps { Map first; sampler2D second; };
void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }
float4 psLut(uniform Lut lut,
             float2 unused : TEXCOORD0) : COLOR
{
    return tex2D(lut.tex, lut.size);
}
float4 psUnmarked(in sampler2D s : TEXUNIT0, Maps m) : COLOR
{
    return tex2D(s, float2(0.5, 0.5)) + tex2D(m.first, float2(0.5, 0.5)) * 0.5 + tex2D(m.second, float2(0.5, 0.5)) * 0.25;
}
)";
    // Left texel red, right texel green: lut.size picks one.
    Managed<Texture2D> redGreen = MakeTexture(2, 1, {255, 0, 0, 255, 0, 255, 0, 255});
    Managed<Texture2D> blue = MakeTexture(1, 1, {0, 0, 255, 255});
    Managed<Texture2D> white = MakeTexture(1, 1, {255, 255, 255, 255});
    Managed<SamplerState> point = MakeSampler(FilterPoint);

    Managed<Program> lut = Link(source, source, "vsMain", "psLut");
    EXPECT_EQ(lut->GetParameter("lut.tex")->GetParameterType(), ParameterTypeSampler2D);
    EXPECT_EQ(lut->GetParameter("lut.size")->GetParameterType(), ParameterTypeFloat2);
    lut->GetParameter("lut.tex")->SetSampler(redGreen.Get(), point.Get());
    const float right[2] = {0.75f, 0.5f};
    lut->GetParameter("lut.size")->SetFloat2(1, right);
    ExpectColor(DrawAndRead(lut.Get()), {0, 255, 0, 255}, 1, "sampler member of a uniform struct");

    Managed<Program> unmarked = Link(source, source, "vsMain", "psUnmarked");
    for (const char* name : {"s", "m.first", "m.second"})
        EXPECT_EQ(unmarked->GetParameter(name)->GetParameterType(), ParameterTypeSampler2D) << name;
    unmarked->GetParameter("s")->SetSampler(blue.Get());
    unmarked->GetParameter("m.first")->SetSampler(white.Get());
    unmarked->GetParameter("m.second")->SetSampler(white.Get());
    ExpectColor(DrawAndRead(unmarked.Get()), {191, 191, 255, 255}, 1, "unmarked samplers");
}

TEST_F(CGSourceCompatibilityTest, VaryingsAndVertexInputsWithoutSemanticsMeetByName)
{
    Managed<Program> program = Link(R"(
struct appin { float4 position : N_POSITION; float4 weight; float2 extra; };
struct v2f { float4 hpos : POSITION; float phase; float2 uv; };
v2f vsMain(appin IN, out float tint)
{
    v2f OUT;
    OUT.hpos = IN.position;
    OUT.phase = IN.weight.y;
    OUT.uv = IN.extra;
    tint = 0.5;
    return OUT;
}
float4 psMain(float2 uv, float tint, float phase) : COLOR { return float4(phase, uv.y, tint, uv.x); }
)");
    auto* cg = dynamic_cast<CGNimbrelProgram*>(program.Get());
    ASSERT_NE(cg, nullptr);
    // The position's semantic holds attribute 0; the others take the next free ones in order.
    EXPECT_EQ(cg->GetAttributeIndex("IN.position"), 0);
    int weight = cg->GetAttributeIndex("IN.weight");
    int extra = cg->GetAttributeIndex("IN.extra");
    EXPECT_EQ(weight, 1);
    EXPECT_EQ(extra, 2);
    EXPECT_EQ(cg->GetAttributeIndex("IN.nothing"), -1);
    const float weightValue[4] = {0, 0.25f, 0, 0}, extraValue[4] = {1, 0.75f, 0, 1};
    glDevice->GetGL().VertexAttrib4fv(GLuint(weight), weightValue);
    glDevice->GetGL().VertexAttrib4fv(GLuint(extra), extraValue);
    ExpectColor(DrawAndRead(program.Get()), {64, 191, 128, 255}, 1, "inputs and varyings by name");
}

TEST_F(CGSourceCompatibilityTest, AssignedGlobalsAreParametersWhoseWritesStayPrivate)
{
    Managed<Program> program = Link(R"(
float4 tint = float4(0.25, 0, 0, 1);
float gain;
sampler2D map;
void brighten() { tint.g = 0.5; gain *= 2; }
void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }
float4 psMain() : COLOR { brighten(); return tint * gain + tex2D(map, float2(0.5, 0.5)); }
)");
    Parameter* tint = program->GetParameter("tint");
    Parameter* gain = program->GetParameter("gain");
    ASSERT_TRUE(tint->IsValid());
    ASSERT_TRUE(gain->IsValid());
    EXPECT_EQ(tint->GetParameterType(), ParameterTypeFloat4);
    EXPECT_EQ(program->GetParameter("map")->GetParameterType(), ParameterTypeSampler2D);
    Managed<Texture2D> blue = MakeTexture(1, 1, {0, 0, 64, 0});
    program->GetParameter("map")->SetSampler(blue.Get());
    const float half = 0.5f;
    gain->SetFloat(1, &half);
    // The declared tint, with green written by the function, at twice the gain set.
    ExpectColor(DrawAndRead(program.Get()), {64, 128, 64, 255}, 1, "declared value");
    // The writes never reach the parameter: a second draw gives the same.
    ExpectColor(DrawAndRead(program.Get()), {64, 128, 64, 255}, 1, "second draw");
    const float red[4] = {0.5f, 0, 0, 0.5f};
    tint->SetFloat4(1, red);
    ExpectColor(DrawAndRead(program.Get()), {128, 128, 64, 128}, 1, "value set");
}

TEST_F(CGSourceCompatibilityTest, NonSquareMatrixArraysTakeDeclaredValuesRowsAndColumnMajorMatrices)
{
    Managed<Program> program = Link(R"(
float3x4 bones[2] = { 1, 0, 0, 0,  0, 1, 0, 0,  0, 0, 1, 0,
                      1, 0, 0, -0.5, 0, 1, 0, -0.25, 0, 0, 1, 0 };
void vsMain(float4 p : N_POSITION, out float4 o : POSITION, out float4 c : COLOR0)
{
    o = float4(mul(bones[1], p), 1);
    c = bones[1][2];   // the third row
}
float4 psMain(float4 c : COLOR0) : COLOR { return c; }
)");
    auto* bones = dynamic_cast<CGParameter*>(program->GetParameter("bones"));
    ASSERT_NE(bones, nullptr);
    EXPECT_EQ(bones->GetTypeName(), "float3x4");
    EXPECT_EQ(bones->GetArraySize(), 2);
    // The declared bone 1 moves the quad to the lower left; its third row reads blue.
    Clear();
    DrawQuad(program.Get(), -0.1f, -0.1f, 0.1f, 0.1f);
    ExpectColor(Pixel(16, 24), {0, 0, 255, 0}, 1, "declared rows");
    // Bone 1 moves x by 0.5 and y by 0.25; its third row also reads as a colour.
    const float rows[24] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0,  // bone 0
                            1, 0, 0, 0.5f, 0, 1, 0, 0.25f, 0, 0, 0.5f, 0.25f};
    bones->SetFloat4(6, rows);
    Clear();
    DrawQuad(program.Get(), -0.1f, -0.1f, 0.1f, 0.1f);
    ExpectColor(Pixel(48, 40), {0, 0, 128, 64}, 1, "rows");
    ExpectColor(Pixel(32, 32), {0, 0, 0, 0}, 0, "where the quad was");

    // The same bone from column-major 4x4 matrices: moves x by -0.5 instead.
    const float matrices[32] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1,
                                1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 0, -0.5f, 0.25f, 0.25f, 1};
    bones->SetMatrix4(2, matrices);
    Clear();
    DrawQuad(program.Get(), -0.1f, -0.1f, 0.1f, 0.1f);
    ExpectColor(Pixel(16, 40), {0, 0, 128, 64}, 1, "column-major matrices");
}

TEST_F(CGSourceCompatibilityTest, OpenGLStateMatricesInCodeAndSemanticsAreTheAutomaticParameters)
{
    Managed<Program> program = Link(R"(
void vsMain(float4 p : N_POSITION, out float4 o : POSITION, out float4 c : COLOR0)
{
    o = mul(glstate.matrix.mvp, p);
    // Row 0, column 1 of the transposed modelview is its row 1, column 0.
    c = float4(mul(glstate.matrix.transpose.modelview[0], float4(0, 1, 0, 0)).x,
               glstate.matrix.inverse.projection[1].y, 0, 1);
}
float4 psMain(float4 c : COLOR0) : COLOR { return c; }
)");
    for (const char* name : {"WorldViewProjection", "WorldView", "ProjectionInverse"})
        EXPECT_EQ(program->GetParameter(name)->GetParameterType(), ParameterTypeFloat4x4) << name;
    const float moved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0.25f, 0, 1};
    const float sheared[16] = {1, 0.25f, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // row 1, column 0
    const float halved[16] = {1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    program->GetParameter("WorldViewProjection")->SetMatrix4(1, moved);
    program->GetParameter("WorldView")->SetMatrix4(1, sheared);
    program->GetParameter("ProjectionInverse")->SetMatrix4(1, halved);
    Clear();
    DrawQuad(program.Get(), -0.1f, -0.1f, 0.1f, 0.1f);
    ExpectColor(Pixel(48, 40), {64, 128, 0, 255}, 1, "moved by the mvp matrix");
    ExpectColor(Pixel(32, 32), {0, 0, 0, 0}, 0, "where the quad was");

    // The same matrices bound by semantic, to an entry parameter and to a global.
    Managed<Program> bound = Link(R"(
uniform float4x4 projectionInverse : state.matrix.projection.inverse;
void vsMain(float4 p : N_POSITION, uniform float4x4 mvp : state.matrix.mvp,
            uniform float4x4 modelView : state.matrix.modelview.transpose,
            out float4 o : POSITION, out float4 c : COLOR0)
{
    o = mul(mvp, p);
    c = float4(mul(modelView, float4(0, 1, 0, 0)).x, projectionInverse[1].y, 0, 1);
}
float4 psMain(float4 c : COLOR0) : COLOR { return c; }
)");
    EXPECT_EQ(bound->GetParameterCount(), 3);
    bound->GetParameter("WorldViewProjection")->SetMatrix4(1, moved);
    bound->GetParameter("WorldView")->SetMatrix4(1, sheared);
    bound->GetParameter("ProjectionInverse")->SetMatrix4(1, halved);
    Clear();
    DrawQuad(bound.Get(), -0.1f, -0.1f, 0.1f, 0.1f);
    ExpectColor(Pixel(48, 40), {64, 128, 0, 255}, 1, "bound by semantic");

    std::string refusal;
    try {
        Compile(ShaderTypeVertex, "vsMain",
                "void vsMain(float4 p : N_POSITION, out float4 o : POSITION)\n"
                "{ o = mul(glstate.matrix.texture[0], p); }\n");
    } catch (const Exception& error) {
        refusal = error.GetMessage().CStr();
    }
    EXPECT_NE(refusal.find("line 2: glstate.matrix.texture is not supported"), std::string::npos) << refusal;
}

}  // namespace cg_source_compatibility_test
