// Shapes and the intersection table: the pairwise tests with their boundaries, dispatch in
// both argument orders, transforms, and the triangles the shapes draw.
#include "utils/shapes/BoxAligned.h"
#include "utils/shapes/Frustum.h"
#include "utils/shapes/IntersectionProxy.h"
#include "utils/shapes/Plane.h"
#include "utils/shapes/Sphere.h"

#include "core/Managed.h"
#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "utils/GeoStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace shape_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::Shapes;
using V = Math::Vector3t<float>;

TEST(Shapes, PairwiseTestsWithTheirBoundaries)
{
    struct Case {
        const char* what;
        Managed<Shape> a, b;
        bool expected;
    };
    auto sphere = [](V c, float r) { return Managed<Shape>(new Sphere(c, r)); };
    auto box = [](V min, V max) { return Managed<Shape>(new BoxAligned(min, max)); };
    const Case cases[] = {
        {"touching spheres", sphere({0, 0, 0}, 1), sphere({2, 0, 0}, 1), false},
        {"overlapping spheres", sphere({0, 0, 0}, 1.01f), sphere({2, 0, 0}, 1.01f), true},
        {"sphere inside a sphere", sphere({0, 0, 0}, 5), sphere({1, 0, 0}, 0.1f), true},
        {"touching boxes", box({0, 0, 0}, {1, 1, 1}), box({1, 0, 0}, {2, 1, 1}), false},
        {"overlapping boxes", box({0, 0, 0}, {1, 1, 1}), box({0.5f, 0, 0}, {2, 1, 1}), true},
        {"boxes apart on z only", box({0, 0, 0}, {1, 1, 1}), box({0, 0, 2}, {1, 1, 3}), false},
        {"small sphere inside a box", sphere({5, 5, 5}, 0.1f), box({0, 0, 0}, {10, 10, 10}), true},
        {"sphere through one face", sphere({5, 5, -0.5f}, 1), box({0, 0, 0}, {10, 10, 10}), true},
        {"sphere over an edge, no corner inside", sphere({5, -0.5f, -0.5f}, 1), box({0, 0, 0}, {10, 10, 10}), true},
        {"sphere beside a face", sphere({5, 5, -1.5f}, 1), box({0, 0, 0}, {10, 10, 10}), false},
        {"sphere near a corner, outside", sphere({-0.7f, -0.7f, -0.7f}, 1), box({0, 0, 0}, {10, 10, 10}), false},
        {"sphere around a box", sphere({0.5f, 0.5f, 0.5f}, 10), box({0, 0, 0}, {1, 1, 1}), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a->Intersects(*c.b), c.expected) << c.what;
        EXPECT_EQ(c.b->Intersects(*c.a), c.expected) << c.what << ", swapped";
    }
}

TEST(Shapes, PairsWithoutATestAndUnknownKindsThrow)
{
    Managed<Shape> sphere(new Sphere({0, 0, 0}, 1));
    Managed<Shape> box(new BoxAligned({0, 0, 0}, {1, 1, 1}));
    Managed<Shape> plane(new Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}));
    EXPECT_THROW_MESSAGE(sphere->Intersects(*plane), "IntersectionProxy does not support intersection-check between Sphere and Plane.");
    EXPECT_THROW_MESSAGE(plane->Intersects(*box), "IntersectionProxy does not support intersection-check between Plane and BoxAligned.");
    EXPECT_THROW_MESSAGE(plane->Intersects(*plane), "IntersectionProxy does not support intersection-check between Plane and Plane.");

    class Odd : public Sphere {
    public:
        using Sphere::Sphere;
        int GetType() override { return kind; }
        int kind = 8;
    };
    for (int kind : {8, -1, 1000}) {
        Managed<Odd> odd(new Odd({0, 0, 0}, 1));
        odd->kind = kind;
        EXPECT_THROW_MESSAGE(odd->Intersects(*sphere), "IntersectionProxy does not support intersection-check between Unknown shape and Sphere.");
        EXPECT_THROW_MESSAGE(sphere->Intersects(*odd), "IntersectionProxy does not support intersection-check between Sphere and Unknown shape.");
    }
    EXPECT_STREQ(GetShapeTypeName(7), "Frustum");
}

TEST(Shapes, APlaneNeedsThreePointsNotOnOneLine)
{
    Plane plane({0, 0, 2}, {1, 0, 2}, {0, 1, 2});
    EXPECT_EQ(plane.normal, V(0, 0, 1));
    EXPECT_FLOAT_EQ(plane.distance, 2);
    EXPECT_THROW(Plane({0, 0, 0}, {1, 1, 1}, {2, 2, 2}), Exception);
    EXPECT_THROW(Plane({1, 2, 3}, {1, 2, 3}, {4, 5, 6}), Exception);
    EXPECT_THROW(Plane({0, 0, 0}, {1e-3f, 0, 0}, {2e-3f, 0, 0}), Exception);
    Plane small({0, 0, 0}, {1e-3f, 0, 0}, {0, 1e-3f, 0});  // small but not degenerate
    EXPECT_EQ(small.normal, V(0, 0, 1));
    EXPECT_THROW(plane.GetCenter(), Exception);

    plane.Transform(Math::Matrix4::Translation(0, 0, 3));
    EXPECT_FLOAT_EQ(plane.distance, 5);
}

