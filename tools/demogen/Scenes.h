#pragma once
// The demo's fifteen scenes and its floor, as descriptions for the COLLADA writer. Each scene
// is one idea with its own palette, built from dozens of parts (but fewer than 256, the most
// the host's wipe staggers), and fits within about 130 units of the origin, z up, so the
// circling camera frames it.

#include "ColladaWriter.h"

#include <vector>

namespace demogen {

std::vector<SceneDescription> MakeScenes();
SceneDescription MakeFloor();

}  // namespace demogen
