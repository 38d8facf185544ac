// Programs and textures loaded through the default proxy from files in a folder, drawn on the
// GL device with Cg under Xvfb (Mesa) and judged by the pixels read back.

#include "core/Exception.h"
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
#include "graphics/gl/GLDevice.h"
#include "io/NativeFileSystem.h"
#include "support/CgGLWindow.h"
#include "support/ImageFixtures.h"
#include "support/TempFolder.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"
#include "utils/ResourceWatch.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace graphics_loaders_gl_test {

using namespace Nimbrel;
using namespace Nimbrel::Graphics;
using Utils::Resource;
using Utils::ResourceType;

using Testing::Rgb;

class GraphicsLoadersGLTest : public Testing::CgGLWindow {
protected:
    static constexpr int Size = 64;

    void SetUp() override
    {
        Open(Size, Size);
        depthOff = Managed<DepthStencilState>(device->CreateDepthStencilState(DepthStencilStateDescriptor()));
        noCulling = Managed<RasterizerState>(device->CreateRasterizerState(RasterizerStateDescriptor()));
        SamplerStateDescriptor nearest;
        nearest.magFilter = FilterPoint;
        nearest.minFilter = FilterPoint;
        nearest.mipFilter = FilterNone;
        point = Managed<SamplerState>(device->CreateSamplerState(nearest));
        device->SetDepthStencilState(depthOff.Get());
        device->SetRasterizerState(noCulling.Get());
        files = Managed<IO::NativeFileSystem>(IO::NativeFileSystem::Create(temp.Path().c_str()));
        proxy->SetGraphicsDevice(device.Get());
        proxy->SetFileSystem(files.Get());
    }

    void TearDown() override
    {
        proxy = Managed<Utils::ResourceProxy>();
        CgGLWindow::TearDown();
    }

    // A PNG of 2 by 2 pixels, rows top first.
    void WritePng(const std::string& path, const Rgb& topLeft, const Rgb& topRight, const Rgb& bottomLeft,
                  const Rgb& bottomRight)
    {
        Testing::ImageBytes rgb;
        for (const Rgb* c : {&topLeft, &topRight, &bottomLeft, &bottomRight})
            for (int channel : *c)
                rgb.push_back(uint8_t(channel));
        temp.Write(path, Testing::EncodePngRgb(2, 2, rgb));
    }

    // A whole-screen quad drawn with the program.
    void DrawQuad(Program* program)
    {
        const float quad[] = {-1, -1, 0, 1, 1, -1, 0, 1, -1, 1, 0, 1, 1, 1, 0, 1};
        Managed<VertexBuffer> buffer(device->CreateVertexBuffer(BufferModeStatic, int(sizeof(quad)), 16));
        buffer->SetData(quad, 0, int(sizeof(quad)));
        InputElement position;
        position.semantic = 0;
        position.components = 4;
        Managed<InputLayout> layout(device->CreateInputLayout(&position, 1));
        device->Clear(ClearColor | ClearDepth, 0, 0, 0, 0, 1, 0);
        device->SetVertexBuffer(0, buffer.Get());
        device->SetInputLayout(layout.Get());
        device->SetProgram(program);
        device->SetPrimitiveType(PrimitiveTriangleStrip);
        device->Draw(0, 4);
    }

    // x and y from the bottom left, as OpenGL counts.
    Rgb Pixel(int x, int y)
    {
        uint8_t rgba[4] = {};
        glDevice->MakeCurrent();
        glDevice->GetGL().ReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

    Testing::TempFolder temp;
    Managed<DepthStencilState> depthOff;
    Managed<RasterizerState> noCulling;
    Managed<SamplerState> point;
    Managed<IO::NativeFileSystem> files;
    Managed<Utils::ResourceProxy> proxy{new Utils::DefaultResourceProxy()};
};

TEST_F(GraphicsLoadersGLTest, ProgramFromACgFileDrawsAPngTextureFromAFolder)
{
    temp.Write("shaders/textured.cg", R"(
sampler2D DiffuseMap;
void vsMain(float4 p : N_POSITION, out float4 o : POSITION, out float2 uv : TEXCOORD0)
{
    o = p;
    uv = p.xy * 0.5 + 0.5;
}
float4 psMain(float2 uv : TEXCOORD0) : COLOR { return tex2D(DiffuseMap, uv); }
)");
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, grey{128, 128, 128};
    WritePng("maps/quadrants.png", red, green, blue, grey);

    Resource<Program, ResourceType::Program> program(proxy.Get(), "shaders/textured.cg");
    Resource<Texture, ResourceType::Texture> texture(proxy.Get(), "quadrants.png{Path=maps}");
    ASSERT_EQ(texture->GetTextureType(), TextureType2D);
    program->GetParameter("DiffuseMap")->SetSampler(texture.Get(), point.Get());
    DrawQuad(program.Get());

    // The image's top row is at the top of the screen.
    struct Case {
        int x, y;
        Rgb colour;
    };
    for (const Case& c : {Case{16, 48, red}, Case{48, 48, green}, Case{16, 16, blue}, Case{48, 16, grey}}) {
        const Rgb seen = Pixel(c.x, c.y);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(seen[size_t(i)], c.colour[size_t(i)], 1) << c.x << ", " << c.y << " channel " << i;
    }
}

TEST_F(GraphicsLoadersGLTest, CubeFacesSampleTheirOwnColours)
{
    temp.Write("sky.cg", R"(
samplerCUBE Sky;
float3 Direction;
void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }
float4 psMain() : COLOR { return texCUBE(Sky, Direction); }
)");
    struct Face {
        const char* name;
        float direction[3];
        Rgb colour;
    };
    const Face faces[] = {
        {"px", {1, 0, 0}, {255, 0, 0}},   {"py", {0, 1, 0}, {0, 255, 0}},   {"pz", {0, 0, 1}, {0, 0, 255}},
        {"nx", {-1, 0, 0}, {255, 255, 0}}, {"ny", {0, -1, 0}, {0, 255, 255}}, {"nz", {0, 0, -1}, {255, 0, 255}},
    };
    for (const Face& face : faces)
        WritePng(std::string("sky_") + face.name + ".png", face.colour, face.colour, face.colour, face.colour);

