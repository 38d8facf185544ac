#include "core/String.h"
#include "math/Matrix3.h"
#include "math/Matrix4.h"
#include "math/MathExpect.h"
#include "support/Expect.h"

using namespace Nimbrel;
using namespace Nimbrel::Math;

using namespace math_expect;

// Matrix3 is the upper-left part of Matrix4: their builders and products must agree.
TEST(Matrix3, AgreesWithTheUpperLeftOfMatrix4)
{
    const Matrix3 rotation = Matrix3::Rotation(35, 1, -2, 0.5f);
    EXPECT_EQ(rotation, Matrix4::Rotation(35, 1, -2, 0.5f).ToMatrix3());
    EXPECT_EQ(Matrix3::Rotation(90, 0, 0, 3), Matrix3::Rotation(90, 0, 0, 1));
    EXPECT_EQ(Matrix3::Scaling(2, 3, 4), Matrix4::Scaling(2, 3, 4).ToMatrix3());

    const Matrix4 a = Matrix4::Rotation(35, 1, -2, 0.5f) * Matrix4::Scaling(2, 3, 4);
    const Matrix3 product = rotation * Matrix3::Scaling(2, 3, 4);
    EXPECT_EQ(product, a.ToMatrix3());
    const Vector3t<float> v(1, 2, 3), fromMatrix4 = a * v - a * Vector3t<float>(0, 0, 0);
    const Vector3t<float> fromMatrix3 = product * v;
    EXPECT_NEAR(fromMatrix3.x, fromMatrix4.x, 1e-5f);
    EXPECT_NEAR(fromMatrix3.y, fromMatrix4.y, 1e-5f);
    EXPECT_NEAR(fromMatrix3.z, fromMatrix4.z, 1e-5f);

    Matrix3 inPlace = Matrix3::Rotation(35, 1, -2, 0.5f);
    EXPECT_EQ(&inPlace.Scale(2, 3, 4), &inPlace);
    EXPECT_EQ(inPlace, product);
    inPlace = Matrix3();
    inPlace.Rotate(35, 1, -2, 0.5f).Scale(2, 3, 4);
    EXPECT_EQ(inPlace, product);
    inPlace = rotation;
    inPlace *= Matrix3::Scaling(2, 3, 4);
    EXPECT_EQ(inPlace, product);
}

TEST(Matrix3, ElementWiseTransposeAndText)
{
    const Matrix3 a(String("(0, 1, 2, 3, 4, 5, 6, 7, 8)"));
    const Matrix3 sum = a + a * 2.0f, difference = a - a * 2.0f, plus = a + 1.0f, minus = a - 1.0f;
    Matrix3 transposed = a;
    EXPECT_EQ(&transposed.Transpose(), &transposed);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(a[i], static_cast<float>(i));
        EXPECT_EQ(sum[i], 3.0f * i);
        EXPECT_EQ(difference[i], -1.0f * i);
        EXPECT_EQ(plus[i], i + 1.0f);
        EXPECT_EQ(minus[i], i - 1.0f);
        EXPECT_EQ(transposed[3 * (i % 3) + i / 3], static_cast<float>(i));
    }

    EXPECT_EQ(Matrix3::Identity().ToString(),
              "(1.000000, 0.000000, 0.000000, 0.000000, 1.000000, 0.000000, 0.000000, 0.000000, "
              "1.000000)");
    EXPECT_THROW_MESSAGE(Matrix3(String("(1,2,3,4,5,6,7,8)")), "Invalid Matrix3 String");
    EXPECT_THROW_MESSAGE(Matrix3(String("1,2,3,4,5,6,7,8,9,10")), "Invalid Matrix3 String");
    EXPECT_THROW_MESSAGE(Matrix3(String("1,2,3,4,5,6,7,8,nine")),
                         "Unable to convert string to float");
}
