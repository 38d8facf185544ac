#pragma once
// Shapes::Plane: the points p with normal . p = distance, normal of unit length. No
// intersection test involves a plane yet; centre and drawing throw.

#include "utils/shapes/Shape.h"

namespace Nimbrel::Utils::Shapes {

class Plane : public Shape {
public:
    // Through three points, the normal (b - a) x (c - a) normalised. Throws when the points
    // lie on one line (or coincide).
    Plane(const Math::Vector3t<float>& a, const Math::Vector3t<float>& b, const Math::Vector3t<float>& c);

    void Draw(GeoStream& stream) override;
    Shape* Clone() override { return new Plane(*this); }
    int GetType() override { return ShapeTypePlane; }
    void Transform(const Math::Matrix4& matrix) override;
    Math::Vector3t<float> GetCenter() override;

    Math::Vector3t<float> normal;
    float distance;

private:
    Plane(const Plane& other) : Shape(), normal(other.normal), distance(other.distance) {}
};

}  // namespace Nimbrel::Utils::Shapes
