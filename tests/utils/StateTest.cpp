// The render state against a recording fake device: Begin's checks and the order of what it
// asks of the device, the automatic parameters, the per-program parameter cache, recovery from
// a failing Begin and reference counts across passes.
#include "utils/State.h"

#include "support/AllocationWatch.h"
#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "utils/FramebufferProxy.h"
#include "utils/ParameterSet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace state_test {

using namespace Nimbrel;
using Math::Matrix4;
using Math::Vector3t;
using Testing::FakeDevice;
using Testing::FakeParameter;
using Testing::FakeProgram;
using Utils::Framebuffer;
using Utils::FramebufferProxy;
using Utils::ParameterSet;
using Utils::State;

// Every automatic parameter, declared with its type.
const char* const AllSemantics =
    "float4x4 World; float4x4 WorldView; float4x4 WorldViewProjection; float4x4 View;"
    "float4x4 ViewProjection; float4x4 Projection; float4x4 WorldInverse; float4x4 WorldViewInverse;"
    "float4x4 WorldViewProjectionInverse; float4x4 ViewInverse; float4x4 ViewProjectionInverse;"
    "float4x4 ProjectionInverse; float3 CameraPosition; float4 ScreenSpaceConformOffset;"
    "float4 ViewportConformFactor; float2 Resolution; float Time; float Shininess; float Transparency;"
    "float Displacement; float Reflectivity; float3 Normal; float3 Diffuse; float3 Specular; float3 Emission;"
    "float3 Reflection; sampler2D ShininessMap; sampler2D TransparencyMap; sampler2D DisplacementMap;"
    "sampler2D ReflectivityMap; sampler2D NormalMap; sampler2D DiffuseMap; sampler2D SpecularMap;"
    "sampler2D EmissionMap; samplerCube ReflectionMap";

// Non-symmetric, mutually non-commuting transforms, so a transposed, swapped or mis-ordered
// product shows.
Matrix4 World()
{
    return Matrix4::Translation(1.0f, 2.0f, 3.0f) * Matrix4::Rotation(30.0f, 0.0f, 0.0f, 1.0f) *
           Matrix4::Scaling(2.0f, 3.0f, 4.0f);
}
Matrix4 View()
{
    return Matrix4::Rotation(20.0f, 1.0f, 0.0f, 0.0f) * Matrix4::Translation(-4.0f, 5.0f, -6.0f);
}
Matrix4 Projection()
{
    return Matrix4::Perspective(true, 60.0f, 1.5f, 0.5f, 50.0f);
}

Matrix4 FromValues(const std::vector<float>& values)
{
    Matrix4 m;
    for (int i = 0; i < 16 && i < static_cast<int>(values.size()); ++i)
        m[i] = values[static_cast<size_t>(i)];
    return m;
}

void ExpectNear(const Matrix4& actual, const Matrix4& expected, const std::string& what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-4f * std::max(1.0f, std::fabs(expected[i])))
            << what << " element " << i;
}

class StateTest : public ::testing::Test {
protected:
    FakeDevice device;
    Managed<State> state{new State()};

    void SetUp() override { state->devices.Push(&device); }

    Managed<FakeProgram> Program(const char* declarations)
    {
        return Managed<FakeProgram>(device.MakeProgram(declarations));
    }
    FakeParameter& Parameter(FakeProgram& program, const char* name) { return *program.Find(name); }
    // The reference counts of the device's state objects.
    std::vector<int> StateObjectCounts()
    {
        std::vector<int> counts;
        device.ForEachStateObject([&](Object* object) { counts.push_back(object->GetRefCount()); });
        return counts;
    }
};

TEST_F(StateTest, BeginChecksPassThenProgramThenDevice)
{
    // The program check comes first, even with no device either.
    state->devices.Pop();
    EXPECT_THROW_MESSAGE(state->Begin(), "State::Begin(): No GraphicsProgram set");
    Managed<FakeProgram> program = Program("float4x4 World");
    state->programs.Push(program.Get());
    EXPECT_THROW_MESSAGE(state->Begin(), "State::Begin(): No GraphicsDevice set");
    EXPECT_FALSE(state->IsInBegin());
    EXPECT_TRUE(device.log.empty());
}

