#include "utils/PCamera.h"

namespace Nimbrel::Utils {

PCamera::PCamera(const String& prefix)
    : positionProbe(prefix + ".Position"),
      turnProbe(prefix + ".Turn"),
      rollProbe(prefix + ".Roll"),
      pitchProbe(prefix + ".Pitch"),
      fovProbe(prefix + ".Fov")
{
}

void PCamera::Update()
{
    SetPosition(positionProbe.GetValue());
    SetTurn(turnProbe.GetValue());
    SetRoll(rollProbe.GetValue());
    SetPitch(pitchProbe.GetValue());
    SetFov(fovProbe.GetValue());
}

}  // namespace Nimbrel::Utils
