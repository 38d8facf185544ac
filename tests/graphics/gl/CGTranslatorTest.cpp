// Cg to GLSL without a GL context: what the reflection reports for sources written the way
// Cg's users wrote them, the Cg spellings HLSL lacks, and the failures (compile errors, a
// missing entry point, a compiler crash) ending as listings, never as the test's death.
#include "graphics/gl/CGTranslator.h"

#include "graphics/gl/CgSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace cg_translator_test {

using Nimbrel::Graphics::CGTranslator;

const char* const StandardNames[16] = {
    "N_POSITION",  "N_BLENDWEIGHTS", "N_BLENDINDICES", "N_COLOR",     "N_NORMAL",    "N_TANGENT",
    "N_BINORMAL",  "N_INSTANCE",     "N_TEXCOORD0",    "N_TEXCOORD1", "N_TEXCOORD2", "N_TEXCOORD3",
    "N_TEXCOORD4", "N_TEXCOORD5",    "N_TEXCOORD6",    "N_TEXCOORD7",
};

CGTranslator::Result Translate(const char* source, const char* entry, CGTranslator::Stage stage)
{
    CGTranslator::Request request;
    request.source = source;
    request.entryPoint = entry;
    request.stage = stage;
    for (int i = 0; i < 16; ++i)
        request.definitions.push_back(std::string(StandardNames[i]) + "=ATTR" + std::to_string(i));
    return CGTranslator::Translate(request);
}

const CGTranslator::Uniform* FindUniform(const CGTranslator::Result& result, const std::string& name)
{
    for (const CGTranslator::Uniform& uniform : result.uniforms)
        if (uniform.name == name)
            return &uniform;
    return nullptr;
}

