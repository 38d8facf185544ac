#include "utils/scenegraph/TargetNodes.h"

#include "core/Exception.h"
#include "utils/Effect.h"
#include "utils/State.h"
#include "utils/scenegraph/DrawGeometryNode.h"

namespace Nimbrel::Utils::SceneGraph {

namespace {

template <class T>
Managed<T> Held(T* target)
{
    if (!target)
        throw Exception("Scene graph: a target node needs its target");
    target->AddRef();
    return Managed<T>(target);
}

}  // namespace

void SolidNode::Traverse(State& state)
{
    if (!state.targetTypes.IsEmpty() && state.targetTypes.Top() == TargetTypeSolid)
        TopEffect(state).RenderSolid(*solid, state);
    TraverseChildren(state);
}

LightNode::LightNode(Light* given) : light(Held(given)) {}

void LightNode::Traverse(State& state)
{
    TopEffect(state).Render(*light, state);
    TraverseChildren(state);
}

CameraNode::CameraNode(Camera* given) : camera(Held(given)) {}

void CameraNode::Traverse(State& state)
{
    TopEffect(state).Render(*camera, state);
}

}  // namespace Nimbrel::Utils::SceneGraph
