#pragma once
// SceneGraph::CompositeController: M components, each taken from one component of another
// controller (a source), or 0 where no source is set. The sources see the same state, hence
// the same time.

#include "core/Array.h"
#include "core/Managed.h"
#include "utils/scenegraph/Controller.h"

namespace Nimbrel::Utils::SceneGraph {

class CompositeController : public Controller {
public:
    // Throws when count is negative.
    explicit CompositeController(int count);

    int GetType() override { return TypeComposite; }
    int GetComponentCount() override { return count; }
    int Evaluate(State& state, int maxCount, float* out) override;
    float EvaluateComponent(State& state, int index) override;

    // Component `index` becomes component `sourceComponent` of `source` (a counted reference is
    // added; a previous source is released). Throws when index is not below the count, when the
    // source has no such component, or when the source depends on this controller.
    void SetComponent(int index, Controller* source, int sourceComponent);
    Controller* GetSource(int index) const { return sources[index].Get(); }
    int GetSourceComponent(int index) const { return indices[index]; }

    // Whether evaluating this controller evaluates `other` (or is it).
    bool DependsOn(Controller* other);

private:
    int count;
    Array<Managed<Controller>> sources;
    Array<int> indices;
};

}  // namespace Nimbrel::Utils::SceneGraph
