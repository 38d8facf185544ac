#include "utils/scenegraph/ConstantController.h"

#include "core/Exception.h"

#include <algorithm>

namespace Nimbrel::Utils::SceneGraph {

ConstantController::ConstantController(float value)
{
    values.Add(value);
}

ConstantController::ConstantController(int count, const float* source)
{
    if (count < 0)
        throw Exception(String::Format("ConstantController: invalid component count %d", count));
    values.Reserve(count);
    for (int i = 0; i < count; ++i)
        values.Add(source[i]);
}

int ConstantController::Evaluate(State&, int maxCount, float* out)
{
    const int n = std::clamp(maxCount, 0, values.Count());
    for (int i = 0; i < n; ++i)
        out[i] = values[i];
    return n;
}

float ConstantController::EvaluateComponent(State&, int index)
{
    CheckComponent(index);
    return values[index];
}

}  // namespace Nimbrel::Utils::SceneGraph
