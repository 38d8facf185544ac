#include "utils/State.h"

#include "utils/FramebufferProxy.h"
#include "utils/ParameterSet.h"

namespace Nimbrel::Utils {

namespace StateDetail {

void SetVector(ParameterSet& parameters, ParameterSet::Semantic semantic, const Math::Vector3t<float>& vector)
{
    const float values[3] = {vector.x, vector.y, vector.z};
    parameters.SetFloat3(semantic, values);
}

}  // namespace StateDetail

State::State()
{
    targetTypes.Push(TargetTypeDrawable);
    times.Push(0.0);
    resolutions.Push(Math::Vector2t<int>(800, 600));
    cameraPositions.Push(Math::Vector3t<float>(0.0f, 0.0f, 0.0f));
    worlds.Push(Math::Matrix4::Identity());
    views.Push(Math::Matrix4::Identity());
    projections.Push(Math::Matrix4::Identity());
    blendStates.Push(Graphics::BlendStateDescriptor());
    depthStencilStates.Push(Graphics::DepthStencilStateDescriptor());
    rasterizerStates.Push(Graphics::RasterizerStateDescriptor());
    shininess.Push(0.0f);
    transparency.Push(0.0f);
    displacement.Push(0.0f);
    reflectivity.Push(0.0f);
    normals.Push(Math::Vector3t<float>(0.0f, 0.0f, 1.0f));
    diffuseColors.Push(Math::Vector3t<float>(1.0f, 1.0f, 1.0f));
    specularColors.Push(Math::Vector3t<float>(0.0f, 0.0f, 0.0f));
    emissionColors.Push(Math::Vector3t<float>(0.0f, 0.0f, 0.0f));
    reflectionColors.Push(Math::Vector3t<float>(0.0f, 0.0f, 0.0f));
    for (Stack<Graphics::SamplerStateDescriptor>* samplers :
         {&shininessSamplers, &transparencySamplers, &displacementSamplers, &reflectivitySamplers, &normalSamplers,
          &diffuseSamplers, &specularSamplers, &emissionSamplers, &reflectionSamplers})
        samplers->Push(Graphics::SamplerStateDescriptor());
    // Nine samplers and three states at most per pass: Begin never grows the array.
    created.Reserve(ParameterSet::MapCount + 3);
}

State::~State()
{
    // A pass left open still holds its state objects.
    ReleaseCreated();
}

void State::ReleaseCreated()
{
    for (Object* object : created)
        object->Release();
    created.Clear();
}

void State::Begin()
{
    using StateDetail::SetVector;
    if (inBegin)
        throw Exception("State::Begin(): Previous call to Begin() not matched by a call to End()");
    if (programs.IsEmpty())
        throw Exception("State::Begin(): No GraphicsProgram set");
    if (devices.IsEmpty())
        throw Exception("State::Begin(): No GraphicsDevice set");

    Graphics::Device* device = devices.Top();
    Graphics::Program* program = programs.Top();
    Framebuffer* boundFramebuffer = nullptr;
    try {
        ParameterSet& parameters = ParameterSet::For(program);
        device->SetProgram(program);

        parameters.SetMatrices(worlds.Top(), views.Top(), projections.Top());
        SetVector(parameters, ParameterSet::SemanticCameraPosition, cameraPositions.Top());

        if (!framebuffers.IsEmpty()) {
            Framebuffer* framebuffer = framebuffers.Top();
            framebuffer->BindAsFramebuffer();
            boundFramebuffer = framebuffer;
        }
        parameters.SetConformance(*device);

        const Math::Vector2t<int>& resolution = resolutions.Top();
        parameters.SetFloat2(ParameterSet::SemanticResolution, static_cast<float>(resolution.x),
                             static_cast<float>(resolution.y));
        parameters.SetFloat(ParameterSet::SemanticTime, static_cast<float>(times.Top()));
        parameters.SetFloat(ParameterSet::SemanticShininess, shininess.Top());
        parameters.SetFloat(ParameterSet::SemanticTransparency, transparency.Top());
        parameters.SetFloat(ParameterSet::SemanticDisplacement, displacement.Top());
        parameters.SetFloat(ParameterSet::SemanticReflectivity, reflectivity.Top());
        SetVector(parameters, ParameterSet::SemanticNormal, normals.Top());
        SetVector(parameters, ParameterSet::SemanticDiffuse, diffuseColors.Top());
        SetVector(parameters, ParameterSet::SemanticSpecular, specularColors.Top());
        SetVector(parameters, ParameterSet::SemanticEmission, emissionColors.Top());
        SetVector(parameters, ParameterSet::SemanticReflection, reflectionColors.Top());

        // In the order of the map semantics.
        Stack<Graphics::Texture*>* const maps[ParameterSet::MapCount] = {
            &shininessMaps, &transparencyMaps, &displacementMaps, &reflectivityMaps, &normalMaps,
            &diffuseMaps,   &specularMaps,     &emissionMaps,     &reflectionMaps};
        Stack<Graphics::SamplerStateDescriptor>* const samplers[ParameterSet::MapCount] = {
            &shininessSamplers, &transparencySamplers, &displacementSamplers, &reflectivitySamplers, &normalSamplers,
            &diffuseSamplers,   &specularSamplers,     &emissionSamplers,     &reflectionSamplers};
        for (int i = 0; i < ParameterSet::MapCount; ++i) {
            Graphics::Parameter* parameter =
                parameters.Get(static_cast<ParameterSet::Semantic>(ParameterSet::SemanticShininessMap + i));
            if (maps[i]->IsEmpty() || !parameter)
                continue;
            Graphics::SamplerState* sampler = device->CreateSamplerState(samplers[i]->Top());
            created.Add(sampler);
            parameter->SetSampler(maps[i]->Top(), sampler);
        }

        Graphics::BlendState* blend = device->CreateBlendState(blendStates.Top());
        created.Add(blend);
        Graphics::DepthStencilState* depthStencil = device->CreateDepthStencilState(depthStencilStates.Top());
        created.Add(depthStencil);
        Graphics::RasterizerState* rasterizer = device->CreateRasterizerState(rasterizerStates.Top());
        created.Add(rasterizer);
        device->SetBlendState(blend);
        device->SetDepthStencilState(depthStencil);
        device->SetRasterizerState(rasterizer);
    } catch (...) {
        ReleaseCreated();
        if (boundFramebuffer) {
            try {
                boundFramebuffer->UnbindAsFramebuffer();
            } catch (...) {
                // The first failure is the one worth reporting.
            }
        }
        throw;
    }
    inBegin = true;
}

void State::End()
{
    inBegin = false;
    ReleaseCreated();
    if (!framebuffers.IsEmpty())
        framebuffers.Top()->UnbindAsFramebuffer();
}

}  // namespace Nimbrel::Utils
