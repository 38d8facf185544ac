#pragma once
// Shapes::Frustum: the volume a view-projection matrix maps into clip space (-w <= x, y, z <=
// w), the culling shape of a camera. Kept as the matrix and its six planes, normals pointing
// inwards.
//
//     Frustum view(projection * view);
//     state.shapes.Push(&view);   // bounding nodes outside the view are skipped

#include "utils/shapes/Shape.h"

namespace Nimbrel::Utils::Shapes {

class Frustum : public Shape {
public:
    explicit Frustum(const Math::Matrix4& clipFromWorld);

    // The twelve triangles of its six faces (36 vertices).
    void Draw(GeoStream& stream) override;
    Shape* Clone() override { return new Frustum(clipFromWorld); }
    int GetType() override { return ShapeTypeFrustum; }
    void Transform(const Math::Matrix4& matrix) override;
    // The mean of the eight corners.
    Math::Vector3t<float> GetCenter() override;

    // Signed distance of the point from plane i (0 to 5), positive inside.
    float Distance(int plane, const Math::Vector3t<float>& p) const;
    const Math::Vector3t<float>& GetNormal(int plane) const { return normals[plane]; }
    const Math::Matrix4& GetMatrix() const { return clipFromWorld; }

private:
    void SetMatrix(const Math::Matrix4& matrix);
    // Corner i of the clip cube (numbered like a box's corners) back in world space.
    void GetCorners(Math::Vector3t<float> (&corners)[8]) const;

    Math::Matrix4 clipFromWorld;
    Math::Vector3t<float> normals[6];
    float offsets[6];
};

}  // namespace Nimbrel::Utils::Shapes
