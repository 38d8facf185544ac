#pragma once
// Camera: the free-flying camera. A position and four angles in degrees (turn about the world
// z axis, pitch, roll, vertical field of view) from which the viewing directions and the view
// and projection matrices follow. The world is z-up: with all angles 0 the camera looks along
// +x with +z up, and a positive turn swings the view from +x towards -y.
//
// Angles are neither wrapped nor clamped. The up vector is rolled about the pitched viewing
// direction, so with a pitch it is not quite perpendicular to it; LookAt squares the view
// again. MoveRight's vector (forward x up) is not normalised for the same reason.

#include "math/Matrix4.h"
#include "math/Vector3t.h"
#include "utils/Target.h"

namespace Nimbrel::Graphics {
class Device;
}

namespace Nimbrel::Utils {

class Camera : public Target {
public:
    Camera() = default;
    ~Camera() override = default;
    TargetType GetType() override { return TargetTypeCamera; }

    void SetFov(float degrees) { fov = degrees; }
    void SetTurn(float degrees) { turn = degrees; }
    void SetPitch(float degrees) { pitch = degrees; }
    void SetRoll(float degrees) { roll = degrees; }
    float GetFov() const { return fov; }
    float GetTurn() const { return turn; }
    float GetPitch() const { return pitch; }
    float GetRoll() const { return roll; }
    void SetPosition(const Math::Vector3t<float>& at) { position = at; }
    Math::Vector3t<float> GetPosition() const { return position; }

    // A positive d narrows the view.
    void Zoom(float d) { fov -= d; }
    void Turn(float d) { turn += d; }
    void Pitch(float d) { pitch += d; }
    void Roll(float d) { roll += d; }

    Math::Vector3t<float> GetForward() const;
    Math::Vector3t<float> GetUp() const;
    Math::Vector3t<float> GetTarget() const { return position + GetForward(); }
    void MoveForward(float d) { position += GetForward() * d; }
    void MoveRight(float d) { position += GetForward().Cross(GetUp()) * d; }
    void MoveUp(float d) { position += GetUp() * d; }

    Math::Matrix4 GetViewMatrix() const;
    Math::Matrix4 GetProjectionMatrix(Graphics::Device* device, float aspect, float zNear, float zFar) const;

private:
    float fov = 45.0f;
    float turn = 0.0f;
    float pitch = 0.0f;
    float roll = 0.0f;
    Math::Vector3t<float> position{0.0f, 0.0f, 0.0f};
};

}  // namespace Nimbrel::Utils
