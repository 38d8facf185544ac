#include "utils/scenegraph/NameNode.h"

#include "utils/State.h"
#include "utils/scenegraph/ScopedPush.h"

namespace Nimbrel::Utils::SceneGraph {

void NameNode::Traverse(State& state)
{
    ScopedPush<String> pushed(state.strings, name);
    TraverseChildren(state);
}

}  // namespace Nimbrel::Utils::SceneGraph
