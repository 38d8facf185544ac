#pragma once
// Effect: the engine's unit of drawing know-how. Render hands a target to the handler of its
// kind; an effect overrides the handlers of the kinds it can draw, and the others do nothing.
//
// A typical RenderDrawable pushes the effect's program on the state's `programs`, calls Begin,
// sets the effect's own parameters on that program, calls the target's Draw (the target is a
// Drawable whenever its type says so), calls End and pops the program.

#include "core/Object.h"
#include "utils/Target.h"

namespace Nimbrel::Utils {

class State;

class Effect : public Object {
public:
    ~Effect() override = default;
    virtual void RenderSolid(Target& target, State& state);
    virtual void RenderCamera(Target& target, State& state);
    virtual void RenderLight(Target& target, State& state);
    virtual void RenderPlayable(Target& target, State& state);
    virtual void RenderDrawable(Target& target, State& state);
    // Calls the handler of the target's GetType; a type that is not exactly one of the kinds
    // does nothing.
    virtual void Render(Target& target, State& state);
};

}  // namespace Nimbrel::Utils
