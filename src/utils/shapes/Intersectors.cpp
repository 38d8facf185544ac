#include "utils/shapes/Intersectors.h"

#include "utils/shapes/BoxAligned.h"
#include "utils/shapes/Frustum.h"
#include "utils/shapes/Sphere.h"

#include <algorithm>

namespace Nimbrel::Utils::Shapes {

bool SphereSphereIntersector::Intersects(Shape& a, Shape& b)
{
    auto& s = static_cast<Sphere&>(a);
    auto& t = static_cast<Sphere&>(b);
    return (s.center - t.center).Length() - (s.radius + t.radius) < 0;
}

bool SphereBoxAlignedIntersector::Intersects(Shape& a, Shape& b)
{
    auto& sphere = static_cast<Sphere&>(a);
    auto& box = static_cast<BoxAligned&>(b);
    float squared = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const float c = sphere.center[axis];
        const float closest = std::clamp(c, std::min(box.min[axis], box.max[axis]), std::max(box.min[axis], box.max[axis]));
        squared += (c - closest) * (c - closest);
    }
    return squared <= sphere.radius * sphere.radius;
}

bool BoxAlignedBoxAlignedIntersector::Intersects(Shape& a, Shape& b)
{
    auto& p = static_cast<BoxAligned&>(a);
    auto& q = static_cast<BoxAligned&>(b);
    for (int axis = 0; axis < 3; ++axis)
        if (!(p.min[axis] < q.max[axis] && p.max[axis] > q.min[axis]))
            return false;
    return true;
}

bool SphereFrustumIntersector::Intersects(Shape& a, Shape& b)
{
    auto& sphere = static_cast<Sphere&>(a);
    auto& frustum = static_cast<Frustum&>(b);
    for (int plane = 0; plane < 6; ++plane)
        if (frustum.Distance(plane, sphere.center) < -sphere.radius)
            return false;
    return true;
}

bool BoxAlignedFrustumIntersector::Intersects(Shape& a, Shape& b)
{
    auto& box = static_cast<BoxAligned&>(a);
    auto& frustum = static_cast<Frustum&>(b);
    for (int plane = 0; plane < 6; ++plane) {
        // The corner furthest along the plane's inward normal.
        const Math::Vector3t<float>& n = frustum.GetNormal(plane);
        const Math::Vector3t<float> far(n.x >= 0 ? box.max.x : box.min.x, n.y >= 0 ? box.max.y : box.min.y,
                                        n.z >= 0 ? box.max.z : box.min.z);
        if (frustum.Distance(plane, far) < 0)
            return false;
    }
    return true;
}

}  // namespace Nimbrel::Utils::Shapes
