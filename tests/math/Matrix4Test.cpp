#include "core/String.h"
#include "math/Matrix4.h"
#include "math/MathExpect.h"
#include "support/Expect.h"

#include <cmath>
#include <random>

using namespace Nimbrel;
using namespace Nimbrel::Math;

namespace matrix4_test {

// A matrix from its sixteen elements in storage order.
Matrix4 Elements(std::initializer_list<float> values)
{
    Matrix4 m;
    int i = 0;
    for (float value : values)
        m[i++] = value;
    return m;
}

}  // namespace matrix4_test

using matrix4_test::Elements;
using namespace math_expect;
using V3 = Vector3t<float>;

TEST(Matrix4, DefaultIsIdentity)
{
    const Matrix4 m;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    EXPECT_EQ(Matrix4::Identity(), m);
}

TEST(Matrix4, ProductAppliesTheRightFactorFirst)
{
    const Matrix4 translation = Matrix4::Translation(1, 0, 0);
    const Matrix4 scaling = Matrix4::Scaling(2, 2, 2);
    EXPECT_EQ((translation * scaling) * V3(1, 0, 0), V3(3, 0, 0));
    EXPECT_EQ((scaling * translation) * V3(1, 0, 0), V3(4, 0, 0));

    // The in-place forms multiply on the right, like the product.
    Matrix4 m = translation;
    EXPECT_EQ(&m.Scale(2, 2, 2), &m);
    EXPECT_EQ(m, translation * scaling);
    m = scaling;
    m *= translation;
    EXPECT_EQ(m, scaling * translation);
    m = scaling;
    m.Translate(1, 0, 0).Rotate(30, 0, 1, 0);
    EXPECT_EQ(m, scaling * translation * Matrix4::Rotation(30, 0, 1, 0));

    // Associativity on general (non-commuting) matrices catches a swapped index.
    const Matrix4 a = Matrix4::Rotation(40, 1, 2, 3) * Matrix4::Translation(1, -2, 0.5f);
    const Matrix4 b = Matrix4::Scaling(1, 2, 3) * Matrix4::Rotation(-70, 0, 1, 1);
    const V3 p(0.3f, -1.5f, 2.0f);
    ExpectNear((a * b) * p, a * (b * p), 1e-5f);
}

TEST(Matrix4, ScaleTwiceMultipliesTheScale)
{
    Matrix4 m;
    m.Scale(3, 3, 1);
    m.Scale(3, 3, 1);
    EXPECT_EQ(m[0], 9.0f);
    EXPECT_EQ(m[5], 9.0f);
    EXPECT_EQ(m[10], 1.0f);
}

TEST(Matrix4, RotationTurnsCounterClockwiseAboutTheNormalisedAxis)
{
    const Matrix4 rotation = Matrix4::Rotation(90, 0, 0, 1);
    const V3 turned = rotation * V3(1, 0, 0);
    // pi is the float 3.141592, so the quarter turn falls 3.1e-7 short of the y axis.
    EXPECT_NEAR(turned.x, 3.14e-7f, 2e-8f);
    EXPECT_FLOAT_EQ(turned.y, 1.0f);
    EXPECT_EQ(turned.z, 0.0f);
    ExpectNear(rotation * V3(0, 1, 0), V3(-1, 0, 0), 1e-6f);
    EXPECT_EQ(Matrix4::Rotation(90, 0, 0, 2), rotation);

    // A third of a turn about the diagonal cycles the axes: x to y, y to z, z to x.
    const Matrix4 cycle = Matrix4::Rotation(120, 1, 1, 1);
    ExpectNear(cycle * V3(1, 0, 0), V3(0, 1, 0), 1e-6f);
    ExpectNear(cycle * V3(0, 1, 0), V3(0, 0, 1), 1e-6f);
    ExpectNear(cycle * V3(0, 0, 1), V3(1, 0, 0), 1e-6f);
    for (int i : {3, 7, 11, 12, 13, 14})
        EXPECT_EQ(cycle[i], 0.0f) << i;
    EXPECT_EQ(cycle[15], 1.0f);
}

