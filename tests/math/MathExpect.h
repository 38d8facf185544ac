#pragma once
// Comparisons and printers for vectors and matrices, shared by the math tests.

#include "math/Matrix3.h"
#include "math/Matrix4.h"
#include "math/Vector2t.h"
#include "math/Vector3t.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <ostream>

namespace Nimbrel::Math {

// Lets GoogleTest print vectors and matrices in failure messages.
template <class T>
void PrintTo(const Vector2t<T>& v, std::ostream* out)
{
    *out << '(' << v.x << ", " << v.y << ')';
}

template <class T>
void PrintTo(const Vector3t<T>& v, std::ostream* out)
{
    *out << '(' << v.x << ", " << v.y << ", " << v.z << ')';
}

template <class T>
void PrintTo(const Vector4t<T>& v, std::ostream* out)
{
    *out << '(' << v.x << ", " << v.y << ", " << v.z << ", " << v.w << ')';
}

// Nine significant digits, so that matrices differing in the last bit print differently.
template <class M, int N>
void PrintElements(const M& m, std::ostream* out)
{
    *out << std::setprecision(9) << '(';
    for (int i = 0; i < N; ++i)
        *out << (i ? ", " : "") << m[i];
    *out << ')';
}

inline void PrintTo(const Matrix3& m, std::ostream* out)
{
    PrintElements<Matrix3, 9>(m, out);
}

inline void PrintTo(const Matrix4& m, std::ostream* out)
{
    PrintElements<Matrix4, 16>(m, out);
}

}  // namespace Nimbrel::Math

namespace math_expect {

inline void ExpectNear(const Nimbrel::Math::Vector3t<float>& actual,
                       const Nimbrel::Math::Vector3t<float>& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
    EXPECT_NEAR(actual.z, expected.z, tolerance) << "z";
}

inline void ExpectNear(const Nimbrel::Math::Matrix4& actual, const Nimbrel::Math::Matrix4& expected,
                       float tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

}  // namespace math_expect
