#include "utils/scenegraph/SceneInstance.h"

namespace Nimbrel::Utils::SceneGraph {

void SceneInstance::Traverse(State& state)
{
    scene->Traverse(state);
}

}  // namespace Nimbrel::Utils::SceneGraph
