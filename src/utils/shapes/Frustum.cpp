#include "utils/shapes/Frustum.h"

#include "core/Exception.h"
#include "math/Vector4t.h"
#include "utils/shapes/BoxAligned.h"

#include <cmath>

namespace Nimbrel::Utils::Shapes {

Frustum::Frustum(const Math::Matrix4& matrix)
{
    SetMatrix(matrix);
}

void Frustum::SetMatrix(const Math::Matrix4& m)
{
    clipFromWorld = m;
    // Row r of the matrix is (m[r], m[4 + r], m[8 + r], m[12 + r]); a point is inside when
    // row3 + row_i and row3 - row_i are both non-negative for i = 0, 1, 2.
    for (int i = 0; i < 6; ++i) {
        const int row = i / 2;
        const float sign = (i % 2) ? -1.0f : 1.0f;
        Math::Vector3t<float> n(m[3] + sign * m[row], m[7] + sign * m[4 + row], m[11] + sign * m[8 + row]);
        float d = m[15] + sign * m[12 + row];
        const float length = n.Length();
        if (!(length > 0) || !std::isfinite(length))
            throw Exception("Frustum: the matrix has no view volume");
        normals[i] = n * (1.0f / length);
        offsets[i] = d / length;
    }
}

float Frustum::Distance(int plane, const Math::Vector3t<float>& p) const
{
    return normals[plane].Dot(p) + offsets[plane];
}

void Frustum::Transform(const Math::Matrix4& matrix)
{
    Math::Matrix4 inverse = matrix;
    if (!inverse.Invert())
        throw Exception("Frustum::Transform(): the matrix cannot be inverted");
    SetMatrix(clipFromWorld * inverse);
}

void Frustum::GetCorners(Math::Vector3t<float> (&corners)[8]) const
{
    Math::Matrix4 worldFromClip = clipFromWorld;
    if (!worldFromClip.Invert())
        throw Exception("Frustum: the matrix cannot be inverted");
    for (int i = 0; i < 8; ++i) {
        const Math::Vector4t<float> clip((i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f, 1.0f);
        const Math::Vector4t<float> world = worldFromClip * clip;
        corners[i] = Math::Vector3t<float>(world.x / world.w, world.y / world.w, world.z / world.w);
    }
}

Math::Vector3t<float> Frustum::GetCenter()
{
    Math::Vector3t<float> corners[8];
    GetCorners(corners);
    Math::Vector3t<float> sum(0, 0, 0);
    for (const auto& corner : corners)
        sum += corner;
    return sum * 0.125f;
}

void Frustum::Draw(GeoStream& stream)
{
    Math::Vector3t<float> corners[8];
    GetCorners(corners);
    DrawBoxFaces(stream, corners);
}

}  // namespace Nimbrel::Utils::Shapes
