#pragma once
// Solid: a target with no data of its own, handed to an effect's RenderSolid by the scene
// graph's solid nodes during a traversal that selects solids.

#include "utils/Target.h"

namespace Nimbrel::Utils {

class Solid : public Target {
public:
    TargetType GetType() override { return TargetTypeSolid; }
};

}  // namespace Nimbrel::Utils
