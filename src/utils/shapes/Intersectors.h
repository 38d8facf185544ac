#pragma once
// The intersection tests between the shape classes. Touching spheres and touching boxes do not
// intersect; a sphere that touches a box does. Tests against a frustum are conservative: a
// shape is reported outside only when it lies wholly behind one of the six planes, so a few
// shapes near the frustum's edges pass although they are outside.

#include "utils/shapes/Intersector.h"
#include "utils/shapes/Shape.h"

namespace Nimbrel::Utils::Shapes {

// An intersector for the kinds First and Second.
template <int First, int Second>
class PairIntersector : public Intersector {
public:
    void GetTypes(int& first, int& second) override
    {
        first = First;
        second = Second;
    }
};

// The distance between the centres is less than the sum of the radii.
class SphereSphereIntersector : public PairIntersector<ShapeTypeSphere, ShapeTypeSphere> {
public:
    bool Intersects(Shape& a, Shape& b) override;
};

// The point of the box closest to the sphere's centre lies within the radius, so a sphere
// inside a box, around one or through one face intersects it.
class SphereBoxAlignedIntersector : public PairIntersector<ShapeTypeSphere, ShapeTypeBoxAligned> {
public:
    bool Intersects(Shape& a, Shape& b) override;
};

// The boxes overlap on each axis: min1 < max2 and max1 > min2.
class BoxAlignedBoxAlignedIntersector : public PairIntersector<ShapeTypeBoxAligned, ShapeTypeBoxAligned> {
public:
    bool Intersects(Shape& a, Shape& b) override;
};

class SphereFrustumIntersector : public PairIntersector<ShapeTypeSphere, ShapeTypeFrustum> {
public:
    bool Intersects(Shape& a, Shape& b) override;
};

class BoxAlignedFrustumIntersector : public PairIntersector<ShapeTypeBoxAligned, ShapeTypeFrustum> {
public:
    bool Intersects(Shape& a, Shape& b) override;
};

}  // namespace Nimbrel::Utils::Shapes
