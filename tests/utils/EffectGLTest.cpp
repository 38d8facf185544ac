// Effects drawing through the render state with Cg programs on the GL device under Xvfb (Mesa
// llvmpipe): the automatic parameters computed from the state's stacks reach the shaders and
// put what is drawn where it belongs. The frame is read back and judged pixel by pixel.
#include "utils/Effect.h"

#include "core/Managed.h"
#include "graphics/VertexSemantics.h"
#include "graphics/gl/CGShadingContext.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "graphics/gl/GLDevice.h"
#include "io/NativeFileSystem.h"
#include "io/Stream.h"
#include "math/Matrix4.h"
#include "platform/Window.h"
#include "support/CgGLWindow.h"
#include "support/PngFile.h"
#include "support/SDLVideo.h"
#include "support/TempFolder.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Drawable.h"
#include "utils/Geometry.h"
#include "utils/Mesh.h"
#include "utils/Resource.h"
#include "utils/State.h"
#include "utils/loaders/NgmWriter.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace effect_gl_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Math::Matrix4;

using Testing::Frame;
using Testing::Near;
using Testing::Rgb;
using Testing::ToText;

// An effect with one program and, optionally, a float3 of its own ("LightDirection"), set
// after Begin as effects set their own values.
class ProgramEffect : public Effect {
public:
    explicit ProgramEffect(Graphics::Program* program) : program(program)
    {
        program->AddRef();
        lightDirection = program->GetParameter("LightDirection");
    }
    ~ProgramEffect() override { program->Release(); }

    void SetLightDirection(float x, float y, float z)
    {
        const float length = std::sqrt(x * x + y * y + z * z);
        light = {x / length, y / length, z / length};
    }

    void RenderDrawable(Target& target, State& state) override
    {
        ++drawn;
        state.programs.Push(program);
        state.Begin();
        if (lightDirection->IsValid())
            lightDirection->SetFloat3(1, light.data());
        static_cast<Drawable&>(target).Draw();
        state.End();
        state.programs.Pop();
    }

    int drawn = 0;

private:
    Graphics::Program* program;
    Graphics::Parameter* lightDirection;
    std::array<float, 3> light = {0, 0, -1};
};

class EffectGLTest : public Testing::CgGLWindow {};

using Testing::FlatSource;

// Lit by a direction: the world normal against the direction the light travels, an ambient
// floor, the state's diffuse colour; the second texture coordinate adds blue, so the
// coordinates show as a gradient from the bottom of the mesh to its top.
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
float3 Diffuse;
float3 LightDirection;

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
    float lit = max(dot(normalize(IN.normal), -LightDirection), 0);
    return float4(Diffuse * (0.15 + 0.85 * lit) + float3(0, 0, IN.uv.y), 1);
}
)";

Managed<Geometry> Square(Graphics::Device* device)
{
    return Testing::SquareGeometry(device, 0.25f);
}

TEST_F(EffectGLTest, WorldViewProjectionPlacesAQuadOnItsPixels)
{
    ASSERT_NO_FATAL_FAILURE(Open(64, 64));
    Managed<Graphics::Program> program = Link(FlatSource);
    Managed<ProgramEffect> effect(new ProgramEffect(program.Get()));
    Managed<Geometry> square = Square(device.Get());

    // Applied in the order world, view, projection, the square lands on x -0.375 to -0.125
    // and y -0.5 to 0 in clip space: columns 20 to 27 and rows 32 to 47 from the top. Any
    // other order of the three, or a transposed matrix, puts it elsewhere.
    state->worlds.Push(Matrix4::Translation(0.5f, 0.25f, 0));
    state->views.Push(Matrix4::Scaling(0.5f, 1, 1));
    state->projections.Push(Matrix4::Translation(-0.5f, -0.5f, 0));
    state->diffuseColors.Push(Math::Vector3t<float>(1, 1, 0));

    device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0, 1, 1, 0);
    effect->Render(*square, *state);
    EXPECT_EQ(effect->drawn, 1);
    EXPECT_FALSE(state->IsInBegin());
    const Frame frame = ReadFrame();

    int wrong = 0;
    std::string first;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const bool inside = x >= 20 && x < 28 && y >= 32 && y < 48;
            const Rgb expected = inside ? Rgb{255, 255, 0} : Rgb{0, 0, 0};
            if (frame.At(x, y) != expected && wrong++ < 4)
                first += " (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + ToText(frame.At(x, y));
        }
    EXPECT_EQ(wrong, 0) << "pixels off the expected square, for example" << first;
}

