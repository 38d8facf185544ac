#pragma once
// TargetType: the kind of thing an effect is asked to draw. The values are bits, so a set of
// kinds (a traversal's selection, a bounding node's flags) is their union.

#include <cstdint>

namespace Nimbrel::Utils {

enum TargetType : int32_t {
    TargetTypeDrawable = 1,  // 2D blitters, geometry, geometry streams
    TargetTypePlayable = 2,  // named by scene markup; no target class returns it
    TargetTypeLight = 4,
    TargetTypeCamera = 8,
    TargetTypeSolid = 16,
};

}  // namespace Nimbrel::Utils
