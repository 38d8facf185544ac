#pragma once
// SceneGraph::Controller: an animatable vector of floats, evaluated during traversal against
// the render state (its time stack gives the current time).
//
// Evaluate writes min(maxCount, component count) values and returns that number; values past
// it are left as they were, so callers fill `out` with their defaults first. Controllers are
// shared by counted reference between the nodes that use them; apart from a linear
// controller's search position they do not change after loading.

#include "core/Managed.h"
#include "core/Object.h"

namespace Nimbrel::Utils {
class State;
}

namespace Nimbrel::Utils::SceneGraph {

class Controller : public Object {
public:
    enum : int {
        TypeConstant = 0x10001,
        TypeLinear = 0x10002,
        TypeComposite = 0x20001,
    };

    ~Controller() override = default;
    virtual int GetType() = 0;
    virtual int GetComponentCount() = 0;
    virtual int Evaluate(State& state, int maxCount, float* out) = 0;
    // Component `index` alone (0 <= index < GetComponentCount(), else throws). Composites take
    // their components through it, so a source of any size needs no scratch buffer.
    virtual float EvaluateComponent(State& state, int index);

protected:
    // Throws unless 0 <= index < GetComponentCount().
    void CheckComponent(int index);
};

// Makes `slot` hold the controller with a reference of its own (null empties it).
inline void HoldController(Managed<Controller>& slot, Controller* controller)
{
    if (controller)
        controller->AddRef();
    slot.Set(controller);
}

}  // namespace Nimbrel::Utils::SceneGraph
