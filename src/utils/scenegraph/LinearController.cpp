#include "utils/scenegraph/LinearController.h"

#include "core/Exception.h"
#include "utils/State.h"

#include <algorithm>
#include <cmath>

namespace Nimbrel::Utils::SceneGraph {

LinearController::LinearController(int componentCount, const float* source) : componentCount(componentCount)
{
    if (componentCount < 0)
        throw Exception(String::Format("LinearController: invalid component count %d", componentCount));
    defaults.Reserve(componentCount);
    for (int i = 0; i < componentCount; ++i)
        defaults.Add(source ? source[i] : 0.0f);
}

void LinearController::Reserve(int keyCount)
{
    if (keyCount < 0 || int64_t(keyCount) * componentCount > INT32_MAX)
        throw Exception(String::Format("LinearController::Reserve(): invalid key count %d", keyCount));
    times.Reserve(keyCount);
    values.Reserve(keyCount * componentCount);
}

void LinearController::AddKey(float time, int count, const float* keyValues)
{
    if (std::isnan(time) || (!times.IsEmpty() && time < times[times.Count() - 1]))
        throw Exception("LinearController::AddKey(): key times must not decrease");
    if (count < 0)
        throw Exception(String::Format("LinearController::AddKey(): invalid value count %d", count));
    times.Add(time);
    for (int i = 0; i < componentCount; ++i)
        values.Add(i < count ? keyValues[i] : defaults[i]);
}

LinearController::Position LinearController::Locate(State& state)
{
    const int keys = times.Count();
    if (keys == 0)
        return {-1, 0.0f};
    const int last = keys - 1;
    if (keys == 1)
        return {0, 0.0f};
    const float e = state.times.IsEmpty() ? 0.0f : static_cast<float>(state.times.Top());
    if (e >= times[last])
        return {last, 0.0f};
    if (!(e > times[0]))  // before the first key, on it, or not a number
        return {0, 0.0f};
    // Here times[0] < e < times[last]: both searches stop inside the keys.
    if (cursor >= last)
        cursor = 0;
    while (cursor < last - 1 && e >= times[cursor + 1])
        ++cursor;
    while (cursor > 0 && e < times[cursor])
        --cursor;
    const float span = times[cursor + 1] - times[cursor];
    // times[cursor] <= e < times[cursor + 1], so the span is positive.
    return {cursor, (e - times[cursor]) / span};
}

float LinearController::ValueAt(const Position& at, int i) const
{
    if (at.first < 0)
        return defaults[i];
    const float a = values[at.first * componentCount + i];
    if (at.t == 0.0f)
        return a;
    const float b = values[(at.first + 1) * componentCount + i];
    return a + at.t * (b - a);
}

int LinearController::Evaluate(State& state, int maxCount, float* out)
{
    const int n = std::clamp(maxCount, 0, componentCount);
    const Position at = Locate(state);
    for (int i = 0; i < n; ++i)
        out[i] = ValueAt(at, i);
    return n;
}

float LinearController::EvaluateComponent(State& state, int index)
{
    CheckComponent(index);
    return ValueAt(Locate(state), index);
}

}  // namespace Nimbrel::Utils::SceneGraph
