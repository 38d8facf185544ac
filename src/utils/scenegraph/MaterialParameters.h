#pragma once
// Material parameters: the values of a material, each fed to its render-state stacks. A
// parameter is also a node, which applies itself to its own subtree.
//
// A Value parameter (shininess, transparency, displacement, reflectivity) pushes its
// controller's first component on its scalar stack when it has a controller (reflectivity
// pushes 1 without one), and its texture with the component that holds the value on its map
// stacks when the texture handle holds one. A Vector parameter (diffuse, normal, specular,
// emission, reflection) pushes three components over its default ((1, 1, 1) for diffuse,
// (0, 0, 0) otherwise) when it has a controller (diffuse and reflection push the default
// without one), and its texture. Unapply pops exactly what Apply pushed.

#include "core/Managed.h"
#include "core/Stack.h"
#include "graphics/Texture.h"
#include "math/Vector3t.h"
#include "utils/Resource.h"
#include "utils/TextureComponent.h"
#include "utils/scenegraph/Controller.h"
#include "utils/scenegraph/Node.h"

namespace Nimbrel::Utils::SceneGraph {

using TextureResource = Resource<Graphics::Texture, ResourceType::Texture>;

class MaterialParameter : public Node {
public:
    void Traverse(State& state) override;
    virtual void Apply(State& state) = 0;
    virtual void Unapply(State& state) = 0;

    Controller* GetController() const { return controller.Get(); }
    const TextureResource& GetTexture() const { return texture; }
    // Markup gives a parameter a controller and a texture together.
    void SetTexture(const TextureResource& value) { texture = value; }

protected:
    MaterialParameter(Controller* controller, const TextureResource& texture);

    Managed<Controller> controller;
    TextureResource texture;
};

class Value : public MaterialParameter {
public:
    // Where a kind of value goes on the state.
    struct Kind {
        int type;
        Stack<float> State::*values;
        Stack<Graphics::Texture*> State::*maps;
        Stack<TextureComponent> State::*components;
        bool pushedWithoutController;
    };

    int GetType() override { return kind.type; }
    void Apply(State& state) override;
    void Unapply(State& state) override;
    TextureComponent GetComponent() const { return component; }
    void SetComponent(TextureComponent value) { component = value; }

protected:
    // With the component none.
    Value(const Kind& kind, Controller* controller);
    // With the component red.
    Value(const Kind& kind, const TextureResource& texture);

private:
    bool PushesValue() const { return controller || kind.pushedWithoutController; }

    const Kind& kind;
    TextureComponent component;
};

class Vector : public MaterialParameter {
public:
    struct Kind {
        int type;
        Stack<Math::Vector3t<float>> State::*values;
        Stack<Graphics::Texture*> State::*maps;
        Math::Vector3t<float> defaultValue;
        bool pushedWithoutController;
    };

    int GetType() override { return kind.type; }
    void Apply(State& state) override;
    void Unapply(State& state) override;

protected:
    Vector(const Kind& kind, Controller* controller);
    Vector(const Kind& kind, const TextureResource& texture);

private:
    bool PushesValue() const { return controller || kind.pushedWithoutController; }

    const Kind& kind;
};

// The concrete parameters, from a controller (a reference is added) or from a texture.
#define NIMBREL_MATERIAL_PARAMETER(Name, Base)                                    \
    class Name : public Base {                                                    \
    public:                                                                       \
        explicit Name(Controller* controller) : Base(TheKind, controller) {}      \
        explicit Name(const TextureResource& texture) : Base(TheKind, texture) {} \
        static const Base::Kind TheKind;                                          \
    };
NIMBREL_MATERIAL_PARAMETER(Shininess, Value)
NIMBREL_MATERIAL_PARAMETER(Transparency, Value)
NIMBREL_MATERIAL_PARAMETER(Displacement, Value)
NIMBREL_MATERIAL_PARAMETER(Reflectivity, Value)
NIMBREL_MATERIAL_PARAMETER(Diffuse, Vector)
NIMBREL_MATERIAL_PARAMETER(Normal, Vector)
NIMBREL_MATERIAL_PARAMETER(Specular, Vector)
NIMBREL_MATERIAL_PARAMETER(Emission, Vector)
NIMBREL_MATERIAL_PARAMETER(Reflection, Vector)
#undef NIMBREL_MATERIAL_PARAMETER

}  // namespace Nimbrel::Utils::SceneGraph
