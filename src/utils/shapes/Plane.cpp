#include "utils/shapes/Plane.h"

#include "core/Exception.h"

#include <cmath>

namespace Nimbrel::Utils::Shapes {

Plane::Plane(const Math::Vector3t<float>& a, const Math::Vector3t<float>& b, const Math::Vector3t<float>& c)
{
    normal = (b - a).Cross(c - a);
    const float length = normal.Length();
    // Relative to the sides, so that the test does not depend on the plane's scale.
    const float sides = (b - a).Length() * (c - a).Length();
    if (!(length > 1e-6f * sides) || !std::isfinite(length))
        throw Exception("Plane: the three points lie on one line");
    normal = normal * (1.0f / length);
    distance = normal.Dot(a);
}

void Plane::Draw(GeoStream&)
{
    throw Exception("Plane::Draw() not implemented");
}

Math::Vector3t<float> Plane::GetCenter()
{
    throw Exception("Plane::GetCenter() not implemented");
}

void Plane::Transform(const Math::Matrix4& m)
{
    const Math::Vector3t<float> point = m * (normal * distance);
    Math::Vector3t<float> direction(m[0] * normal.x + m[4] * normal.y + m[8] * normal.z,
                                    m[1] * normal.x + m[5] * normal.y + m[9] * normal.z,
                                    m[2] * normal.x + m[6] * normal.y + m[10] * normal.z);
    normal = direction * (1.0f / direction.Length());
    distance = normal.Dot(point);
}

}  // namespace Nimbrel::Utils::Shapes
