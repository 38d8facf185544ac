#pragma once
// Shapes::Intersector: the test for one pair of shape kinds, registered with the
// IntersectionProxy. Intersects receives a shape of the first kind and one of the second.

namespace Nimbrel::Utils::Shapes {

class Shape;

class Intersector {
public:
    virtual ~Intersector() = default;
    virtual void GetTypes(int& first, int& second) = 0;
    virtual bool Intersects(Shape& a, Shape& b) = 0;
};

}  // namespace Nimbrel::Utils::Shapes