// A sphere of radius 1 around the origin with `stacks` rings from the south pole (v = 0) to
// the north pole (v = 1) and `slices` segments around the y axis (u from 0 to 1 starting at
// +z), triangles counter-clockwise seen from outside.
Managed<Mesh> Sphere(int stacks, int slices)
{
    const double pi = 3.14159265358979323846;
    Managed<Mesh> mesh(new Mesh());
    Managed<Mesh::Attribute> position(new Mesh::Attribute(Graphics::SemanticPosition, 0, 3));
    Managed<Mesh::Attribute> normal(new Mesh::Attribute(Graphics::SemanticNormal, 0, 3));
    Managed<Mesh::Attribute> texCoord(new Mesh::Attribute(Graphics::SemanticTexCoord0, 0, 2));
    mesh->AddAttribute(position.Get());
    mesh->AddAttribute(normal.Get());
    mesh->AddAttribute(texCoord.Get());
    const int columns = slices + 1;
    mesh->SetVertexCount((stacks + 1) * columns);
    for (int i = 0; i <= stacks; ++i)
        for (int j = 0; j <= slices; ++j) {
            const double phi = pi * i / stacks, theta = 2 * pi * j / slices;
            const float p[3] = {float(std::sin(phi) * std::sin(theta)), float(-std::cos(phi)),
                                float(std::sin(phi) * std::cos(theta))};
            const int v = i * columns + j;
            for (int c = 0; c < 3; ++c) {
                position->values[v * 3 + c] = p[c];
                normal->values[v * 3 + c] = p[c];
            }
            texCoord->values[v * 2] = float(j) / float(slices);
            texCoord->values[v * 2 + 1] = float(i) / float(stacks);
        }
    mesh->SetIndexCount(stacks * slices * 6);
    int n = 0;
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j) {
            const int a = i * columns + j, b = a + 1, c = a + columns + 1, d = a + columns;
            for (int index : {a, b, c, a, c, d})
                mesh->SetIndex(n++, index);
        }
    mesh->AddSubMesh(SubMesh{0, n, 0, mesh->GetVertexCount() - 1, Graphics::PrimitiveTriangles});
    return mesh;
}

