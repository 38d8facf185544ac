#include "core/String.h"
#include "math/Matrix4.h"
#include "math/Vector2t.h"
#include "math/Vector3t.h"
#include "math/MathExpect.h"
#include "support/Expect.h"

#include <cmath>

using namespace Nimbrel;
using namespace Nimbrel::Math;

namespace vector_test {

const float HalfPi = 3.14159265f / 2;

}  // namespace vector_test

using namespace math_expect;
using vector_test::HalfPi;

TEST(Vector3, ArithmeticCrossAndDot)
{
    const Vector3t<float> a(1, 2, 3), b(4, 5, 6);
    EXPECT_EQ(a + b, Vector3t<float>(5, 7, 9));
    EXPECT_EQ(b - a, Vector3t<float>(3, 3, 3));
    EXPECT_EQ(a * 2.0f, Vector3t<float>(2, 4, 6));
    EXPECT_EQ(a.Cross(b), Vector3t<float>(-3, 6, -3));
    EXPECT_EQ(Vector3t<float>(1, 0, 0).Cross(Vector3t<float>(0, 1, 0)), Vector3t<float>(0, 0, 1));
    EXPECT_EQ(a.Dot(b), 32.0f);
    EXPECT_EQ(a[0] + a[1] + a[2], 6.0f);
    EXPECT_NE(a, b);
}

TEST(Vector3, NormalizeScalesInPlaceAndNormalizedCopies)
{
    Vector3t<float> v(3, 4, 12);
    EXPECT_EQ(v.Length(), 13.0f);
    const Vector3t<float> unit = v.Normalized();
    EXPECT_EQ(v, Vector3t<float>(3, 4, 12));
    ExpectNear(unit, Vector3t<float>(3 / 13.0f, 4 / 13.0f, 12 / 13.0f), 1e-7f);
    EXPECT_EQ(&v.Normalize(), &v);
    EXPECT_EQ(v, unit);
}

// The vector turns clockwise seen from the tip of the axis, and keeps its length.
TEST(Vector3, RotateTurnsClockwiseAboutTheNormalisedAxisAndKeepsLength)
{
    struct Case {
        Vector3t<float> vector, axis;
        float angle;
        Vector3t<float> expected;
    };
    const Case cases[] = {
        {{1, 0, 0}, {0, 0, 1}, HalfPi, {0, -1, 0}},
        {{2, 0, 0}, {0, 0, 1}, HalfPi, {0, -2, 0}},
        {{2, 0, 0}, {0, 0, 7}, HalfPi, {0, -2, 0}},
        {{0, 1, 0}, {1, 0, 0}, HalfPi, {0, 0, -1}},
        {{0, 0, 3}, {0, 1, 0}, -HalfPi, {3, 0, 0}},
        {{1, 0, 0}, {1, 1, 1}, -HalfPi * 4 / 3, {0, 1, 0}},
        {{0, 0, 0}, {0, 0, 1}, HalfPi, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        Vector3t<float> v = c.vector;
        EXPECT_EQ(&v.Rotate(c.angle, c.axis), &v);
        ExpectNear(v, c.expected, 1e-6f);
    }
}

// The vector rotation is the transpose of the matrix rotation: the same turn the other way.
TEST(Vector3, RotateMatchesMatrixRotationByTheOppositeAngle)
{
    const Vector3t<float> axis(0.3f, -1.2f, 0.7f);
    const Vector3t<float> start(1.5f, 2.0f, -0.5f);
    for (float degrees : {10.0f, 75.0f, 200.0f, -130.0f}) {
        Vector3t<float> v = start;
        v.Rotate(degrees / 180.0f * 3.141592f, axis);
        ExpectNear(v, Matrix4::Rotation(-degrees, axis.x, axis.y, axis.z) * start, 1e-5f);
        EXPECT_NEAR(v.Length(), start.Length(), 1e-6f);
    }
}

TEST(Vector3, ParsesThreeNumbers)
{
    EXPECT_EQ(Vector3t<float>(String("(1.5, -2,3e2)")), Vector3t<float>(1.5f, -2, 300));
    EXPECT_EQ(Vector3t<float>(String("4,5,6")), Vector3t<float>(4, 5, 6));
    EXPECT_THROW_MESSAGE(Vector3t<float>(String("1,2")), "Invalid Vector3 String");
    EXPECT_THROW_MESSAGE(Vector3t<float>(String("(1,2,3,4)")), "Invalid Vector3 String");
    EXPECT_THROW_MESSAGE(Vector3t<float>(String("()")), "Invalid Vector3 String");
    EXPECT_THROW_MESSAGE(Vector3t<float>(String("(1,,3)")), "Unable to convert string to float");
    EXPECT_THROW_MESSAGE(Vector3t<float>(String("(1,y,3)")), "Unable to convert string to float");
}

TEST(Vector2, ParsesAndTruncatesTowardZero)
{
    EXPECT_EQ(Vector2t<int>(String("(3.9, -2.7)")), Vector2t<int>(3, -2));
    EXPECT_EQ(Vector2t<int>(String("800,600")), Vector2t<int>(800, 600));
    EXPECT_EQ(Vector2t<int>(String("(-2147483648, 0)")), Vector2t<int>(-2147483647 - 1, 0));
    EXPECT_THROW_MESSAGE(Vector2t<int>(String("(1)")), "Invalid Vector2 String");
    EXPECT_THROW_MESSAGE(Vector2t<int>(String("(1,2,3)")), "Invalid Vector2 String");
    EXPECT_THROW_MESSAGE(Vector2t<int>(String("(a,2)")), "Unable to convert string to float");
    // Numbers an int cannot hold are refused rather than converted with undefined results.
    EXPECT_THROW_MESSAGE(Vector2t<int>(String("(3e9, 0)")), "Invalid Vector2 String");
    EXPECT_THROW_MESSAGE(Vector2t<int>(String("(0, -inf)")), "Invalid Vector2 String");
    EXPECT_THROW_MESSAGE(Vector2t<int>(String("(nan, 0)")), "Invalid Vector2 String");
}

TEST(Vector2, ArithmeticAndComponents)
{
    Vector2t<int> a(10, 20);
    const Vector2t<int> b(3, 4);
    EXPECT_EQ(a + b, Vector2t<int>(13, 24));
    EXPECT_EQ(a - b, Vector2t<int>(7, 16));
    a[1] = 5;
    EXPECT_EQ(a, Vector2t<int>(10, 5));
}
