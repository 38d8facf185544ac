#include "CircleWipe.h"

#include "core/String.h"
#include "graphics/Parameter.h"
#include "graphics/Program.h"
#include "math/Matrix4.h"
#include "utils/Drawable.h"
#include "utils/State.h"

#include <algorithm>

namespace host {

using namespace Nimbrel;

void CircleWipe::Init(float newStart, float newSpeed, float divisor)
{
    start = newStart;
    speed = newSpeed;
    for (int i = 0; i < kOffsetCount; ++i)
        offsets[i] = -static_cast<float>(i) / divisor;
}

void CircleWipe::RenderDrawable(Utils::Target& target, Utils::State& state)
{
    const float elapsed = time - start;
    float a = std::clamp(elapsed * speed + offsets[std::min(counter, kOffsetCount - 1)], 0.0f, 1.0f);
    if (elapsed >= 7.0f)
        a = (1.0f - (elapsed - 7.0f) / 1.0f) * a;

    Math::Matrix4 world = state.worlds.Top();
    world.Scale(a, a, 1.0f);
    state.worlds.Push(world);
    state.Begin();
    state.programs.Top()->GetParameter(timeName)->SetFloat(1, &time);
    static_cast<Utils::Drawable&>(target).Draw();
    state.End();
    if (counter < kOffsetCount)
        ++counter;
    state.worlds.Pop();
}

}  // namespace host
