#pragma once
// SceneGraph::Material: a list of material parameters applied together, and the node that
// applies one to its subtree.

#include "core/Array.h"
#include "core/Managed.h"
#include "utils/scenegraph/MaterialParameters.h"
#include "utils/scenegraph/Node.h"

namespace Nimbrel::Utils::SceneGraph {

class Material : public Object {
public:
    Material() = default;
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    // Adds a reference to the parameter.
    void AddParameter(MaterialParameter* parameter);
    int GetParameterCount() const { return parameters.Count(); }
    MaterialParameter* GetParameter(int index) const { return parameters[index].Get(); }

    // Every parameter's Apply, in order; Unapply undoes them in the reverse order.
    void Apply(State& state);
    void Unapply(State& state);

private:
    Array<Managed<MaterialParameter>> parameters;
};

class ApplyMaterialNode : public Node {
public:
    // Adds a reference to the material; throws for null.
    explicit ApplyMaterialNode(Material* material);
    int GetType() override { return NodeTypeApplyMaterial; }
    void Traverse(State& state) override;
    Material* GetMaterial() const { return material.Get(); }

private:
    Managed<Material> material;
};

}  // namespace Nimbrel::Utils::SceneGraph
