#include "utils/shapes/Sphere.h"

#include "utils/GeoStream.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace Nimbrel::Utils::Shapes {

namespace {

using Vector = Math::Vector3t<float>;

// The regular icosahedron on the unit sphere: its 12 vertices, and its 20 faces found as the
// triples of vertices at edge distance from each other, wound counter-clockwise seen from
// outside.
struct Icosahedron {
    std::array<Vector, 12> vertices;
    std::vector<std::array<int, 3>> faces;

    Icosahedron()
    {
        const float x = 0.5257311f, z = 0.8506508f;
        int n = 0;
        for (float a : {-x, x})
            for (float b : {-z, z}) {
                vertices[n++] = Vector(a, 0, b);
                vertices[n++] = Vector(0, b, a);
                vertices[n++] = Vector(b, a, 0);
            }
        const float edge = 2 * x;
        auto adjacent = [&](int i, int j) { return std::fabs((vertices[i] - vertices[j]).Length() - edge) < 1e-4f; };
        for (int i = 0; i < 12; ++i)
            for (int j = i + 1; j < 12; ++j)
                for (int k = j + 1; k < 12; ++k)
                    if (adjacent(i, j) && adjacent(j, k) && adjacent(i, k)) {
                        const Vector normal = (vertices[j] - vertices[i]).Cross(vertices[k] - vertices[i]);
                        if (normal.Dot(vertices[i]) > 0)
                            faces.push_back({i, j, k});
                        else
                            faces.push_back({i, k, j});
                    }
    }
};

Vector Unit(const Vector& v)
{
    return v * (1.0f / v.Length());
}

}  // namespace

void Sphere::Draw(GeoStream& stream)
{
    static const Icosahedron icosahedron;
    stream.Begin(Graphics::PrimitiveTriangles);
    auto emit = [&](const Vector& v) {
        stream.Normal(v);
        const Vector p = center + v * radius;
        stream.Vertex(p.x, p.y, p.z);
    };
    for (const auto& face : icosahedron.faces) {
        const Vector& a = icosahedron.vertices[face[0]];
        const Vector& b = icosahedron.vertices[face[1]];
        const Vector& c = icosahedron.vertices[face[2]];
        const Vector ab = Unit(a + b), bc = Unit(b + c), ca = Unit(c + a);
        const Vector* triangles[4][3] = {{&a, &ab, &ca}, {&ab, &b, &bc}, {&ca, &bc, &c}, {&ab, &bc, &ca}};
        for (const auto& triangle : triangles)
            for (const Vector* v : triangle)
                emit(*v);
    }
    stream.End(true);
}

void Sphere::Transform(const Math::Matrix4& m)
{
    center = m * center;
    float longest = 0;
    for (int axis = 0; axis < 3; ++axis)
        longest = std::max(longest, Vector(m[4 * axis], m[4 * axis + 1], m[4 * axis + 2]).Length());
    radius *= longest;
}

}  // namespace Nimbrel::Utils::Shapes