TEST_F(StateTest, SecondBeginThrowsAndLeavesTheFirstPassIntact)
{
    Managed<FakeProgram> program = Program("float4x4 World");
    state->programs.Push(program.Get());
    state->Begin();
    state->End();
    const std::vector<int> outside = StateObjectCounts();

    Managed<FramebufferProxy> proxy(new FramebufferProxy(&device));
    Framebuffer target(proxy.Get(), 64, 32, 0, Graphics::PixelFormatR8G8B8A8, false, false);
    target.Lock();
    state->framebuffers.Push(&target);
    state->Begin();
    const std::vector<int> inside = StateObjectCounts();
    const size_t calls = device.log.size();
    EXPECT_THROW_MESSAGE(state->Begin(), "State::Begin(): Previous call to Begin() not matched by a call to End()");
    EXPECT_TRUE(state->IsInBegin());
    EXPECT_EQ(device.log.size(), calls);
    EXPECT_EQ(StateObjectCounts(), inside);
    EXPECT_EQ(device.GetProgram(), program.Get());
    EXPECT_EQ(device.GetColorTargetCount(), 1);

    state->End();
    EXPECT_FALSE(state->IsInBegin());
    EXPECT_EQ(StateObjectCounts(), outside);
    EXPECT_EQ(device.GetColorTargetCount(), 0);
    target.Unlock();
}

TEST_F(StateTest, BeginAsksTheDeviceInOrder)
{
    Managed<FakeProgram> program = Program(AllSemantics);
    Testing::FakeTexture2D normalMap(4, 4), diffuseMap(4, 4);
    Managed<FramebufferProxy> proxy(new FramebufferProxy(&device));
    Framebuffer target(proxy.Get(), 64, 32, 0, Graphics::PixelFormatR8G8B8A8, true, false);
    target.Lock();
    state->programs.Push(program.Get());
    state->normalMaps.Push(&normalMap);
    state->diffuseMaps.Push(&diffuseMap);
    state->framebuffers.Push(&target);
    device.screenSpaceConformant = false;  // so the conformance values need the device
    device.log.clear();

    state->Begin();
    const std::vector<std::string> expected = {
        "SetProgram",
        "World.SetMatrix4",
        "WorldInverse.SetMatrix4",
        "WorldView.SetMatrix4",
        "WorldViewInverse.SetMatrix4",
        "WorldViewProjection.SetMatrix4",
        "WorldViewProjectionInverse.SetMatrix4",
        "View.SetMatrix4",
        "ViewInverse.SetMatrix4",
        "ViewProjection.SetMatrix4",
        "ViewProjectionInverse.SetMatrix4",
        "Projection.SetMatrix4",
        "ProjectionInverse.SetMatrix4",
        "CameraPosition.SetFloat3",
        "SetFramebuffer",
        "IsScreenSpaceConformant",
        "GetColorTargetCount",
        "GetViewports",
        "ViewportConformFactor.SetFloat4",
        "ScreenSpaceConformOffset.SetFloat4",
        "Resolution.SetFloat2",
        "Time.SetFloat",
        "Shininess.SetFloat",
        "Transparency.SetFloat",
        "Displacement.SetFloat",
        "Reflectivity.SetFloat",
        "Normal.SetFloat3",
        "Diffuse.SetFloat3",
        "Specular.SetFloat3",
        "Emission.SetFloat3",
        "Reflection.SetFloat3",
        "CreateSamplerState",
        "NormalMap.SetSampler",
        "CreateSamplerState",
        "DiffuseMap.SetSampler",
        "CreateBlendState",
        "CreateDepthStencilState",
        "CreateRasterizerState",
        "SetBlendState",
        "SetDepthStencilState",
        "SetRasterizerState",
    };
    EXPECT_EQ(device.log, expected);
    EXPECT_TRUE(state->IsInBegin());

    EXPECT_EQ(device.GetColorTargetCount(), 1);

    device.log.clear();
    state->End();
    EXPECT_EQ(device.log, std::vector<std::string>{"SetFramebuffer"});
    EXPECT_EQ(device.GetColorTargetCount(), 0);  // back on the back buffer
    EXPECT_EQ(device.GetDepthStencilTarget(), nullptr);
    target.Unlock();
}

