#include "utils/shapes/BoxAligned.h"

#include "utils/GeoStream.h"

#include <algorithm>

namespace Nimbrel::Utils::Shapes {

const int BoxFaces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};

void DrawBoxFaces(GeoStream& stream, const Math::Vector3t<float> (&corners)[8])
{
    stream.Begin(Graphics::PrimitiveTriangles);
    for (const auto& face : BoxFaces)
        for (int i : {0, 1, 2, 0, 2, 3}) {
            const Math::Vector3t<float>& p = corners[face[i]];
            stream.Vertex(p.x, p.y, p.z);
        }
    stream.End(true);
}

Math::Vector3t<float> BoxAligned::GetCorner(int i) const
{
    return {(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
}

void BoxAligned::Draw(GeoStream& stream)
{
    Math::Vector3t<float> corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = GetCorner(i);
    DrawBoxFaces(stream, corners);
}

void BoxAligned::Transform(const Math::Matrix4& matrix)
{
    Math::Vector3t<float> low = matrix * GetCorner(0), high = low;
    for (int i = 1; i < 8; ++i) {
        const Math::Vector3t<float> p = matrix * GetCorner(i);
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    min = low;
    max = high;
}

}  // namespace Nimbrel::Utils::Shapes