    Resource<Program, ResourceType::Program> program(proxy.Get(), "sky.cg");
    Resource<TextureCube, ResourceType::TextureCube> sky(proxy.Get(), "sky_*.png");
    EXPECT_EQ(sky->GetSize(), 2);
    program->GetParameter("Sky")->SetSampler(sky.Get(), point.Get());
    for (const Face& face : faces) {
        program->GetParameter("Direction")->SetFloat3(1, face.direction);
        DrawQuad(program.Get());
        const Rgb seen = Pixel(Size / 2, Size / 2);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(seen[size_t(i)], face.colour[size_t(i)], 1) << face.name << " channel " << i;
    }
}

// A flat colour from a Cg file; `body` is the pixel shader's statement.
std::string ColourSource(const std::string& body)
{
    return "void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }\n"
           "float4 psMain() : COLOR { " +
           body + " }\n";
}

TEST_F(GraphicsLoadersGLTest, ARewrittenProgramFileDrawsItsNewColourAfterThePoll)
{
    const std::string path = temp / "live.cg";
    // Each rewrite gets a write time of its own, however fast the test runs.
    auto rewrite = [&](const std::string& text, int second) {
        temp.Write("live.cg", text);
        std::filesystem::last_write_time(path, std::filesystem::file_time_type(std::chrono::seconds(1000000 + second)));
    };
    rewrite(ColourSource("return float4(1, 0, 0, 1);"), 0);
    double now = 0;
    std::vector<std::string> reports;
    Utils::ResourceWatch watch(
        proxy.Get(), [&] { return now; }, 0.25, [&](const String& message) { reports.push_back(message.CStr()); });
    const int entry = watch.Watch(ResourceType::Program, "live.cg");
    auto draw = [&] {
        DrawQuad(watch.Get<Program>(entry));
        return Pixel(Size / 2, Size / 2);
    };
    EXPECT_EQ(draw(), (Rgb{255, 0, 0}));

    rewrite(ColourSource("return float4(0, 0, 1, 1);"), 1);
    now = 0.1;
    watch.Update();
    EXPECT_EQ(draw(), (Rgb{255, 0, 0})) << "before the poll";
    now = 0.3;
    EXPECT_EQ(watch.Update(), 1);
    EXPECT_EQ(draw(), (Rgb{0, 0, 255})) << "after the poll";

    // A file that does not compile: frame after frame the old colour, the listing once.
    rewrite(ColourSource("return float4(0, 1, 0, 1) +;"), 2);
    for (int frame = 1; frame <= 20; ++frame) {
        now = 0.3 + frame * 0.1;
        EXPECT_EQ(watch.Update(), 0);
        EXPECT_EQ(draw(), (Rgb{0, 0, 255})) << "frame " << frame;
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("live.cg"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("error"), std::string::npos) << reports[0];

    rewrite(ColourSource("return float4(0, 1, 0, 1);"), 3);
    now += 0.3;
    EXPECT_EQ(watch.Update(), 1);
    EXPECT_EQ(draw(), (Rgb{0, 255, 0}));
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(GraphicsLoadersGLTest, IncludedCgFilesResolveBesideTheirIncluderAndReloadIt)
{
    const std::string header = temp / "shaders/common/tint.cg";
    auto writeHeader = [&](const std::string& colour, int second) {
        temp.Write("shaders/common/tint.cg", "#include \"../base.cg\"\nfloat4 Tint() { return Scale(" + colour + "); }\n");
        std::filesystem::last_write_time(header, std::filesystem::file_time_type(std::chrono::seconds(2000000 + second)));
    };
    temp.Write("shaders/base.cg", "float4 Scale(float4 c) { return c * 0.5 + float4(0, 0, 0, 0.5); }\n");
    writeHeader("float4(2, 0, 0, 1)", 0);
    temp.Write("shaders/fx.cg", "#include \"common/tint.cg\"\n"
                                "void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }\n"
                                "float4 psMain() : COLOR { return Tint(); }\n");
    double now = 0;
    std::vector<std::string> reports;
    Utils::ResourceWatch watch(
        proxy.Get(), [&] { return now; }, 0.25, [&](const String& message) { reports.push_back(message.CStr()); });
    const int entry = watch.Watch(ResourceType::Program, "shaders/fx.cg");
    auto draw = [&] {
        DrawQuad(watch.Get<Program>(entry));
        return Pixel(Size / 2, Size / 2);
    };
    EXPECT_EQ(draw(), (Rgb{255, 0, 0}));

    // A change to the included file alone reloads the program.
    writeHeader("float4(0, 2, 0, 1)", 1);
    now = 0.3;
    EXPECT_EQ(watch.Update(), 1);
    EXPECT_EQ(draw(), (Rgb{0, 255, 0}));
    EXPECT_TRUE(reports.empty());

    // Lines after an include keep their numbers in the compiler's messages.
    temp.Write("broken.cg", "#include \"shaders/base.cg\"\n"
                            "void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }\n"
                            "float4 psMain() : COLOR { return undefinedThing; }\n");
    // And a file that includes itself is refused, with the line of the include.
    temp.Write("loop.cg", "float4 x;\n#include \"loop.cg\"\n");
    struct Case {
        const char* descriptor;
        const char* expected;
    };
    for (const Case& c : {Case{"broken.cg", "0:3: 'undefinedThing'"},
                          Case{"loop.cg", "loop.cg(2): \"loop.cg\" includes itself"},
                          Case{"missing.cg", "missing.cg"}}) {
        std::string message;
        try {
            Resource<Shader, ResourceType::PixelShader> shader(proxy.Get(), c.descriptor);
        } catch (const Exception& error) {
            message = error.GetMessage().CStr();
        }
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.descriptor << ": " << message;
    }
}

TEST_F(GraphicsLoadersGLTest, ARewrittenImageReloadsItsTexture)
{
    temp.Write("flat.cg", R"(
sampler2D DiffuseMap;
void vsMain(float4 p : N_POSITION, out float4 o : POSITION) { o = p; }
float4 psMain() : COLOR { return tex2D(DiffuseMap, float2(0.25, 0.25)); }
)");
    const std::string path = temp / "maps/swatch.png";
    auto rewrite = [&](const Rgb& colour, int second) {
        WritePng("maps/swatch.png", colour, colour, colour, colour);
        std::filesystem::last_write_time(path, std::filesystem::file_time_type(std::chrono::seconds(1000000 + second)));
    };
    rewrite({200, 100, 50}, 0);
    double now = 0;
    std::vector<std::string> reports;
    Utils::ResourceWatch watch(
        proxy.Get(), [&] { return now; }, 0.25, [&](const String& message) { reports.push_back(message.CStr()); });
    Resource<Program, ResourceType::Program> program(proxy.Get(), "flat.cg");
    const int entry = watch.Watch(ResourceType::Texture2D, "swatch.png{Path=maps}");
    ASSERT_EQ(watch.GetFiles(entry).Count(), 1);
    EXPECT_STREQ(watch.GetFiles(entry)[0].CStr(), "maps/swatch.png");
    auto draw = [&] {
        program->GetParameter("DiffuseMap")->SetSampler(watch.Get<Texture2D>(entry), point.Get());
        DrawQuad(program.Get());
        return Pixel(Size / 2, Size / 2);
    };
    EXPECT_EQ(draw(), (Rgb{200, 100, 50}));

    rewrite({10, 20, 30}, 1);
    now = 0.3;
    EXPECT_EQ(watch.Update(), 1);
    EXPECT_EQ(draw(), (Rgb{10, 20, 30}));

    // Not an image any more: the last good texture stays.
    temp.Write("maps/swatch.png", "not a picture");
    std::filesystem::last_write_time(path, std::filesystem::file_time_type(std::chrono::seconds(1000000 + 2)));
    now = 0.6;
    EXPECT_EQ(watch.Update(), 0);
    EXPECT_EQ(draw(), (Rgb{10, 20, 30}));
    EXPECT_EQ(reports.size(), 1u);
}

}  // namespace graphics_loaders_gl_test
