#include "utils/scenegraph/CompositeController.h"

#include "core/Exception.h"

#include <algorithm>

namespace Nimbrel::Utils::SceneGraph {

CompositeController::CompositeController(int count) : count(count)
{
    if (count < 0)
        throw Exception(String::Format("CompositeController: invalid component count %d", count));
    sources.SetSize(count);
    indices.Reserve(count);
    for (int i = 0; i < count; ++i)
        indices.Add(-1);
}

void CompositeController::SetComponent(int index, Controller* source, int sourceComponent)
{
    if (index < 0 || index >= count)
        throw Exception(String::Format("CompositeController::SetComponent(): component %d of %d", index, count));
    if (source) {
        if (sourceComponent < 0 || sourceComponent >= source->GetComponentCount())
            throw Exception(String::Format("CompositeController::SetComponent(): the source has no component %d (it has %d)",
                                           sourceComponent, source->GetComponentCount()));
        auto* composite = dynamic_cast<CompositeController*>(source);
        if (composite && composite->DependsOn(this))
            throw Exception("CompositeController::SetComponent(): the source depends on this controller");
        source->AddRef();
    }
    sources[index].Set(source);
    indices[index] = source ? sourceComponent : -1;
}

bool CompositeController::DependsOn(Controller* other)
{
    if (other == this)
        return true;
    for (const Managed<Controller>& source : sources) {
        if (source.Get() == other)
            return true;
        auto* composite = dynamic_cast<CompositeController*>(source.Get());
        if (composite && composite->DependsOn(other))
            return true;
    }
    return false;
}

float CompositeController::EvaluateComponent(State& state, int index)
{
    CheckComponent(index);
    Controller* source = sources[index].Get();
    return source ? source->EvaluateComponent(state, indices[index]) : 0.0f;
}

int CompositeController::Evaluate(State& state, int maxCount, float* out)
{
    const int n = std::clamp(maxCount, 0, count);
    for (int i = 0; i < n; ++i)
        out[i] = EvaluateComponent(state, i);
    return n;
}

}  // namespace Nimbrel::Utils::SceneGraph
