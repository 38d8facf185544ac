#pragma once
// SceneGraph::LinearController: a keyed curve of N components, linearly interpolated at the
// render state's time (the top of its time stack, or 0 when that stack is empty).
//
// Before the first key the first key's values hold, after the last the last key's; with no
// keys the defaults. The segment used last is remembered, so evaluation at steadily
// increasing times costs constant work; going back in time searches backwards. Two keys at the
// same time make a step: at that time the later key holds.

#include "core/Array.h"
#include "utils/scenegraph/Controller.h"

namespace Nimbrel::Utils::SceneGraph {

class LinearController : public Controller {
public:
    // `defaults` (N values) may be null for all zeros. Throws when componentCount is negative.
    LinearController(int componentCount, const float* defaults);

    int GetType() override { return TypeLinear; }
    int GetComponentCount() override { return componentCount; }
    int Evaluate(State& state, int maxCount, float* out) override;
    float EvaluateComponent(State& state, int index) override;

    void Reserve(int keyCount);
    // Appends a key: keyValues[i] for i < count, the defaults for the rest. Keys come in
    // ascending time order; a time before the previous key's, or not a number, throws.
    void AddKey(float time, int count, const float* keyValues);

    int GetKeyCount() const { return times.Count(); }
    float GetKeyTime(int key) const { return times[key]; }
    // Component i of key k.
    float GetKeyValue(int key, int i) const { return values[key * componentCount + i]; }
    float GetDefault(int i) const { return defaults[i]; }

private:
    // Where the values of the time lie: key `first` and key `first + 1` mixed by `t` (t is 0 and
    // the second key unused when the time is on or outside a key), or the defaults (first -1).
    struct Position {
        int first;
        float t;
    };
    Position Locate(State& state);
    float ValueAt(const Position& at, int i) const;

    int componentCount;
    int cursor = 0;
    Array<float> defaults;
    Array<float> times;
    Array<float> values;
};

}  // namespace Nimbrel::Utils::SceneGraph
