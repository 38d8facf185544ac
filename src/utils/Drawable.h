#pragma once
// Drawable: a target that knows how to issue its own draws. An effect calls Draw between the
// render state's Begin and End; Draw uses the device on top of the state's `devices` stack and
// sets its own vertex buffers, index buffer, input layout and primitive type.

#include "utils/Target.h"

namespace Nimbrel::Utils {

class Drawable : public Target {
public:
    ~Drawable() override = default;
    TargetType GetType() override { return TargetTypeDrawable; }
    virtual void Draw() = 0;
};

}  // namespace Nimbrel::Utils
