#include "math/Matrix4.h"

#include "core/String.h"
#include "math/ParseFloats.h"

#include <cmath>
#include <utility>

namespace Nimbrel::Math {

Matrix4::Matrix4() : elements{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Matrix4::Matrix4(const String& text)
{
    ParseFloats(text, elements, 16, "Invalid Matrix4 String");
}

Matrix4 Matrix4::operator+(const Matrix4& b) const
{
    Matrix4 r;
    for (int i = 0; i < 16; ++i)
        r.elements[i] = elements[i] + b.elements[i];
    return r;
}

Matrix4 Matrix4::operator-(const Matrix4& b) const
{
    Matrix4 r;
    for (int i = 0; i < 16; ++i)
        r.elements[i] = elements[i] - b.elements[i];
    return r;
}

Matrix4 Matrix4::operator+(float s) const
{
    Matrix4 r;
    for (int i = 0; i < 16; ++i)
        r.elements[i] = elements[i] + s;
    return r;
}

Matrix4 Matrix4::operator-(float s) const
{
    Matrix4 r;
    for (int i = 0; i < 16; ++i)
        r.elements[i] = elements[i] - s;
    return r;
}

Matrix4 Matrix4::operator*(float s) const
{
    Matrix4 r;
    for (int i = 0; i < 16; ++i)
        r.elements[i] = elements[i] * s;
    return r;
}

Matrix4 Matrix4::operator*(const Matrix4& b) const
{
    const float* a = elements;
    Matrix4 r;
    for (int c = 0; c < 4; ++c) {
        const float* column = b.elements + 4 * c;
        for (int row = 0; row < 4; ++row)
            r.elements[4 * c + row] = a[row] * column[0] + a[4 + row] * column[1] +
                                      a[8 + row] * column[2] + a[12 + row] * column[3];
    }
    return r;
}

Matrix4& Matrix4::operator*=(const Matrix4& b)
{
    return *this = *this * b;
}

Vector3t<float> Matrix4::operator*(const Vector3t<float>& p) const
{
    const float* m = elements;
    return Vector3t<float>(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
                           m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                           m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]);
}

Vector4t<float> Matrix4::operator*(const Vector4t<float>& v) const
{
    const float* m = elements;
    return Vector4t<float>(m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w,
                           m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,
                           m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w,
                           m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w);
}

Matrix4& Matrix4::Transpose()
{
    for (int c = 0; c < 4; ++c)
        for (int r = c + 1; r < 4; ++r) {
            float swapped = elements[4 * c + r];
            elements[4 * c + r] = elements[4 * r + c];
            elements[4 * r + c] = swapped;
        }
    return *this;
}

// Gauss-Jordan elimination on lines of four consecutive elements (the stored columns).
// Working on columns instead of rows still yields the inverse, since the column operations
// that turn W into the identity, applied to the identity, build W's inverse.
//
// Each step pivots on the line whose element at the step's position is largest in
// magnitude. Pivoting only on an exactly zero diagonal is not enough: the engine's pi is not
// the true pi, so a quarter turn leaves cos(90) = 3e-7 on the diagonal, and dividing by it
// cancels away every digit of the result (a 90 degree turn about x followed by a
// translation of (10, 20, 30) came back off by 2 units).
//
// The matrix is only written after elimination succeeded, so a singular one keeps its values.
bool Matrix4::Invert()
{
    float w[16];
    float r[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        w[i] = elements[i];

    for (int i = 0; i < 4; ++i) {
        int pivot = i;
        for (int j = i + 1; j < 4; ++j)
            if (std::fabs(w[4 * j + i]) > std::fabs(w[4 * pivot + i]))
                pivot = j;
        if (w[4 * pivot + i] == 0.0f)
            return false;
        if (pivot != i) {
            for (int k = 0; k < 4; ++k) {
                std::swap(w[4 * i + k], w[4 * pivot + k]);
                std::swap(r[4 * i + k], r[4 * pivot + k]);
            }
        }
        const float scale = 1.0f / w[5 * i];
        for (int k = 0; k < 4; ++k) {
            w[4 * i + k] *= scale;
            r[4 * i + k] *= scale;
        }
        for (int j = 0; j < 4; ++j) {
            if (j == i)
                continue;
            const float g = w[4 * j + i];
            for (int k = 0; k < 4; ++k) {
                w[4 * j + k] -= g * w[4 * i + k];
                r[4 * j + k] -= g * r[4 * i + k];
            }
        }
    }

    for (int i = 0; i < 16; ++i)
        elements[i] = r[i];
    return true;
}

Matrix3 Matrix4::ToMatrix3() const
{
    Matrix3 m;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            m[3 * c + r] = elements[4 * c + r];
    return m;
}

String Matrix4::ToString() const
{
    String text = String("(") + String(elements[0]);
    for (int i = 1; i < 16; ++i)
        text += String(", ") + String(elements[i]);
    return text + String(")");
}

Matrix4 Matrix4::Identity()
{
    return Matrix4();
}

Matrix4 Matrix4::Translation(float x, float y, float z)
{
    Matrix4 m;
    m.elements[12] = x;
    m.elements[13] = y;
    m.elements[14] = z;
    return m;
}

Matrix4 Matrix4::Scaling(float x, float y, float z)
{
    Matrix4 m;
    m.elements[0] = x;
    m.elements[5] = y;
    m.elements[10] = z;
    return m;
}

Matrix4 Matrix4::Rotation(float angle, float x, float y, float z)
{
    const Matrix3 rotation = Matrix3::Rotation(angle, x, y, z);
    Matrix4 m;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            m.elements[4 * c + r] = rotation[3 * c + r];
    return m;
}

Matrix4 Matrix4::LookAt(const Vector3t<float>& eye, const Vector3t<float>& target,
                        const Vector3t<float>& up)
{
    const Vector3t<float> f = (target - eye).Normalize();
    Vector3t<float> s = f.Cross(up);
    Vector3t<float> u = s.Cross(f);
    u.Normalize();
    s.Normalize();
    Matrix4 m;
    m.elements[0] = s.x;
    m.elements[4] = s.y;
    m.elements[8] = s.z;
    m.elements[1] = u.x;
    m.elements[5] = u.y;
    m.elements[9] = u.z;
    m.elements[2] = -f.x;
    m.elements[6] = -f.y;
    m.elements[10] = -f.z;
    return m * Translation(-eye.x, -eye.y, -eye.z);
}

Matrix4 Matrix4::Perspective(bool glDepth, float fovY, float aspect, float zNear, float zFar)
{
    const float h = fovY / 2.0f / 180.0f * Detail::Pi;
    Matrix4 m;
    if (glDepth) {
        const float cot = std::cos(h) / std::sin(h);
        m.elements[0] = cot / aspect;
        m.elements[5] = cot;
        m.elements[10] = -(zFar + zNear) / (zFar - zNear);
        m.elements[14] = -2.0f * zFar * zNear / (zFar - zNear);
    } else {
        const float cot = 1.0f / std::tan(h);
        m.elements[0] = cot / aspect;
        m.elements[5] = cot;
        m.elements[10] = zFar / (zNear - zFar);
        m.elements[14] = zFar * zNear / (zNear - zFar);
    }
    m.elements[11] = -1.0f;
    m.elements[15] = 0.0f;
    return m;
}

Matrix4& Matrix4::Translate(float x, float y, float z)
{
    return *this *= Translation(x, y, z);
}

Matrix4& Matrix4::Scale(float x, float y, float z)
{
    return *this *= Scaling(x, y, z);
}

Matrix4& Matrix4::Rotate(float angle, float x, float y, float z)
{
    return *this *= Rotation(angle, x, y, z);
}

Matrix4& Matrix4::MultiplyLookAt(const Vector3t<float>& eye, const Vector3t<float>& target,
                                 const Vector3t<float>& up)
{
    return *this *= LookAt(eye, target, up);
}

Matrix4& Matrix4::MultiplyPerspective(bool glDepth, float fovY, float aspect, float zNear,
                                      float zFar)
{
    return *this *= Perspective(glDepth, fovY, aspect, zNear, zFar);
}

}  // namespace Nimbrel::Math