std::vector<std::pair<std::string, int>> Attributes(const CGTranslator::Result& result)
{
    std::vector<std::pair<std::string, int>> attributes;
    for (const CGTranslator::Attribute& attribute : result.attributes)
        attributes.emplace_back(attribute.variable, attribute.index);
    std::sort(attributes.begin(), attributes.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    return attributes;
}

std::vector<std::string> Varyings(const CGTranslator::Result& result)
{
    std::vector<std::string> semantics;
    for (const CGTranslator::Varying& varying : result.varyings)
        semantics.push_back(varying.semantic);
    std::sort(semantics.begin(), semantics.end());
    return semantics;
}

TEST(CGTranslatorTest, VertexInputSemanticsNameTheirGenericAttributes)
{
    struct Case {
        const char* semantic;
        int index;
    };
    const Case cases[] = {
        {"ATTR0", 0},     {"ATTR4", 4},       {"ATTR15", 15},    {"attr7", 7},      {"POSITION", 0},
        {"POSITION0", 0}, {"SV_Position", 0}, {"BLENDWEIGHT", 1}, {"NORMAL", 2},     {"normal", 2},
        {"COLOR", 3},     {"COLOR0", 3},      {"COLOR1", 4},     {"DIFFUSE", 3},    {"SPECULAR", 4},
        {"FOG", 5},       {"PSIZE", 6},       {"BLENDINDICES", 7}, {"TEXCOORD", 8}, {"TEXCOORD0", 8},
        {"texcoord3", 11}, {"TEXCOORD7", 15}, {"TANGENT", 14},   {"BINORMAL", 15},  {"ATTR16", -1},
        {"TEXCOORD8", -1}, {"COLOR2", -1},    {"NORMAL1", -1},   {"N_NORMAL", -1},  {"WHATEVER", -1},
        {"", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CGTranslator::AttributeIndex(c.semantic), c.index) << c.semantic;
}

TEST(CGTranslatorTest, VaryingSemanticsMeetUnderOneName)
{
    struct Case {
        const char* semantic;
        const char* name;
    };
    const Case cases[] = {
        {"COLOR", "COLOR0"},     {"COLOR0", "COLOR0"},       {"COL0", "COLOR0"},   {"color", "COLOR0"},
        {"COL1", "COLOR1"},      {"COLOR1", "COLOR1"},       {"TEXCOORD", "TEXCOORD0"},
        {"TEX0", "TEXCOORD0"},   {"TEXCOORD3", "TEXCOORD3"}, {"tex7", "TEXCOORD7"}, {"FOGC", "FOG"},
        {"NORMAL", "NORMAL"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CGTranslator::VaryingSemantic(c.semantic), c.name) << c.semantic;
}

TEST(CGTranslatorTest, StructShadersReportAttributesVaryingsAndEachStagesUniforms)
{
    CGTranslator::Result vertex = Translate(cg_sources::PhongStructs, "vsMain", CGTranslator::StageVertex);
    ASSERT_TRUE(vertex.succeeded) << vertex.listing;
    std::vector<std::pair<std::string, int>> expected = {{"nbl_attr0", 0}, {"nbl_attr4", 4}, {"nbl_attr8", 8}};
    EXPECT_EQ(Attributes(vertex), expected);
    EXPECT_EQ(Varyings(vertex), (std::vector<std::string>{"TEXCOORD0", "TEXCOORD1", "TEXCOORD2"}));
    // Only what the vertex stage reads: the pixel stage's uniforms are declared in the same
    // file but have no place here.
    ASSERT_EQ(vertex.uniforms.size(), 2u);
    ASSERT_NE(FindUniform(vertex, "World"), nullptr);
    EXPECT_EQ(FindUniform(vertex, "World")->type, 15);
    EXPECT_EQ(FindUniform(vertex, "World")->variable, "nbl_vs.u_World");
    EXPECT_NE(FindUniform(vertex, "WorldViewProjection"), nullptr);
    EXPECT_EQ(FindUniform(vertex, "CameraPosition"), nullptr);

    CGTranslator::Result pixel = Translate(cg_sources::PhongStructs, "psMain", CGTranslator::StagePixel);
    ASSERT_TRUE(pixel.succeeded) << pixel.listing;
    EXPECT_TRUE(pixel.attributes.empty());
    EXPECT_EQ(FindUniform(pixel, "World"), nullptr);
    struct Case {
        const char* name;
        int type;
        bool sampler;
        const char* variable;
    };
    const Case cases[] = {
        {"CameraPosition", 5, false, "nbl_ps.u_CameraPosition"},
        {"Diffuse", 5, false, "nbl_ps.u_Diffuse"},
        {"Shininess", 1, false, "nbl_ps.u_Shininess"},
        {"DiffuseMap", 22, true, "u_DiffuseMap"},
    };
    for (const Case& c : cases) {
        const CGTranslator::Uniform* uniform = FindUniform(pixel, c.name);
        ASSERT_NE(uniform, nullptr) << c.name;
        EXPECT_EQ(uniform->type, c.type) << c.name;
        EXPECT_EQ(uniform->sampler, c.sampler) << c.name;
        EXPECT_EQ(uniform->variable, c.variable) << c.name;
        EXPECT_EQ(uniform->arraySize, 0) << c.name;
    }
    // The varyings are declared under their semantic, carried as vec4.
    EXPECT_NE(pixel.glsl.find("varying vec4 nbl_TEXCOORD1;"), std::string::npos) << pixel.glsl;
    EXPECT_EQ(pixel.glsl.compare(pixel.mainOffset, 11, "void main()"), 0);
}

TEST(CGTranslatorTest, EntryParametersSamplersArraysAndConventionalSemantics)
{
    CGTranslator::Result vertex = Translate(cg_sources::EnvironmentAndSpot, "vsMain", CGTranslator::StageVertex);
    ASSERT_TRUE(vertex.succeeded) << vertex.listing;
    std::vector<std::pair<std::string, int>> expected = {{"nbl_attr0", 0}, {"nbl_attr2", 2}};
    EXPECT_EQ(Attributes(vertex), expected);
    EXPECT_EQ(Varyings(vertex), (std::vector<std::string>{"COLOR0", "TEXCOORD0", "TEXCOORD1"}));
    const CGTranslator::Uniform* lights = FindUniform(vertex, "LightPositions");
    ASSERT_NE(lights, nullptr);
    EXPECT_EQ(lights->type, 6);
    EXPECT_EQ(lights->arraySize, 4);
    EXPECT_NE(FindUniform(vertex, "ModelViewProj"), nullptr);

    CGTranslator::Result pixel = Translate(cg_sources::EnvironmentAndSpot, "psMain", CGTranslator::StagePixel);
    ASSERT_TRUE(pixel.succeeded) << pixel.listing;
    ASSERT_NE(FindUniform(pixel, "environmentMap"), nullptr);
    EXPECT_EQ(FindUniform(pixel, "environmentMap")->type, 23);
    EXPECT_EQ(FindUniform(pixel, "environmentMap")->samplerTarget, 0x8513u);
    EXPECT_EQ(FindUniform(pixel, "spotMap")->type, 22);
    EXPECT_EQ(FindUniform(pixel, "reflectivity")->type, 1);

    CGTranslator::Result blur = Translate(cg_sources::BlurPass, "psMain", CGTranslator::StagePixel);
    ASSERT_TRUE(blur.succeeded) << blur.listing;
    ASSERT_NE(FindUniform(blur, "layers"), nullptr);
    EXPECT_EQ(FindUniform(blur, "layers")->arraySize, 2);
    EXPECT_EQ(FindUniform(blur, "texelSize")->type, 4);
}

TEST(CGTranslatorTest, CgSpellingsThatHlslLacksCompile)
{
    struct Case {
        const char* what;
        const char* entry;
        CGTranslator::Stage stage;
        const char* source;
        const char* uniform;  // a uniform the stage must report under this name, or null
    };
    const Case cases[] = {
        {"texture as a sampler's name", "main", CGTranslator::StagePixel,
         "float4 main(float2 uv : TEXCOORD0, uniform sampler2D texture) : COLOR { return tex2D(texture, uv); }",
         "texture"},
        {"fixed types", "main", CGTranslator::StagePixel,
         "fixed4 main(fixed2 uv : TEXCOORD0, uniform fixed3x3 m) : COLOR { fixed3 c = mul(m, fixed3(uv, 1)); "
         "return fixed4(c, 1); }",
         "m"},
        {"other reserved words as identifiers", "main", CGTranslator::StagePixel,
         "float4 main(float2 uv : TEXCOORD0, uniform float linear, uniform float4 point) : COLOR {"
         " float line = uv.x * linear; float triangle = uv.y; return point * line * triangle; }",
         "point"},
        {"samplers given units by semantic or register", "main", CGTranslator::StagePixel,
         "float4 main(float2 uv : TEXCOORD0, uniform sampler2D a : TEXUNIT0, uniform sampler2D b : register(s1))"
         " : COLOR { return tex2D(a, uv) + tex2D(b, uv); }",
         "b"},
        {"lookups typed by their result", "main", CGTranslator::StagePixel,
         "half4 main(float3 uv : TEXCOORD0, uniform sampler2D a, uniform samplerCUBE b) : COLOR"
         " { return half4(h3tex2D(a, uv.xy), f1texCUBE(b, uv)) + x4tex2D(a, uv.yx); }",
         "b"},
        {"a non-square matrix palette", "main", CGTranslator::StageVertex,
         "float4 main(float4 p : POSITION, uniform float3x4 bones[2]) : POSITION"
         " { return float4(mul(bones[0], p) + mul(bones[1], p), 1); }",
         "bones"},
        {"three-component tex2Dproj", "main", CGTranslator::StagePixel,
         "float4 main(float3 p : TEXCOORD0, uniform sampler2D map) : COLOR { return tex2Dproj(map, p); }", "map"},
        {"lower-case and short semantics", "main", CGTranslator::StagePixel,
         "float4 main(float2 a : texcoord1, float4 c : COL0) : color { return c * a.x; }", nullptr},
        {"a bool uniform", "main", CGTranslator::StageVertex,
         "uniform bool useFog; float4 main(float4 p : POSITION) : POSITION { if (useFog) p.x += 1; return p; }",
         "useFog"},
        {"a global struct holding a sampler", "main", CGTranslator::StagePixel,
         "struct Material { sampler2D map; float4 tint; }; Material material;"
         " float4 main(float2 uv : TEXCOORD0) : COLOR { return tex2D(material.map, uv) * material.tint; }",
         "material.map"},
        {"a pixel stage reading POSITION and WPOS and FACE", "main", CGTranslator::StagePixel,
         "float4 main(float4 p : POSITION, float4 w : WPOS, float face : FACE) : COLOR { return p * w * face; }",
         nullptr},
        {"a vertex stage writing PSIZE and HPOS", "main", CGTranslator::StageVertex,
         "void main(float4 p : POSITION, out float4 hpos : HPOS, out float size : PSIZE) { hpos = p; size = 4; }",
         nullptr},
    };
    for (const Case& c : cases) {
        CGTranslator::Result result = Translate(c.source, c.entry, c.stage);
        EXPECT_TRUE(result.succeeded) << c.what << "\n" << result.listing;
        if (c.uniform) {
            EXPECT_NE(FindUniform(result, c.uniform), nullptr) << c.what << "\n" << result.glsl;
        }
    }
}

TEST(CGTranslatorTest, NarrowVaryingsAreWidenedAndGivenDefaults)
{
    CGTranslator::Result vertex =
        Translate("void main(float4 p : POSITION, out float4 o : POSITION, out float2 uv : TEXCOORD3) { o = p; uv = p.xy; }",
                  "main", CGTranslator::StageVertex);
    ASSERT_TRUE(vertex.succeeded) << vertex.listing;
    ASSERT_EQ(vertex.varyings.size(), 1u);
    EXPECT_TRUE(vertex.varyings[0].widened);
    EXPECT_EQ(vertex.varyings[0].variable, "nbl_TEXCOORD3");
    EXPECT_EQ(vertex.outputDefaults, "    nbl_TEXCOORD3 = vec4(0.0, 0.0, 0.0, 1.0);\n");
}

TEST(CGTranslatorTest, PixelOutputsWriteTheColourBufferOfTheirSemantic)
{
    // The input COLOR0 must not push the output COLOR off buffer 0.
    CGTranslator::Result single =
        Translate("float4 main(float4 c : COLOR0) : COLOR { return c; }", "main", CGTranslator::StagePixel);
    ASSERT_TRUE(single.succeeded) << single.listing;
    EXPECT_NE(single.glsl.find("gl_FragData[0] = "), std::string::npos) << single.glsl;
    CGTranslator::Result several = Translate(
        "void main(float4 c : COLOR0, out float4 a : COLOR1, out float4 b : COLOR0, out float d : DEPTH)"
        " { a = c; b = c.wzyx; d = c.x; }",
        "main", CGTranslator::StagePixel);
    ASSERT_TRUE(several.succeeded) << several.listing;
    EXPECT_NE(several.glsl.find("gl_FragData[1] = nbl_io0;"), std::string::npos) << several.glsl;
    EXPECT_NE(several.glsl.find("gl_FragData[0] = nbl_io0.wzyx;"), std::string::npos) << several.glsl;
    EXPECT_NE(several.glsl.find("gl_FragDepth = "), std::string::npos) << several.glsl;
}

TEST(CGTranslatorTest, DeclaredValuesTravelWithTheirUniforms)
{
    CGTranslator::Result result = Translate(
        "#define GAIN 2\nfloat Gain = GAIN;\nfloat4 point = {1, 2, 3, 4};\nfloat4 Free;\n"
        "float4 main() : COLOR { return point * Gain + Free; }",
        "main", CGTranslator::StagePixel);
    ASSERT_TRUE(result.succeeded) << result.listing;
    ASSERT_NE(FindUniform(result, "Gain"), nullptr);
    EXPECT_EQ(FindUniform(result, "Gain")->defaults, std::vector<float>{2});
    ASSERT_NE(FindUniform(result, "point"), nullptr);
    EXPECT_EQ(FindUniform(result, "point")->defaults, (std::vector<float>{1, 2, 3, 4}));
    ASSERT_NE(FindUniform(result, "Free"), nullptr);
    EXPECT_TRUE(FindUniform(result, "Free")->defaults.empty());
}

TEST(CGTranslatorTest, FailuresComeBackAsListings)
{
    struct Case {
        const char* what;
        const char* source;
        const char* entry;
        const char* expected;  // a piece of the listing
    };
    const Case cases[] = {
        {"an unknown identifier", "float4 main(float2 uv : TEXCOORD0) : COLOR\n{\n    return undefinedThing;\n}\n",
         "main", "0:3: 'undefinedThing'"},
        {"a missing entry point", "float4 main(float2 uv : TEXCOORD0) : COLOR { return uv.xyxy; }", "psMain",
         "entry point \"psMain\" not found"},
        {"an empty entry point", "float4 main(float2 uv : TEXCOORD0) : COLOR { return uv.xyxy; }", "",
         "entry point \"\" not found"},
        {"an empty source", "", "main", "entry point \"main\" not found"},
        {"a sampler in a struct parameter that also holds varyings",
         "struct Mixed { float2 uv : TEXCOORD0; sampler2D map; };\n"
         "float4 main(Mixed IN) : COLOR { return tex2D(IN.map, IN.uv); }\n",
         "main", "ERROR: line 2: the parameter \"IN\" of type Mixed holds both varyings and samplers"},
        {"an error after the entry point's samplers were moved out: its line is kept",
         "struct Lut { sampler2D tex; float2 size; };\n"
         "float4 main(uniform Lut lut,\n"
         "            in sampler2D s : TEXUNIT0) : COLOR\n"
         "{\n"
         "    return tex2D(lut.tex, lut.size) + tex2D(s, lut.size) + undefinedThing;\n"
         "}\n",
         "main", "0:5: 'undefinedThing'"},
        {"a vertex input semantic with no attribute", "float4 main(float4 p : WHATEVER) : POSITION { return p; }",
         "main", "\"WHATEVER\", which names no vertex attribute"},
        // This glslang version dies with a segmentation fault on it: the sampler, hidden in a
        // macro, keeps the parameter from being moved out of the entry point.
        {"an entry parameter whose struct holds a sampler inside a macro",
         "#define MEMBERS sampler2D map; float4 tint;\nstruct Material { MEMBERS };\n"
         "float4 main(float2 uv : TEXCOORD0, uniform Material m) : COLOR { return tex2D(m.map, uv) * m.tint; }\n",
         "main", "the compiler crashed (signal 11"},
    };
    for (const Case& c : cases) {
        CGTranslator::Stage stage =
            std::string(c.source).find("POSITION") != std::string::npos ? CGTranslator::StageVertex : CGTranslator::StagePixel;
        CGTranslator::Result result = Translate(c.source, c.entry, stage);
        EXPECT_FALSE(result.succeeded) << c.what;
        EXPECT_NE(result.listing.find(c.expected), std::string::npos) << c.what << "\n" << result.listing;
    }
    // A struct variable that happens to be called state is no state binding.
    EXPECT_TRUE(Translate("struct S { float4 x; }; uniform S state;\n"
                          "float4 main(float4 c : TEXCOORD0) : COLOR { return c.x > 0 ? c : state.x; }\n",
                          "main", CGTranslator::StagePixel).succeeded);
    // A source that ends inside glstate.matrix.modelview's brackets is refused by the compiler,
    // not read past while it is rewritten (found by fuzzing).
    const CGTranslator::Result cut =
        Translate("float4 main(float4 p : POSITION) : POSITION { return mul(glstate.matrix.modelview[0", "main",
                  CGTranslator::StageVertex);
    EXPECT_FALSE(cut.succeeded);
    EXPECT_EQ(cut.listing.find("crashed"), std::string::npos) << cut.listing;
    // The process that crashed was a copy; compiling goes on.
    EXPECT_TRUE(Translate(cg_sources::BlurPass, "psMain", CGTranslator::StagePixel).succeeded);
}

TEST(CGTranslatorTest, TruncatedAnswersFromTheCompilerProcessAreRefused)
{
    CGTranslator::Result result = Translate(cg_sources::VertexLitTextured, "vsMain", CGTranslator::StageVertex);
    ASSERT_TRUE(result.succeeded) << result.listing;
    std::string bytes = CGTranslator::Serialize(result);
    CGTranslator::Result back;
    ASSERT_TRUE(CGTranslator::Deserialize(bytes, back));
    EXPECT_EQ(back.glsl, result.glsl);
    EXPECT_EQ(back.uniforms.size(), result.uniforms.size());
    for (size_t length = 0; length < bytes.size(); length += 1 + length / 16) {
        CGTranslator::Result partial;
        EXPECT_FALSE(CGTranslator::Deserialize(bytes.substr(0, length), partial)) << length;
    }
    std::string oversized = bytes;
    oversized[15] = char(0x7f);  // the listing's length runs past the end
    CGTranslator::Result garbled;
    EXPECT_FALSE(CGTranslator::Deserialize(oversized, garbled));
}

}  // namespace cg_translator_test
