#include "utils/ParameterSet.h"

#include "core/HashMap.h"

namespace Nimbrel::Utils {

const char* const ParameterSet::Names[SemanticCount] = {
    "World",
    "WorldView",
    "WorldViewProjection",
    "View",
    "ViewProjection",
    "Projection",
    "WorldInverse",
    "WorldViewInverse",
    "WorldViewProjectionInverse",
    "ViewInverse",
    "ViewProjectionInverse",
    "ProjectionInverse",
    "CameraPosition",
    "ScreenSpaceConformOffset",
    "ViewportConformFactor",
    "Resolution",
    "Time",
    "Shininess",
    "Transparency",
    "Displacement",
    "Reflectivity",
    "Normal",
    "Diffuse",
    "Specular",
    "Emission",
    "Reflection",
    "ShininessMap",
    "TransparencyMap",
    "DisplacementMap",
    "ReflectivityMap",
    "NormalMap",
    "DiffuseMap",
    "SpecularMap",
    "EmissionMap",
    "ReflectionMap",
};

namespace ParameterSetDetail {

// Made on first use and never destroyed: programs may still be destroyed (and so reach
// Forget) while static objects are torn down at exit.
HashMap<Graphics::Program*, ParameterSet*>& Cache()
{
    static auto* cache = new HashMap<Graphics::Program*, ParameterSet*>();
    return *cache;
}

void Forget(Graphics::Program* program)
{
    HashMap<Graphics::Program*, ParameterSet*>& cache = Cache();
    ParameterSet* set = nullptr;
    if (!cache.TryGet(program, set))
        return;
    cache.Remove(program);
    delete set;
}

void SetMatrix(Graphics::Parameter* parameter, const Math::Matrix4& matrix)
{
    parameter->SetMatrix4(1, matrix.Data());
}

void SetInverse(Graphics::Parameter* parameter, const Math::Matrix4& matrix)
{
    Math::Matrix4 inverse = matrix;
    inverse.Invert();  // a singular matrix stays as it is
    parameter->SetMatrix4(1, inverse.Data());
}

}  // namespace ParameterSetDetail

ParameterSet::ParameterSet(Graphics::Program* program) : program(program)
{
    for (int i = 0; i < SemanticCount; ++i) {
        Graphics::Parameter* parameter = program->GetParameter(String(Names[i]));
        parameters[i] = parameter && parameter->IsValid() ? parameter : nullptr;
    }
}

ParameterSet& ParameterSet::For(Graphics::Program* program)
{
    HashMap<Graphics::Program*, ParameterSet*>& cache = ParameterSetDetail::Cache();
    ParameterSet* set = nullptr;
    if (cache.TryGet(program, set))
        return *set;
    Graphics::Program::AddDestroyHook(&ParameterSetDetail::Forget);
    set = new ParameterSet(program);
    try {
        cache.Add(program, set);
    } catch (...) {
        delete set;
        throw;
    }
    return *set;
}

int ParameterSet::CachedCount()
{
    return ParameterSetDetail::Cache().Count();
}

void ParameterSet::SetMatrices(const Math::Matrix4& world, const Math::Matrix4& view,
                               const Math::Matrix4& projection)
{
    using namespace ParameterSetDetail;
    Graphics::Parameter* const* p = parameters;

    if (p[SemanticWorld])
        SetMatrix(p[SemanticWorld], world);
    if (p[SemanticWorldInverse])
        SetInverse(p[SemanticWorldInverse], world);

    const bool wantWorldViewProjection = p[SemanticWorldViewProjection] || p[SemanticWorldViewProjectionInverse];
    if (wantWorldViewProjection || p[SemanticWorldView] || p[SemanticWorldViewInverse]) {
        const Math::Matrix4 worldView = view * world;
        if (p[SemanticWorldView])
            SetMatrix(p[SemanticWorldView], worldView);
        if (p[SemanticWorldViewInverse])
            SetInverse(p[SemanticWorldViewInverse], worldView);
        if (wantWorldViewProjection) {
            const Math::Matrix4 worldViewProjection = projection * worldView;
            if (p[SemanticWorldViewProjection])
                SetMatrix(p[SemanticWorldViewProjection], worldViewProjection);
            if (p[SemanticWorldViewProjectionInverse])
                SetInverse(p[SemanticWorldViewProjectionInverse], worldViewProjection);
        }
    }

    if (p[SemanticView])
        SetMatrix(p[SemanticView], view);
    if (p[SemanticViewInverse])
        SetInverse(p[SemanticViewInverse], view);

    if (p[SemanticViewProjection] || p[SemanticViewProjectionInverse]) {
        const Math::Matrix4 viewProjection = projection * view;
        if (p[SemanticViewProjection])
            SetMatrix(p[SemanticViewProjection], viewProjection);
        if (p[SemanticViewProjectionInverse])
            SetInverse(p[SemanticViewProjectionInverse], viewProjection);
    }

    if (p[SemanticProjection])
        SetMatrix(p[SemanticProjection], projection);
    if (p[SemanticProjectionInverse])
        SetInverse(p[SemanticProjectionInverse], projection);
}

void ParameterSet::SetConformance(Graphics::Device& device)
{
    Graphics::Parameter* factorParameter = parameters[SemanticViewportConformFactor];
    Graphics::Parameter* offsetParameter = parameters[SemanticScreenSpaceConformOffset];
    if (!factorParameter && !offsetParameter)
        return;

    float factor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float offset[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (!device.IsScreenSpaceConformant()) {
        // Off-screen targets are upside down on such a backend.
        if (device.GetColorTargetCount() > 0)
            factor[1] = -1.0f;
        // Half a pixel in clip space; an empty viewport has no pixels to align to.
        Graphics::Rect viewport;
        device.GetViewports(1, &viewport);
        if (viewport.GetWidth() > 0 && viewport.GetHeight() > 0) {
            offset[0] = -1.0f / static_cast<float>(viewport.GetWidth());
            offset[1] = -1.0f / static_cast<float>(viewport.GetHeight());
        }
        for (int i = 0; i < 4; ++i)
            offset[i] *= factor[i];
    }
    if (factorParameter)
        factorParameter->SetFloat4(1, factor);
    if (offsetParameter)
        offsetParameter->SetFloat4(1, offset);
}

void ParameterSet::SetFloat(Semantic semantic, float value)
{
    if (parameters[semantic])
        parameters[semantic]->SetFloat(1, &value);
}

void ParameterSet::SetFloat2(Semantic semantic, float x, float y)
{
    if (parameters[semantic]) {
        const float values[2] = {x, y};
        parameters[semantic]->SetFloat2(1, values);
    }
}

void ParameterSet::SetFloat3(Semantic semantic, const float* values)
{
    if (parameters[semantic])
        parameters[semantic]->SetFloat3(1, values);
}

}  // namespace Nimbrel::Utils
