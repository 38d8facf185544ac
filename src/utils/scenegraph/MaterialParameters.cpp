#include "utils/scenegraph/MaterialParameters.h"

#include "utils/State.h"

namespace Nimbrel::Utils::SceneGraph {

const Value::Kind Shininess::TheKind = {NodeTypeShininess, &State::shininess, &State::shininessMaps,
                                        &State::shininessComponents, false};
const Value::Kind Transparency::TheKind = {NodeTypeTransparency, &State::transparency, &State::transparencyMaps,
                                           &State::transparencyComponents, false};
const Value::Kind Displacement::TheKind = {NodeTypeDisplacement, &State::displacement, &State::displacementMaps,
                                           &State::displacementComponents, false};
const Value::Kind Reflectivity::TheKind = {NodeTypeReflectivity, &State::reflectivity, &State::reflectivityMaps,
                                           &State::reflectivityComponents, true};
const Vector::Kind Diffuse::TheKind = {NodeTypeDiffuse, &State::diffuseColors, &State::diffuseMaps, {1, 1, 1}, true};
const Vector::Kind Normal::TheKind = {NodeTypeNormal, &State::normals, &State::normalMaps, {0, 0, 0}, false};
const Vector::Kind Specular::TheKind = {NodeTypeSpecular, &State::specularColors, &State::specularMaps, {0, 0, 0}, false};
const Vector::Kind Emission::TheKind = {NodeTypeEmission, &State::emissionColors, &State::emissionMaps, {0, 0, 0}, false};
const Vector::Kind Reflection::TheKind = {NodeTypeReflection, &State::reflectionColors, &State::reflectionMaps,
                                          {0, 0, 0}, true};

MaterialParameter::MaterialParameter(Controller* given, const TextureResource& texture) : texture(texture)
{
    HoldController(controller, given);
}

void MaterialParameter::Traverse(State& state)
{
    Apply(state);
    try {
        TraverseChildren(state);
    } catch (...) {
        Unapply(state);
        throw;
    }
    Unapply(state);
}

Value::Value(const Kind& kind, Controller* controller)
    : MaterialParameter(controller, TextureResource()), kind(kind), component(TextureComponentNone)
{
}

Value::Value(const Kind& kind, const TextureResource& texture)
    : MaterialParameter(nullptr, texture), kind(kind), component(TextureComponentRed)
{
}

void Value::Apply(State& state)
{
    if (PushesValue()) {
        float v = 1;
        if (controller)
            controller->Evaluate(state, 1, &v);
        (state.*kind.values).Push(v);
    }
    if (!texture.IsEmpty()) {
        (state.*kind.maps).Push(texture.Get());
        (state.*kind.components).Push(component);
    }
}

void Value::Unapply(State& state)
{
    if (!texture.IsEmpty()) {
        (state.*kind.components).Pop();
        (state.*kind.maps).Pop();
    }
    if (PushesValue())
        (state.*kind.values).Pop();
}

Vector::Vector(const Kind& kind, Controller* controller) : MaterialParameter(controller, TextureResource()), kind(kind) {}

Vector::Vector(const Kind& kind, const TextureResource& texture) : MaterialParameter(nullptr, texture), kind(kind) {}

void Vector::Apply(State& state)
{
    if (PushesValue()) {
        float v[3] = {kind.defaultValue.x, kind.defaultValue.y, kind.defaultValue.z};
        if (controller)
            controller->Evaluate(state, 3, v);
        (state.*kind.values).Push(Math::Vector3t<float>(v[0], v[1], v[2]));
    }
    if (!texture.IsEmpty())
        (state.*kind.maps).Push(texture.Get());
}

void Vector::Unapply(State& state)
{
    if (!texture.IsEmpty())
        (state.*kind.maps).Pop();
    if (PushesValue())
        (state.*kind.values).Pop();
}

}  // namespace Nimbrel::Utils::SceneGraph
