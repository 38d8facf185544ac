#pragma once
// Shapes::Sphere: a centre and a radius.

#include "utils/shapes/Shape.h"

namespace Nimbrel::Utils::Shapes {

class Sphere : public Shape {
public:
    Sphere(const Math::Vector3t<float>& center, float radius) : center(center), radius(radius) {}

    // An icosahedron split once (80 triangles, 240 vertices) with unit normals, so the stream
    // needs room for 240 vertices.
    void Draw(GeoStream& stream) override;
    Shape* Clone() override { return new Sphere(center, radius); }
    int GetType() override { return ShapeTypeSphere; }
    // The centre as a point; the radius scaled by the longest image of the unit axes.
    void Transform(const Math::Matrix4& matrix) override;
    Math::Vector3t<float> GetCenter() override { return center; }

    Math::Vector3t<float> center;
    float radius;
};

}  // namespace Nimbrel::Utils::Shapes
