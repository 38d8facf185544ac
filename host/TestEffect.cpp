#include "TestEffect.h"

#include "core/String.h"
#include "graphics/Parameter.h"
#include "graphics/Program.h"
#include "utils/Drawable.h"
#include "utils/State.h"

namespace host {

using namespace Nimbrel;

void TestEffect::RenderDrawable(Utils::Target& target, Utils::State& state)
{
    state.Begin();
    state.programs.Top()->GetParameter(timeName)->SetFloat(1, &time);
    static_cast<Utils::Drawable&>(target).Draw();
    state.End();
}

}  // namespace host
