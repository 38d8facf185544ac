#pragma once
// Matrix3: a single-precision 3 x 3 matrix, the rotation and scale part of a Matrix4.
//
// Stored column-major: element (row r, column c) is at index 3c + r. Vectors are columns and
// the matrix acts from the left, so A * B applies B first. A plain value: no Object base, no
// heap. Default construction gives the identity. There is no translation, look-at,
// perspective or inversion at this size.

#include "math/Vector3t.h"

#include <cassert>

namespace Nimbrel::Math {

namespace Detail {
// The value of pi the matrix builders use to turn degrees into radians: the float nearest
// 3.141592, a little below the true pi, so that results match across every user.
inline constexpr float Pi = 3.141592f;
}  // namespace Detail

class Matrix3 {
public:
    Matrix3();

    // Parses nine comma-separated numbers in storage order, optionally in parentheses.
    // Throws "Invalid Matrix3 String" unless there are exactly nine pieces, and
    // "Unable to convert string to float" for a piece that is not a number.
    explicit Matrix3(const String& text);

    // Element i in storage order. Unchecked in release builds.
    float& operator[](int i)
    {
        assert(i >= 0 && i < 9);
        return elements[i];
    }
    float operator[](int i) const
    {
        assert(i >= 0 && i < 9);
        return elements[i];
    }
    // The nine elements in storage order, as the graphics device takes them.
    const float* Data() const { return elements; }

    Matrix3 operator+(const Matrix3& b) const;
    Matrix3 operator-(const Matrix3& b) const;
    Matrix3 operator+(float s) const;
    Matrix3 operator-(float s) const;
    Matrix3 operator*(float s) const;
    Matrix3 operator*(const Matrix3& b) const;
    Matrix3& operator*=(const Matrix3& b);
    Vector3t<float> operator*(const Vector3t<float>& v) const;

    // Exact element-wise equality.
    bool operator==(const Matrix3& b) const = default;

    // In place; returns the matrix.
    Matrix3& Transpose();

    // "(e0, e1, ..., e8)", each element with six decimals.
    String ToString() const;

    static Matrix3 Identity();
    static Matrix3 Scaling(float x, float y, float z);
    // `angle` in degrees about the axis (x, y, z), counter-clockwise seen from the axis' tip.
    // An axis whose squared length is not within 1e-7 of 1 is normalised first.
    static Matrix3 Rotation(float angle, float x, float y, float z);

    // In place: the matrix becomes itself * the matrix the builder of the same name gives.
    Matrix3& Scale(float x, float y, float z);
    Matrix3& Rotate(float angle, float x, float y, float z);

private:
    float elements[9];
};

}  // namespace Nimbrel::Math
