#pragma once
// SceneGraph::ConstantController: fixed values, the loaders' form of every literal.

#include "core/Array.h"
#include "utils/scenegraph/Controller.h"

namespace Nimbrel::Utils::SceneGraph {

class ConstantController : public Controller {
public:
    explicit ConstantController(float value);
    // `count` values copied from `values`; throws when count is negative.
    ConstantController(int count, const float* values);

    int GetType() override { return TypeConstant; }
    int GetComponentCount() override { return values.Count(); }
    int Evaluate(State& state, int maxCount, float* out) override;
    float EvaluateComponent(State& state, int index) override;

    const Array<float>& GetValues() const { return values; }

private:
    Array<float> values;
};

}  // namespace Nimbrel::Utils::SceneGraph
