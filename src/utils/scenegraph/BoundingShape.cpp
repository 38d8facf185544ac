#include "utils/scenegraph/BoundingShape.h"

#include "utils/State.h"
#include "utils/scenegraph/ScopedPush.h"

namespace Nimbrel::Utils::SceneGraph {

void BoundingShape::SetShape(Shapes::Shape* given)
{
    if (given)
        given->AddRef();
    shape.Set(given);
}

void BoundingShape::Traverse(State& state)
{
    const int selected = state.targetTypes.IsEmpty() ? 0 : state.targetTypes.Top();
    if ((flags & selected) == 0)
        return;
    if (shape && !state.shapes.IsEmpty()) {
        Shapes::Shape* culling = state.shapes.Top();
        if (culling && !shape->Intersects(*culling))
            return;
    }
    ScopedPush<Shapes::Shape*> pushed(state.secondShapes, shape.Get());
    TraverseChildren(state);
}

}  // namespace Nimbrel::Utils::SceneGraph
