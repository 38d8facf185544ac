#include "utils/Effect.h"

namespace Nimbrel::Utils {

void Effect::RenderSolid(Target&, State&) {}
void Effect::RenderCamera(Target&, State&) {}
void Effect::RenderLight(Target&, State&) {}
void Effect::RenderPlayable(Target&, State&) {}
void Effect::RenderDrawable(Target&, State&) {}

void Effect::Render(Target& target, State& state)
{
    switch (target.GetType()) {
    case TargetTypeDrawable:
        RenderDrawable(target, state);
        break;
    case TargetTypePlayable:
        RenderPlayable(target, state);
        break;
    case TargetTypeLight:
        RenderLight(target, state);
        break;
    case TargetTypeCamera:
        RenderCamera(target, state);
        break;
    case TargetTypeSolid:
        RenderSolid(target, state);
        break;
    default:
        break;
    }
}

}  // namespace Nimbrel::Utils
