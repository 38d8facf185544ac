#include "utils/Camera.h"

#include "graphics/Device.h"

namespace Nimbrel::Utils {

namespace camera_detail {

float Radians(float degrees)
{
    return degrees * 3.1415927f / 180.0f;
}

}  // namespace camera_detail

Math::Vector3t<float> Camera::GetForward() const
{
    using camera_detail::Radians;
    Math::Vector3t<float> heading(1.0f, 0.0f, 0.0f);
    heading.Rotate(Radians(turn), Math::Vector3t<float>(0.0f, 0.0f, 1.0f));
    Math::Vector3t<float> above(0.0f, 0.0f, 1.0f);
    above.Rotate(Radians(roll), heading);
    const Math::Vector3t<float> side = above.Cross(heading);
    Math::Vector3t<float> forward = heading;
    forward.Rotate(Radians(pitch), side);
    return forward;
}

Math::Vector3t<float> Camera::GetUp() const
{
    Math::Vector3t<float> up(0.0f, 0.0f, 1.0f);
    up.Rotate(camera_detail::Radians(roll), GetForward());
    return up;
}

Math::Matrix4 Camera::GetViewMatrix() const
{
    return Math::Matrix4::LookAt(position, GetTarget(), GetUp());
}

Math::Matrix4 Camera::GetProjectionMatrix(Graphics::Device* device, float aspect, float zNear, float zFar) const
{
    return Math::Matrix4::Perspective(device->UsesGLDepthRange(), fov, aspect, zNear, zFar);
}

}  // namespace Nimbrel::Utils