TEST(Matrix4, LookAtMovesTheEyeToTheOriginLookingDownNegativeZ)
{
    const Matrix4 view = Matrix4::LookAt(V3(0, 0, 5), V3(0, 0, 0), V3(0, 1, 0));
    Matrix4 expected;
    expected[14] = -5;
    EXPECT_EQ(view, expected);
    EXPECT_EQ(view * V3(0, 0, 0), V3(0, 0, -5));

    // An oblique camera: the target lands on the negative z axis at its distance, and `up`,
    // which need not be perpendicular to the view, lands in the y-z plane with y > 0: its
    // part along the view direction (0.6, 0.8, 0) is 0.12 and goes to -z.
    const V3 eye(1, 2, 3), target(4, 6, 3), up(0.2f, 0, 1);
    const Matrix4 oblique = Matrix4::LookAt(eye, target, up);
    ExpectNear(oblique * eye, V3(0, 0, 0), 1e-6f);
    ExpectNear(oblique * target, V3(0, 0, -5), 1e-5f);
    ExpectNear(oblique * (eye + up), V3(0, std::sqrt(up.Dot(up) - 0.12f * 0.12f), -0.12f), 1e-6f);

    Matrix4 m = Matrix4::Scaling(2, 2, 2);
    m.MultiplyLookAt(eye, target, V3(0, 0, 1));
    EXPECT_EQ(m, Matrix4::Scaling(2, 2, 2) * Matrix4::LookAt(eye, target, V3(0, 0, 1)));
}

TEST(Matrix4, PerspectiveMapsNearAndFarToEitherDepthRange)
{
    struct Case {
        bool glDepth;
        float element10, element14, nearDepth, farDepth;
    };
    const Case cases[] = {
        {true, -2.0f, -3.0f, -1.0f, 1.0f},
        {false, -1.5f, -1.5f, 0.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.glDepth ? "GL depth" : "zero-to-one depth");
        const Matrix4 p = Matrix4::Perspective(c.glDepth, 90, 1, 1, 3);
        EXPECT_NEAR(p[0], 1.0f, 1e-6f);
        EXPECT_NEAR(p[5], 1.0f, 1e-6f);
        EXPECT_FLOAT_EQ(p[10], c.element10);
        EXPECT_FLOAT_EQ(p[14], c.element14);
        EXPECT_EQ(p[11], -1.0f);
        EXPECT_EQ(p[15], 0.0f);
        for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13})
            EXPECT_EQ(p[i], 0.0f) << i;

        // Depth after the divide by w, for points on the near and far planes.
        const Vector4t<float> nearPoint = p * Vector4t<float>(0, 0, -1, 1);
        const Vector4t<float> farPoint = p * Vector4t<float>(0, 0, -3, 1);
        EXPECT_FLOAT_EQ(nearPoint.z / nearPoint.w, c.nearDepth);
        EXPECT_FLOAT_EQ(farPoint.z / farPoint.w, c.farDepth);
        EXPECT_FLOAT_EQ(farPoint.w, 3.0f);

        // The point product ignores the fourth row and does not divide.
        EXPECT_FLOAT_EQ((p * V3(0, 0, -3)).z, farPoint.z);

        EXPECT_NEAR(Matrix4::Perspective(c.glDepth, 90, 2, 1, 3)[0], 0.5f, 1e-6f);
        Matrix4 m = Matrix4::Translation(1, 2, 3);
        m.MultiplyPerspective(c.glDepth, 60, 1.5f, 0.1f, 100);
        EXPECT_EQ(m, Matrix4::Translation(1, 2, 3) *
                         Matrix4::Perspective(c.glDepth, 60, 1.5f, 0.1f, 100));
    }
}

