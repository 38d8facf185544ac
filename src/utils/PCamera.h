#pragma once
// PCamera: a camera whose position and angles come from probes of the global probe proxy,
// named prefix + ".Position" (with ".x", ".y", ".z"), ".Turn", ".Roll", ".Pitch" and ".Fov".
// Constructing one registers the probes; Update() copies their values into the camera. A
// track group made from the prefix drives it from the sync data.

#include "core/String.h"
#include "utils/Camera.h"
#include "utils/ProbeValue.h"
#include "utils/ProbeVector.h"

namespace Nimbrel::Utils {

class PCamera : public Camera {
public:
    // Throws "No Global ProbeProxy" when there is none.
    explicit PCamera(const String& prefix);
    ~PCamera() override = default;

    void Update();

private:
    ProbeVector<Math::Vector3t<float>, 3> positionProbe;
    ProbeValue<float> turnProbe;
    ProbeValue<float> rollProbe;
    ProbeValue<float> pitchProbe;
    ProbeValue<float> fovProbe;
};

}  // namespace Nimbrel::Utils