TEST(Shapes, Transforms)
{
    Sphere sphere({1, 0, 0}, 2);
    sphere.Transform(Math::Matrix4::Translation(0, 5, 0) * Math::Matrix4::Scaling(2, 3, 1));
    EXPECT_EQ(sphere.center, V(2, 5, 0));
    EXPECT_FLOAT_EQ(sphere.radius, 6);

    BoxAligned box({0, 0, 0}, {1, 2, 3});
    box.Transform(Math::Matrix4::Rotation(90, 0, 0, 1));
    EXPECT_NEAR(box.min.x, -2, 1e-6f);
    EXPECT_NEAR(box.max.x, 0, 1e-6f);
    EXPECT_NEAR(box.min.y, 0, 1e-6f);
    EXPECT_NEAR(box.max.y, 1, 1e-6f);
    EXPECT_EQ(box.GetCenter(), V((box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2, 1.5f));

    Managed<Shape> copy(box.Clone());
    box.Transform(Math::Matrix4::Translation(10, 0, 0));
    EXPECT_NEAR(static_cast<BoxAligned*>(copy.Get())->min.x, -2, 1e-6f);
}

// A camera at the origin looking down -z, 90 degrees wide, from 1 to 100.
TEST(Shapes, FrustumCulling)
{
    const Math::Matrix4 projection = Math::Matrix4::Perspective(true, 90, 1, 1, 100);
    Frustum view(projection);
    struct Case {
        const char* what;
        Managed<Shape> shape;
        bool expected;
    };
    const Case cases[] = {
        {"sphere ahead", Managed<Shape>(new Sphere({0, 0, -10}, 1)), true},
        {"sphere behind the camera", Managed<Shape>(new Sphere({0, 0, 10}, 1)), false},
        {"sphere crossing the left side", Managed<Shape>(new Sphere({-10.5f, 0, -10}, 1)), true},
        {"sphere left of the view", Managed<Shape>(new Sphere({-12, 0, -10}, 1)), false},
        {"sphere beyond the far plane", Managed<Shape>(new Sphere({0, 0, -102}, 1)), false},
        {"box around the camera", Managed<Shape>(new BoxAligned({-1, -1, -1}, {1, 1, 1})), true},
        {"box behind the camera", Managed<Shape>(new BoxAligned({-1, -1, 2}, {1, 1, 4})), false},
        {"box above the view", Managed<Shape>(new BoxAligned({-1, 20, -11}, {1, 22, -9})), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.shape->Intersects(view), c.expected) << c.what;
        EXPECT_EQ(view.Intersects(*c.shape), c.expected) << c.what << ", swapped";
    }
    // Moved with its camera: two to the right, the sphere at x = -10.5 is out of sight.
    view.Transform(Math::Matrix4::Translation(20, 0, 0));
    EXPECT_FALSE(cases[2].shape->Intersects(view));
    EXPECT_TRUE(Sphere({20, 0, -10}, 1).Intersects(view));
    EXPECT_NEAR(view.GetCenter().x, 20, 1e-3f);
}

// Records the vertices and normals a shape emits.
class RecordingStream : public GeoStream {
public:
    explicit RecordingStream(Graphics::Device* device) : GeoStream(device, 240) {}
    void Begin(Graphics::PrimitiveType primitive) override
    {
        ++begins;
        GeoStream::Begin(primitive);
    }
    void End(bool draw) override
    {
        ended = draw;
        GeoStream::End(draw);
    }
    void Normal(const V& n) override { normal = n; }
    void Vertex(float x, float y, float z) override
    {
        vertices.push_back(V(x, y, z));
        normals.push_back(normal);
        GeoStream::Vertex(x, y, z);
    }
    int begins = 0;
    bool ended = false;
    V normal{0, 0, 0};
    std::vector<V> vertices, normals;
};

V Face(const std::vector<V>& v, size_t i)
{
    return (v[i + 1] - v[i]).Cross(v[i + 2] - v[i]);
}

TEST(Shapes, DrawingEmitsOutwardTriangles)
{
    Testing::FakeDevice device;
    {
        Managed<RecordingStream> stream(new RecordingStream(&device));
        Sphere({1, 2, 3}, 2).Draw(*stream);
        ASSERT_EQ(stream->vertices.size(), 240u);
        EXPECT_EQ(stream->begins, 1);
        EXPECT_TRUE(stream->ended);
        for (size_t i = 0; i < 240; ++i) {
            EXPECT_NEAR(stream->normals[i].Length(), 1, 1e-5f);
            EXPECT_NEAR((stream->vertices[i] - V(1, 2, 3)).Length(), 2, 1e-5f);
        }
        for (size_t i = 0; i < 240; i += 3)
            EXPECT_GT(Face(stream->vertices, i).Dot(stream->vertices[i] - V(1, 2, 3)), 0) << "triangle " << i / 3;
    }
    {
        Managed<RecordingStream> stream(new RecordingStream(&device));
        BoxAligned box({0, 0, 0}, {1, 2, 3});
        box.Draw(*stream);
        ASSERT_EQ(stream->vertices.size(), 36u);
        for (size_t i = 0; i < 36; i += 3) {
            const V centroid = (stream->vertices[i] + stream->vertices[i + 1] + stream->vertices[i + 2]) * (1.0f / 3);
            EXPECT_GT(Face(stream->vertices, i).Dot(centroid - box.GetCenter()), 0) << "triangle " << i / 3;
        }
        EXPECT_EQ(stream->normals[0], V(0, 0, 0));  // no normal set
    }
    Managed<RecordingStream> stream(new RecordingStream(&device));
    EXPECT_THROW(Plane({0, 0, 0}, {1, 0, 0}, {0, 1, 0}).Draw(*stream), Exception);
}

}  // namespace shape_test
