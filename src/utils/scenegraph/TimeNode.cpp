#include "utils/scenegraph/TimeNode.h"

#include "utils/State.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/ScopedPush.h"

namespace Nimbrel::Utils::SceneGraph {

TimeNode::TimeNode() : TimeNode(nullptr) {}

TimeNode::TimeNode(Controller* given)
{
    if (given) {
        given->AddRef();
        controller.Set(given);
    } else {
        controller.Set(new ConstantController(0.0f));
    }
}

void TimeNode::Traverse(State& state)
{
    float time = 0;
    controller->Evaluate(state, 1, &time);
    ScopedPush<double> pushed(state.times, static_cast<double>(time));
    TraverseChildren(state);
}

}  // namespace Nimbrel::Utils::SceneGraph
