#pragma once
// Shapes::BoxAligned: an axis-aligned box from `min` to `max`.
//
// Corner i (0 to 7) takes x from max when bit 0 of i is set, else from min; y by bit 1 and z
// by bit 2 likewise.

#include "utils/shapes/Shape.h"

namespace Nimbrel::Utils::Shapes {

class BoxAligned : public Shape {
public:
    BoxAligned(const Math::Vector3t<float>& min, const Math::Vector3t<float>& max) : min(min), max(max) {}

    // Six faces of two triangles each, counter-clockwise seen from outside (36 vertices), with
    // no normal set.
    void Draw(GeoStream& stream) override;
    Shape* Clone() override { return new BoxAligned(min, max); }
    int GetType() override { return ShapeTypeBoxAligned; }
    // The box around the eight transformed corners.
    void Transform(const Math::Matrix4& matrix) override;
    Math::Vector3t<float> GetCenter() override { return (min + max) * 0.5f; }

    Math::Vector3t<float> GetCorner(int i) const;

    Math::Vector3t<float> min;
    Math::Vector3t<float> max;
};

// The corners of the six faces of a box numbered as above, each counter-clockwise seen from
// outside: -x, +x, -y, +y, -z, +z.
extern const int BoxFaces[6][4];

// Emits the faces of the box whose corners are given, as two triangles each.
void DrawBoxFaces(GeoStream& stream, const Math::Vector3t<float> (&corners)[8]);

}  // namespace Nimbrel::Utils::Shapes
