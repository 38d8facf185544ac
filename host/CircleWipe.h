#pragma once
// CircleWipe: the effect that grows a scene's drawables in one after another and shrinks them
// away in the eighth second of the scene.
//
// Each drawable drawn between two ResetCount calls takes the next entry of an offset table, so
// the k-th one starts k / divisor seconds of growth later than the first. Its world is scaled by
// a in x and y for the draw, with a = (time - start) * speed + offset[k] clamped to 0 … 1, then
// faded by 1 - (time - start - 7) once seven seconds have passed (not clamped: after eight
// seconds the factor turns negative). Drawables past the table's 256 entries take its last
// entry. "Time" of the top program is set to the wipe's time for every draw.
#include "core/String.h"
#include "utils/Effect.h"

namespace host {

class CircleWipe : public Nimbrel::Utils::Effect {
public:
    static constexpr int kOffsetCount = 256;

    void SetTime(float newTime) { time = newTime; }
    void Init(float newStart, float newSpeed, float divisor);
    void ResetCount() { counter = 0; }
    void RenderDrawable(Nimbrel::Utils::Target& target, Nimbrel::Utils::State& state) override;

private:
    float time = 0;
    float start = 0;
    float speed = 0;
    float offsets[kOffsetCount] = {};
    int counter = 0;
    const Nimbrel::String timeName{"Time"};
};

}  // namespace host
