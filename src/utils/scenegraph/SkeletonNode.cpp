#include "utils/scenegraph/SkeletonNode.h"

#include "core/Exception.h"

namespace Nimbrel::Utils::SceneGraph {

void SkeletonNode::Traverse(State&)
{
    throw Exception("Skeleton::Traverse() not properly implemented yet");
}

}  // namespace Nimbrel::Utils::SceneGraph
