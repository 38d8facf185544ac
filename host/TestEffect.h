#pragma once
// TestEffect: draws a drawable with the top program of the state, its "Time" parameter set to
// the effect's time (the floor's program animates with it).
#include "core/String.h"
#include "utils/Effect.h"

namespace host {

class TestEffect : public Nimbrel::Utils::Effect {
public:
    void SetTime(float newTime) { time = newTime; }
    void RenderDrawable(Nimbrel::Utils::Target& target, Nimbrel::Utils::State& state) override;

private:
    float time = 0;
    const Nimbrel::String timeName{"Time"};
};

}  // namespace host
