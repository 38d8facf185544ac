#include "utils/scenegraph/DrawGeometryNode.h"

#include "core/Exception.h"
#include "utils/Effect.h"
#include "utils/State.h"

namespace Nimbrel::Utils::SceneGraph {

Effect& TopEffect(State& state)
{
    if (state.effects.IsEmpty() || !state.effects.Top())
        throw Exception("No TargetEffect set");
    return *state.effects.Top();
}

void DrawGeometryNode::Traverse(State& state)
{
    Effect& effect = TopEffect(state);
    effect.RenderDrawable(*geometry, state);
    TraverseChildren(state);
}

bool DrawGeometryNode::Draw()
{
    if (geometry.IsEmpty())
        return false;
    geometry->Draw();
    return true;
}

}  // namespace Nimbrel::Utils::SceneGraph