TEST_F(StateTest, ProgramWithoutAutomaticNamesIsStillBoundAndStatesApplied)
{
    Managed<FakeProgram> program = Program("float4 Tint; sampler2D Picture");
    Testing::FakeTexture2D diffuseMap(4, 4);
    state->programs.Push(program.Get());
    state->diffuseMaps.Push(&diffuseMap);  // no "DiffuseMap" uniform: no sampler state asked for
    Graphics::BlendStateDescriptor blend;
    blend.blendEnable = true;
    state->blendStates.Push(blend);
    Graphics::DepthStencilStateDescriptor depth;
    depth.depthEnable = true;
    state->depthStencilStates.Push(depth);
    Graphics::RasterizerStateDescriptor rasterizer;
    rasterizer.cullMode = Graphics::CullBack;
    state->rasterizerStates.Push(rasterizer);

    state->Begin();
    const std::vector<std::string> expected = {"SetProgram",           "CreateBlendState",
                                               "CreateDepthStencilState", "CreateRasterizerState",
                                               "SetBlendState",        "SetDepthStencilState",
                                               "SetRasterizerState"};
    EXPECT_EQ(device.log, expected);
    EXPECT_EQ(device.GetProgram(), program.Get());
    EXPECT_TRUE(static_cast<Testing::FakeBlendState*>(device.GetBlendState())->descriptor == blend);
    EXPECT_TRUE(static_cast<Testing::FakeDepthStencilState*>(device.GetDepthStencilState())->descriptor == depth);
    EXPECT_TRUE(static_cast<Testing::FakeRasterizerState*>(device.GetRasterizerState())->descriptor == rasterizer);
    EXPECT_EQ(Parameter(*program, "Tint").setCount, 0);
    EXPECT_EQ(Parameter(*program, "Picture").setCount, 0);
    state->End();
}

TEST_F(StateTest, EndGivesBackEveryReferenceBeginTook)
{
    Managed<FakeProgram> program = Program(AllSemantics);
    std::vector<Managed<Testing::FakeTexture2D>> maps;
    for (Stack<Graphics::Texture*>* stack :
         {&state->shininessMaps, &state->transparencyMaps, &state->displacementMaps, &state->reflectivityMaps,
          &state->normalMaps, &state->diffuseMaps, &state->specularMaps, &state->emissionMaps,
          &state->reflectionMaps}) {
        maps.emplace_back(new Testing::FakeTexture2D(2, 2));
        stack->Push(maps.back().Get());
    }
    Graphics::SamplerStateDescriptor clamp;
    clamp.addressU = clamp.addressV = Graphics::AddressClamp;
    state->specularSamplers.Push(clamp);
    state->programs.Push(program.Get());

    state->Begin();
    state->End();
    // Two sampler states (default and clamped) and one state of each other kind, each held
    // by the device alone.
    ASSERT_EQ(device.StateObjectCount(), 5);
    EXPECT_EQ(StateObjectCounts(), std::vector<int>(5, 1));
    const int programCount = program->GetRefCount();

    state->Begin();
    EXPECT_EQ(StateObjectCounts(), (std::vector<int>{9, 2, 2, 2, 2}));  // eight default samplers, one clamped
    state->End();
    EXPECT_EQ(StateObjectCounts(), std::vector<int>(5, 1));
    EXPECT_EQ(program->GetRefCount(), programCount);
    for (auto& map : maps)
        EXPECT_EQ(map->GetRefCount(), 1);
}

// The automatic parameters of a program that uses them all, after one Begin.
class AutomaticParameterTest : public StateTest {
protected:
    Managed<FakeProgram> program = Program(AllSemantics);

    void SetUp() override
    {
        StateTest::SetUp();
        state->programs.Push(program.Get());
        state->worlds.Push(World());
        state->views.Push(View());
        state->projections.Push(Projection());
        state->cameraPositions.Push(Vector3t<float>(1.5f, -2.0f, 3.0f));
        state->resolutions.Push(Math::Vector2t<int>(1024, 768));
        state->times.Push(1.0 / 3.0);
        state->shininess.Push(7.0f);
        state->transparency.Push(0.25f);
        state->displacement.Push(0.5f);
        state->reflectivity.Push(0.75f);
        state->normals.Push(Vector3t<float>(0.0f, 1.0f, 0.0f));
        state->diffuseColors.Push(Vector3t<float>(0.1f, 0.2f, 0.3f));
        state->specularColors.Push(Vector3t<float>(0.4f, 0.5f, 0.6f));
        state->emissionColors.Push(Vector3t<float>(0.7f, 0.8f, 0.9f));
        state->reflectionColors.Push(Vector3t<float>(1.0f, 0.5f, 0.25f));
    }
};

