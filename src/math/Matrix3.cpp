#include "math/Matrix3.h"

#include "core/String.h"
#include "math/ParseFloats.h"

#include <cmath>

namespace Nimbrel::Math {

Matrix3::Matrix3() : elements{1, 0, 0, 0, 1, 0, 0, 0, 1} {}

Matrix3::Matrix3(const String& text)
{
    ParseFloats(text, elements, 9, "Invalid Matrix3 String");
}

Matrix3 Matrix3::operator+(const Matrix3& b) const
{
    Matrix3 r;
    for (int i = 0; i < 9; ++i)
        r.elements[i] = elements[i] + b.elements[i];
    return r;
}

Matrix3 Matrix3::operator-(const Matrix3& b) const
{
    Matrix3 r;
    for (int i = 0; i < 9; ++i)
        r.elements[i] = elements[i] - b.elements[i];
    return r;
}

Matrix3 Matrix3::operator+(float s) const
{
    Matrix3 r;
    for (int i = 0; i < 9; ++i)
        r.elements[i] = elements[i] + s;
    return r;
}

Matrix3 Matrix3::operator-(float s) const
{
    Matrix3 r;
    for (int i = 0; i < 9; ++i)
        r.elements[i] = elements[i] - s;
    return r;
}

Matrix3 Matrix3::operator*(float s) const
{
    Matrix3 r;
    for (int i = 0; i < 9; ++i)
        r.elements[i] = elements[i] * s;
    return r;
}

Matrix3 Matrix3::operator*(const Matrix3& b) const
{
    Matrix3 r;
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row)
            r.elements[3 * c + row] = elements[row] * b.elements[3 * c] +
                                      elements[3 + row] * b.elements[3 * c + 1] +
                                      elements[6 + row] * b.elements[3 * c + 2];
    return r;
}

Matrix3& Matrix3::operator*=(const Matrix3& b)
{
    return *this = *this * b;
}

Vector3t<float> Matrix3::operator*(const Vector3t<float>& v) const
{
    const float* m = elements;
    return Vector3t<float>(m[0] * v.x + m[3] * v.y + m[6] * v.z,
                           m[1] * v.x + m[4] * v.y + m[7] * v.z,
                           m[2] * v.x + m[5] * v.y + m[8] * v.z);
}

Matrix3& Matrix3::Transpose()
{
    for (int c = 0; c < 3; ++c)
        for (int r = c + 1; r < 3; ++r) {
            float swapped = elements[3 * c + r];
            elements[3 * c + r] = elements[3 * r + c];
            elements[3 * r + c] = swapped;
        }
    return *this;
}

String Matrix3::ToString() const
{
    String text = String("(") + String(elements[0]);
    for (int i = 1; i < 9; ++i)
        text += String(", ") + String(elements[i]);
    return text + String(")");
}

Matrix3 Matrix3::Identity()
{
    return Matrix3();
}

Matrix3 Matrix3::Scaling(float x, float y, float z)
{
    Matrix3 m;
    m.elements[0] = x;
    m.elements[4] = y;
    m.elements[8] = z;
    return m;
}

Matrix3 Matrix3::Rotation(float angle, float x, float y, float z)
{
    const float squared = x * x + y * y + z * z;
    if (std::fabs(squared - 1.0f) > 1e-7f) {
        const float k = 1.0f / std::sqrt(squared);
        x *= k;
        y *= k;
        z *= k;
    }
    const float a = angle / 180.0f * Detail::Pi;
    const float c = std::cos(a), s = std::sin(a), k = 1.0f - c;
    Matrix3 m;
    m.elements[0] = c + x * x * k;
    m.elements[1] = x * y * k + z * s;
    m.elements[2] = x * z * k - y * s;
    m.elements[3] = x * y * k - z * s;
    m.elements[4] = c + y * y * k;
    m.elements[5] = y * z * k + x * s;
    m.elements[6] = x * z * k + y * s;
    m.elements[7] = y * z * k - x * s;
    m.elements[8] = c + z * z * k;
    return m;
}

Matrix3& Matrix3::Scale(float x, float y, float z)
{
    return *this *= Scaling(x, y, z);
}

Matrix3& Matrix3::Rotate(float angle, float x, float y, float z)
{
    return *this *= Rotation(angle, x, y, z);
}

}  // namespace Nimbrel::Math
