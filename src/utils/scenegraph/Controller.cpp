#include "utils/scenegraph/Controller.h"

#include "core/Exception.h"
#include "core/String.h"

#include <vector>

namespace Nimbrel::Utils::SceneGraph {

void Controller::CheckComponent(int index)
{
    if (index < 0 || index >= GetComponentCount())
        throw Exception(String::Format("Controller: component %d asked of a controller of %d components", index,
                                       GetComponentCount()));
}

float Controller::EvaluateComponent(State& state, int index)
{
    CheckComponent(index);
    float small[16];
    if (index < 16) {
        Evaluate(state, index + 1, small);
        return small[index];
    }
    std::vector<float> values(static_cast<size_t>(index) + 1);
    Evaluate(state, index + 1, values.data());
    return values[static_cast<size_t>(index)];
}

}  // namespace Nimbrel::Utils::SceneGraph