TEST_F(AutomaticParameterTest, EachMatrixNameReceivesItsValue)
{
    state->Begin();
    const Matrix4 w = World(), v = View(), p = Projection();
    struct Row {
        const char* name;
        Matrix4 value;  // the matrix itself, or the one whose inverse the name receives
        bool inverse;
    };
    const Row rows[] = {
        {"World", w, false},
        {"WorldView", v * w, false},
        {"WorldViewProjection", p * v * w, false},
        {"View", v, false},
        {"ViewProjection", p * v, false},
        {"Projection", p, false},
        {"WorldInverse", w, true},
        {"WorldViewInverse", v * w, true},
        {"WorldViewProjectionInverse", p * v * w, true},
        {"ViewInverse", v, true},
        {"ViewProjectionInverse", p * v, true},
        {"ProjectionInverse", p, true},
    };
    for (const Row& row : rows) {
        FakeParameter& parameter = Parameter(*program, row.name);
        EXPECT_EQ(parameter.setCount, 1) << row.name;
        EXPECT_STREQ(parameter.lastSetter, "SetMatrix4") << row.name;
        EXPECT_EQ(parameter.lastCount, 1) << row.name;
        const Matrix4 received = FromValues(parameter.Values());
        if (row.inverse)
            ExpectNear(received * row.value, Matrix4::Identity(), row.name);
        else
            ExpectNear(received, row.value, row.name);
    }
    state->End();
}

TEST_F(AutomaticParameterTest, EachValueNameReceivesItsValue)
{
    state->Begin();
    struct Row {
        const char* name;
        const char* setter;
        std::vector<float> value;
    };
    const Row rows[] = {
        {"CameraPosition", "SetFloat3", {1.5f, -2.0f, 3.0f}},
        {"ViewportConformFactor", "SetFloat4", {1.0f, 1.0f, 1.0f, 1.0f}},
        {"ScreenSpaceConformOffset", "SetFloat4", {0.0f, 0.0f, 0.0f, 0.0f}},
        {"Resolution", "SetFloat2", {1024.0f, 768.0f}},
        {"Time", "SetFloat", {static_cast<float>(1.0 / 3.0)}},
        {"Shininess", "SetFloat", {7.0f}},
        {"Transparency", "SetFloat", {0.25f}},
        {"Displacement", "SetFloat", {0.5f}},
        {"Reflectivity", "SetFloat", {0.75f}},
        {"Normal", "SetFloat3", {0.0f, 1.0f, 0.0f}},
        {"Diffuse", "SetFloat3", {0.1f, 0.2f, 0.3f}},
        {"Specular", "SetFloat3", {0.4f, 0.5f, 0.6f}},
        {"Emission", "SetFloat3", {0.7f, 0.8f, 0.9f}},
        {"Reflection", "SetFloat3", {1.0f, 0.5f, 0.25f}},
    };
    for (const Row& row : rows) {
        FakeParameter& parameter = Parameter(*program, row.name);
        EXPECT_EQ(parameter.setCount, 1) << row.name;
        EXPECT_STREQ(parameter.lastSetter, row.setter) << row.name;
        EXPECT_EQ(parameter.lastCount, 1) << row.name;
        EXPECT_EQ(parameter.Values(), row.value) << row.name;
    }
    // No map was pushed: every sampler keeps what it had.
    for (int i = ParameterSet::SemanticShininessMap; i < ParameterSet::SemanticCount; ++i)
        EXPECT_EQ(Parameter(*program, ParameterSet::Names[i]).setCount, 0) << ParameterSet::Names[i];
    state->End();
}