TEST_F(EffectGLTest, FirstPictureALitMeshLoadedFromAnNgmFile)
{
    const int width = 320, height = 240;
    ASSERT_NO_FATAL_FAILURE(Open(width, height));

    // The mesh goes to disk in the engine's format and comes back through the proxy.
    Testing::TempFolder folder;
    Managed<IO::FileSystem> files(IO::NativeFileSystem::Create(folder.Path().c_str()));
    {
        Managed<Mesh> sphere = Sphere(24, 48);
        Managed<IO::Stream> file(files->OpenFile("sphere.ngm", IO::FileModeWrite));
        Loaders::WriteNgm(file.Get(), Loaders::NgmDataFromMesh(sphere.Get()));
    }
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    proxy->SetFileSystem(files.Get());
    proxy->SetGraphicsDevice(device.Get());
    Resource<Geometry, ResourceType::Geometry> geometry(proxy.Get(), "sphere.ngm");
    ASSERT_EQ(geometry->GetVertexCount(), 25 * 49);

    Managed<Graphics::Program> program = Link(LitSource);
    Managed<ProgramEffect> effect(new ProgramEffect(program.Get()));
    // The light comes from the left and a little from the front.
    effect->SetLightDirection(1, 0, -0.5f);

    // The sphere is moved 0.5 to the right and the camera, 4 in front of it, looks straight at
    // its centre: without World or View it would not be in the middle of the frame.
    const float fovY = 45, aspect = float(width) / float(height);
    state->worlds.Push(Matrix4::Translation(0.5f, 0, 0));
    state->views.Push(Matrix4::LookAt({0.5f, 0, 4}, {0.5f, 0, 0}, {0, 1, 0}));
    state->projections.Push(Matrix4::Perspective(true, fovY, aspect, 0.5f, 10));
    state->diffuseColors.Push(Math::Vector3t<float>(1, 0.6f, 0));
    Graphics::DepthStencilStateDescriptor depth;
    depth.depthEnable = true;
    state->depthStencilStates.Push(depth);
    Graphics::RasterizerStateDescriptor culling;
    culling.cullMode = Graphics::CullBack;
    state->rasterizerStates.Push(culling);

    device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0.25f, 1, 1, 0);
    effect->Render(*geometry.Get(), *state);
    const Frame frame = ReadFrame();
    // Beside the test binary, in the build folder.
    const auto picture = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "first-picture.png";
    Testing::WritePng(picture.string(), frame.width, frame.height, frame.rgb);

    // The outline is a circle around the middle of the frame whose half-angle, seen from the
    // camera, is asin(1 / 4).
    const double pi = 3.14159265358979323846;
    const double focal = 1 / std::tan(fovY / 2 * pi / 180);
    const double radius = std::tan(std::asin(1.0 / 4)) * focal * height / 2;  // in pixels
    auto pixel = [&](double dx, double dy) { return frame.At(int(width / 2 + dx), int(height / 2 - dy)); };
    const Rgb background = {0, 0, 64};

    // Outside the outline: background; inside it: the mesh, even on its dark side.
    for (int step = 0; step < 16; ++step) {
        const double angle = 2 * pi * step / 16, cx = std::cos(angle), cy = std::sin(angle);
        EXPECT_TRUE(Near(pixel(1.08 * radius * cx, 1.08 * radius * cy), background, 1))
            << "outside at " << step * 22.5 << " degrees: " << ToText(pixel(1.08 * radius * cx, 1.08 * radius * cy));
        EXPECT_FALSE(Near(pixel(0.92 * radius * cx, 0.92 * radius * cy), background, 8))
            << "inside at " << step * 22.5 << " degrees";
    }
    for (const auto& [x, y] : {std::array<int, 2>{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}})
        EXPECT_TRUE(Near(frame.At(x, y), background, 1)) << "corner " << x << ", " << y;

    // The area covered is the outline's.
    int covered = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            covered += Near(frame.At(x, y), background, 1) ? 0 : 1;
    EXPECT_NEAR(covered, pi * radius * radius, 0.04 * pi * radius * radius);

    // The lit side, on the left, against the right side, which faces away from the light and
    // keeps only the ambient floor (0.15 of the diffuse colour).
    const Rgb litSide = pixel(-0.6 * radius, 0), farSide = pixel(0.8 * radius, 0);
    EXPECT_GT(litSide[0], 190) << ToText(litSide);
    EXPECT_GT(litSide[1], 110) << ToText(litSide);
    EXPECT_GT(litSide[0] - farSide[0], 150) << ToText(litSide) << " against " << ToText(farSide);
    EXPECT_NEAR(farSide[0], 38, 3) << ToText(farSide);
    EXPECT_NEAR(farSide[1], 23, 3) << ToText(farSide);
    // Texture coordinates: blue grows from the south pole to the north pole; the centre row
    // shows the equator, half way.
    EXPECT_NEAR(pixel(0, 0)[2], 128, 3);
    EXPECT_NEAR(pixel(-0.6 * radius, 0)[2], 128, 3);
    EXPECT_GT(pixel(0, 0.85 * radius)[2], 175);
    EXPECT_LT(pixel(0, -0.85 * radius)[2], 80);
}

}  // namespace effect_gl_test
