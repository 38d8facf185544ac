#pragma once
// SceneGraph::SkeletonNode: a placeholder for skinned meshes, which no loader builds yet.
// Traversing one throws "Skeleton::Traverse() not properly implemented yet".

#include "core/Array.h"
#include "math/Matrix4.h"
#include "utils/scenegraph/Node.h"
#include "utils/scenegraph/TransformNodes.h"

namespace Nimbrel::Utils::SceneGraph {

class SkeletonNode : public Node {
public:
    int GetType() override { return NodeTypeSkeleton; }
    void Traverse(State& state) override;

private:
    Array<BoneNode*> bones;
    Math::Matrix4 bindMatrix;
    Array<Math::Matrix4> inverseBindMatrices;
    int boneCount = 0;
};

}  // namespace Nimbrel::Utils::SceneGraph
