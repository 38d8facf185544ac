#pragma once
// SceneGraph::TimeNode: remaps time for its subtree. Its controller's first component,
// evaluated at the current time, becomes the time of the children (pushed on `times`).

#include "core/Managed.h"
#include "utils/scenegraph/Controller.h"
#include "utils/scenegraph/Node.h"

namespace Nimbrel::Utils::SceneGraph {

class TimeNode : public Node {
public:
    // With a constant 0.
    TimeNode();
    // Adds a reference to the controller; null stands for a constant 0.
    explicit TimeNode(Controller* controller);

    int GetType() override { return NodeTypeTime; }
    void Traverse(State& state) override;
    Controller* GetController() const { return controller.Get(); }

private:
    Managed<Controller> controller;
};

}  // namespace Nimbrel::Utils::SceneGraph