TEST(Matrix4, InvertOfASingularMatrixFailsAndKeepsItsValues)
{
    const Matrix4 singular[] = {
        Elements({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
        // The first two lines are equal: elimination leaves no pivot for the second one.
        Elements({1, 2, 3, 4, 1, 2, 3, 4, 0, 0, 1, 0, 0, 0, 0, 1}),
        Matrix4::Scaling(1, 0, 1),
    };
    for (const Matrix4& original : singular) {
        Matrix4 m = original;
        EXPECT_FALSE(m.Invert());
        EXPECT_EQ(m, original);
    }
}

TEST(Matrix4, InvertExchangesLinesWhenAPivotIsZero)
{
    const Matrix4 swapXY = Elements({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    Matrix4 m = swapXY;
    EXPECT_TRUE(m.Invert());
    EXPECT_EQ(m, swapXY);

    // A zero in the middle of the diagonal, found only after the first lines are eliminated.
    const Matrix4 cyclic = Elements({1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0});
    m = cyclic;
    EXPECT_TRUE(m.Invert());
    ExpectNear(m * cyclic, Matrix4(), 0);
}

TEST(Matrix4, InvertTimesOriginalIsIdentity)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> unit(-1, 1);
    std::uniform_real_distribution<float> scale(0.5f, 3);
    for (int n = 0; n < 50; ++n) {
        const Matrix4 affine =
            Matrix4::Translation(5 * unit(random), 5 * unit(random), 5 * unit(random)) *
            Matrix4::Rotation(180 * unit(random), unit(random), unit(random), unit(random)) *
            Matrix4::Scaling(scale(random), scale(random), scale(random));
        Matrix4 inverse = affine;
        ASSERT_TRUE(inverse.Invert());
        ExpectNear(inverse * affine, Matrix4(), 2e-5f);
        ExpectNear(affine * inverse, Matrix4(), 2e-5f);
    }

    // Quarter turns leave cos(90) = 3e-7 rather than 0 on the diagonal (pi is 3.141592):
    // the elimination must not divide by it.
    for (const V3& axis : {V3(1, 0, 0), V3(0, 1, 0), V3(0, 0, 1)}) {
        const Matrix4 turned =
            Matrix4::Translation(10, 20, 30) * Matrix4::Rotation(90, axis.x, axis.y, axis.z);
        Matrix4 inverse = turned;
        ASSERT_TRUE(inverse.Invert());
        ExpectNear(inverse * turned, Matrix4(), 1e-5f);
        ExpectNear(inverse * V3(10, 20, 30), V3(0, 0, 0), 1e-5f);
    }

    // Projections are inverted too (the effects hand "ProjectionInverse" to shaders).
    for (bool glDepth : {true, false}) {
        const Matrix4 projection = Matrix4::Perspective(glDepth, 45, 4.0f / 3, 0.1f, 100);
        Matrix4 inverse = projection;
        ASSERT_TRUE(inverse.Invert());
        ExpectNear(inverse * projection, Matrix4(), 1e-5f);
    }
}

TEST(Matrix4, TransposeAndToMatrix3)
{
    Matrix4 m = Elements({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    const Matrix3 upperLeft = m.ToMatrix3();
    const float expected3[] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(upperLeft[i], expected3[i]) << i;

    EXPECT_EQ(&m.Transpose(), &m);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_EQ(m[4 * c + r], static_cast<float>(4 * r + c)) << c << "," << r;
}

TEST(Matrix4, ElementWiseAndScalarOperations)
{
    const Matrix4 a = Elements({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    const Matrix4 b = a * 2.0f;
    const Matrix4 sum = a + b, difference = a - b, plus = a + 1.0f, minus = a - 1.0f;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(b[i], 2.0f * i);
        EXPECT_EQ(sum[i], 3.0f * i);
        EXPECT_EQ(difference[i], -1.0f * i);
        EXPECT_EQ(plus[i], i + 1.0f);
        EXPECT_EQ(minus[i], i - 1.0f);
    }
}

TEST(Matrix4, FullProductUsesEveryRow)
{
    const Matrix4 m = Elements({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const Vector4t<float> v = m * Vector4t<float>(1, 0.5f, -1, 2);
    EXPECT_EQ(v, Vector4t<float>(1 + 2.5f - 9 + 26, 2 + 3 - 10 + 28, 3 + 3.5f - 11 + 30,
                                 4 + 4 - 12 + 32));
    EXPECT_EQ(m * V3(1, 0.5f, -1), V3(1 + 2.5f - 9 + 13, 2 + 3 - 10 + 14, 3 + 3.5f - 11 + 15));
}

TEST(Matrix4, ParsesAndFormatsText)
{
    const Matrix4 parsed(String("(1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1)"));
    EXPECT_EQ(parsed, Matrix4::Translation(5, 6, 7));

    const String identity = Matrix4().ToString();
    EXPECT_TRUE(identity.StartsWith("(1.000000, 0.000000")) << identity.CStr();
    EXPECT_TRUE(identity.EndsWith(", 1.000000)")) << identity.CStr();

    const Matrix4 values =
        Elements({0.5f, -1, 2.25f, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, -15.125f});
    EXPECT_EQ(Matrix4(values.ToString()), values);

    EXPECT_THROW_MESSAGE(Matrix4(String("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15")),
                         "Invalid Matrix4 String");
    EXPECT_THROW_MESSAGE(Matrix4(String("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17")),
                         "Invalid Matrix4 String");
    EXPECT_THROW_MESSAGE(Matrix4(String("()")), "Invalid Matrix4 String");
    EXPECT_THROW_MESSAGE(Matrix4(String("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,x")),
                         "Unable to convert string to float");
}
