#include "utils/scenegraph/Material.h"

#include "core/Exception.h"

namespace Nimbrel::Utils::SceneGraph {

void Material::AddParameter(MaterialParameter* parameter)
{
    if (!parameter)
        throw Exception("Material::AddParameter(): no parameter given");
    parameter->AddRef();
    parameters.Add(Managed<MaterialParameter>(parameter));
}

void Material::Apply(State& state)
{
    int applied = 0;
    try {
        for (; applied < parameters.Count(); ++applied)
            parameters[applied]->Apply(state);
    } catch (...) {
        while (applied > 0)
            parameters[--applied]->Unapply(state);
        throw;
    }
}

void Material::Unapply(State& state)
{
    for (int i = parameters.Count() - 1; i >= 0; --i)
        parameters[i]->Unapply(state);
}

ApplyMaterialNode::ApplyMaterialNode(Material* given)
{
    if (!given)
        throw Exception("ApplyMaterialNode: no material given");
    given->AddRef();
    material.Set(given);
}

void ApplyMaterialNode::Traverse(State& state)
{
    material->Apply(state);
    try {
        TraverseChildren(state);
    } catch (...) {
        material->Unapply(state);
        throw;
    }
    material->Unapply(state);
}

}  // namespace Nimbrel::Utils::SceneGraph
