#pragma once
// SceneGraph::SceneInstance: draws another scene's tree in place (its own children are not
// traversed). Throws "Accessing uninitialized resource" with an empty handle, and when the
// scene it draws is already being drawn further up (a scene drawn inside itself).

#include "utils/Resource.h"
#include "utils/Scene.h"
#include "utils/scenegraph/Node.h"

namespace Nimbrel::Utils::SceneGraph {

using SceneResource = Resource<Scene, ResourceType::Scene>;

class SceneInstance : public Node {
public:
    explicit SceneInstance(const SceneResource& scene) : scene(scene) {}

    int GetType() override { return NodeTypeSceneInstance; }
    void Traverse(State& state) override;

    void SetScene(const SceneResource& value) { scene = value; }
    const SceneResource& GetScene() const { return scene; }

private:
    SceneResource scene;
};

}  // namespace Nimbrel::Utils::SceneGraph