TEST_F(AutomaticParameterTest, InitialStateGivesIdentitiesAndTheDefaultMaterial)
{
    Managed<State> fresh(new State());
    fresh->devices.Push(&device);
    fresh->programs.Push(program.Get());
    fresh->Begin();
    for (const char* name : {"World", "WorldViewProjectionInverse", "View", "Projection"})
        ExpectNear(FromValues(Parameter(*program, name).Values()), Matrix4::Identity(), name);
    EXPECT_EQ(Parameter(*program, "Resolution").Values(), (std::vector<float>{800.0f, 600.0f}));
    EXPECT_EQ(Parameter(*program, "Time").Values(), (std::vector<float>{0.0f}));
    EXPECT_EQ(Parameter(*program, "Normal").Values(), (std::vector<float>{0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(Parameter(*program, "Diffuse").Values(), (std::vector<float>{1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(Parameter(*program, "Specular").Values(), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    fresh->End();
}

TEST_F(AutomaticParameterTest, MapsGetTheTopTextureWithTheSamplerStateOfTheirDescriptor)
{
    Testing::FakeTexture2D diffuseMap(8, 8), normalMap(8, 8);
    Testing::FakeTextureCube reflectionMap(8);
    Graphics::SamplerStateDescriptor clamp;
    clamp.addressU = clamp.addressV = Graphics::AddressClamp;
    clamp.minFilter = Graphics::FilterPoint;
    state->diffuseMaps.Push(&diffuseMap);  // with the initial descriptor
    state->normalMaps.Push(&normalMap);
    state->normalSamplers.Push(clamp);
    state->reflectionMaps.Push(&reflectionMap);

    state->Begin();
    FakeParameter& diffuse = Parameter(*program, "DiffuseMap");
    FakeParameter& normal = Parameter(*program, "NormalMap");
    FakeParameter& reflection = Parameter(*program, "ReflectionMap");
    EXPECT_EQ(diffuse.texture, &diffuseMap);
    EXPECT_EQ(normal.texture, &normalMap);
    EXPECT_EQ(reflection.texture, &reflectionMap);
    ASSERT_NE(diffuse.sampler, nullptr);
    ASSERT_NE(normal.sampler, nullptr);
    const Graphics::SamplerStateDescriptor linear;
    EXPECT_TRUE(static_cast<Testing::FakeSamplerState*>(diffuse.sampler)->descriptor == linear);
    EXPECT_EQ(linear.mipFilter, Graphics::FilterLinear);
    EXPECT_EQ(linear.addressU, Graphics::AddressWrap);
    EXPECT_TRUE(static_cast<Testing::FakeSamplerState*>(normal.sampler)->descriptor == clamp);
    EXPECT_EQ(reflection.sampler, diffuse.sampler);  // equal descriptors, one state object
    EXPECT_EQ(Parameter(*program, "SpecularMap").setCount, 0);
    state->End();
}

TEST_F(StateTest, OnlyWantedValuesAreSet)
{
    // A program that reads only the inverse of V * W gets it, and nothing else is attempted.
    Managed<FakeProgram> program = Program("float4x4 WorldViewInverse");
    state->programs.Push(program.Get());
    state->worlds.Push(World());
    state->views.Push(View());
    state->Begin();
    ExpectNear(FromValues(Parameter(*program, "WorldViewInverse").Values()) * (View() * World()),
               Matrix4::Identity(), "WorldViewInverse");
    for (const char* name : ParameterSet::Names)
        EXPECT_EQ(Parameter(*program, name).ignoredSets, 0) << name;
    const std::vector<std::string> expected = {"SetProgram",       "WorldViewInverse.SetMatrix4",
                                               "CreateBlendState", "CreateDepthStencilState",
                                               "CreateRasterizerState", "SetBlendState",
                                               "SetDepthStencilState",  "SetRasterizerState"};
    EXPECT_EQ(device.log, expected);  // nor is the device asked about conformance
    state->End();
}

TEST_F(StateTest, SingularMatricesGiveThemselvesAsInverse)
{
    Managed<FakeProgram> program = Program("float4x4 WorldInverse; float4x4 WorldViewInverse; float4x4 World");
    const Matrix4 flat = Matrix4::Translation(1.0f, 2.0f, 3.0f) * Matrix4::Scaling(2.0f, 0.0f, 1.0f);
    state->programs.Push(program.Get());
    state->worlds.Push(flat);
    state->views.Push(View());
    state->Begin();
    EXPECT_EQ(FromValues(Parameter(*program, "WorldInverse").Values()), flat);
    EXPECT_EQ(FromValues(Parameter(*program, "WorldViewInverse").Values()), View() * flat);
    EXPECT_EQ(FromValues(Parameter(*program, "World").Values()), flat);
    state->End();
}

TEST_F(StateTest, ConformanceValuesOnANonConformantDevice)
{
    Managed<FakeProgram> program = Program("float4 ScreenSpaceConformOffset; float4 ViewportConformFactor");
    state->programs.Push(program.Get());
    device.screenSpaceConformant = false;
    const Graphics::Rect viewport{0, 0, 400, 250};
    device.SetViewports(1, &viewport);

    // On the back buffer: half a pixel of the viewport, no flip.
    state->Begin();
    EXPECT_EQ(Parameter(*program, "ViewportConformFactor").Values(), (std::vector<float>{1.0f, 1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(Parameter(*program, "ScreenSpaceConformOffset").Values(),
              (std::vector<float>{-1.0f / 400.0f, -1.0f / 250.0f, 0.0f, 0.0f}));
    state->End();

    // Into the pushed off-screen target, bound before the values are worked out: flipped,
    // and the offset with it, in pixels of the target.
    Managed<FramebufferProxy> proxy(new FramebufferProxy(&device));
    Framebuffer target(proxy.Get(), 256, 128, 0, Graphics::PixelFormatR8G8B8A8, false, false);
    target.Lock();
    state->framebuffers.Push(&target);
    state->Begin();
    EXPECT_EQ(Parameter(*program, "ViewportConformFactor").Values(), (std::vector<float>{1.0f, -1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(Parameter(*program, "ScreenSpaceConformOffset").Values(),
              (std::vector<float>{-1.0f / 256.0f, 1.0f / 128.0f, 0.0f, 0.0f}));
    state->End();
    state->framebuffers.Pop();
    target.Unlock();

    // An empty viewport has no pixel to align to.
    const Graphics::Rect empty{0, 0, 0, 0};
    device.SetViewports(1, &empty);
    state->Begin();
    EXPECT_EQ(Parameter(*program, "ScreenSpaceConformOffset").Values(), (std::vector<float>{0.0f, 0.0f, 0.0f, 0.0f}));
    state->End();
}

TEST_F(StateTest, ParameterNamesAreLookedUpOncePerProgram)
{
    Managed<FakeProgram> first = Program("float4x4 World");
    Managed<FakeProgram> second = Program("float Time");
    state->programs.Push(first.Get());
    state->Begin();
    state->End();
    EXPECT_EQ(first->lookups, ParameterSet::SemanticCount);
    state->Begin();
    state->End();
    EXPECT_EQ(first->lookups, ParameterSet::SemanticCount);

    state->programs.Push(second.Get());
    state->times.Push(2.0);
    state->Begin();
    state->End();
    EXPECT_EQ(second->lookups, ParameterSet::SemanticCount);
    EXPECT_EQ(Parameter(*second, "Time").Values(), (std::vector<float>{2.0f}));
    EXPECT_EQ(Parameter(*first, "World").setCount, 2);
}

TEST_F(StateTest, DestroyedProgramLeavesNoParametersForTheNextAtItsAddress)
{
    // Two programs in turn at one address: the second must not receive the first one's
    // (dead) parameters.
    alignas(FakeProgram) unsigned char storage[sizeof(FakeProgram)];
    const int cachedBefore = ParameterSet::CachedCount();

    auto* first = new (storage) FakeProgram(Testing::FakeShader::ParseUniforms("float4x4 World; float Time"),
                                            &device.log, &device.recording);
    state->programs.Push(first);
    state->Begin();
    state->End();
    EXPECT_EQ(ParameterSet::CachedCount(), cachedBefore + 1);
    first->~FakeProgram();
    EXPECT_EQ(ParameterSet::CachedCount(), cachedBefore);

    auto* second = new (storage) FakeProgram(Testing::FakeShader::ParseUniforms("float Time; float3 Diffuse"),
                                             &device.log, &device.recording);
    ASSERT_EQ(static_cast<void*>(second), static_cast<void*>(storage));
    state->times.Push(4.0);
    device.log.clear();
    state->Begin();
    state->End();
    EXPECT_EQ(second->lookups, ParameterSet::SemanticCount);
    EXPECT_EQ(second->Find("Time")->Values(), (std::vector<float>{4.0f}));
    EXPECT_EQ(second->Find("Diffuse")->setCount, 1);
    state->programs.Pop();
    second->~FakeProgram();
    EXPECT_EQ(ParameterSet::CachedCount(), cachedBefore);
}

TEST_F(StateTest, FailingBeginReleasesWhatItTookAndTheNextBeginWorks)
{
    Managed<FakeProgram> program = Program(AllSemantics);
    Testing::FakeTexture2D diffuseMap(4, 4), specularMap(4, 4);
    Managed<FramebufferProxy> proxy(new FramebufferProxy(&device));
    Framebuffer target(proxy.Get(), 64, 32, 0, Graphics::PixelFormatR8G8B8A8, true, false);
    Framebuffer other(proxy.Get(), 16, 16, 0, Graphics::PixelFormatR8G8B8A8, false, false);
    target.Lock();
    other.Lock();
    state->programs.Push(program.Get());
    state->diffuseMaps.Push(&diffuseMap);
    state->specularMaps.Push(&specularMap);
    state->framebuffers.Push(&target);
    state->Begin();
    state->End();
    const std::vector<int> outside = StateObjectCounts();

    // Before, at and after the framebuffer's binding, and after some state objects were taken.
    for (const char* failing : {"SetProgram", "SetFramebuffer", "CreateSamplerState", "CreateDepthStencilState",
                                "CreateRasterizerState", "SetRasterizerState"}) {
        device.failAt = failing;
        EXPECT_THROW_MESSAGE(state->Begin(), ("FakeDevice: " + std::string(failing) + " failed").c_str());
        device.failAt.clear();
        EXPECT_FALSE(state->IsInBegin()) << failing;
        EXPECT_EQ(StateObjectCounts(), outside) << failing;
        // The target is no longer bound: the device renders to the back buffer and another
        // handle may bind.
        EXPECT_EQ(device.GetColorTargetCount(), 0) << failing;
        other.BindAsFramebuffer();
        other.UnbindAsFramebuffer();

        state->Begin();
        EXPECT_EQ(device.GetColorTargetCount(), 1) << failing;
        state->End();
        EXPECT_EQ(StateObjectCounts(), outside) << failing;
    }

    // A stack emptied by unbalanced drawing code fails the same way.
    state->resolutions.Pop();
    EXPECT_THROW_MESSAGE(state->Begin(), "The array doesn't contain any elements");
    EXPECT_FALSE(state->IsInBegin());
    EXPECT_EQ(StateObjectCounts(), outside);
    EXPECT_EQ(device.GetColorTargetCount(), 0);
    target.Unlock();
    other.Unlock();
}

TEST_F(StateTest, SteadyStateBeginAndEndAllocateNothing)
{
    if (!Testing::AllocationWatch::Available())
        GTEST_SKIP() << "needs the sanitizer runtime's allocation hooks";
    Managed<FakeProgram> program = Program(AllSemantics);
    Testing::FakeTexture2D diffuseMap(4, 4), normalMap(4, 4);
    state->programs.Push(program.Get());
    state->diffuseMaps.Push(&diffuseMap);
    state->normalMaps.Push(&normalMap);
    state->worlds.Push(World());
    device.recording = false;
    device.draws.reserve(200);
    state->Begin();  // builds the parameter set and the device's state objects
    state->End();

    Testing::AllocationWatch watch;
    for (int frame = 0; frame < 100; ++frame) {
        state->Begin();
        device.Draw(0, 3);
        state->End();
    }
    const size_t steady = watch.AllocationCount();
    Managed<FakeProgram> other = Program("float Time");  // the watch does see allocations
    EXPECT_GT(watch.AllocationCount(), steady);
    EXPECT_EQ(steady, 0u);
    EXPECT_EQ(device.draws.size(), 100u);
    EXPECT_EQ(Parameter(*program, "World").setCount, 101);
}

}  // namespace state_test
