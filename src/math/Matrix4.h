#pragma once
// Matrix4: a single-precision 4 x 4 matrix, the world, view and projection transforms.
//
// Stored column-major: element (row r, column c) is at index 4c + r, and handed to the
// graphics device in that order. Vectors are columns and the matrix acts from the left: the
// translation of an affine transform lies in elements 12, 13, 14, and A * B applies B first.
// A plain value with no Object base and no heap memory; every operation here is
// allocation-free except the String parse and ToString. Default construction gives the
// identity.
//
// Angles of the builders are in degrees; pi is taken as the float 3.141592.

#include "math/Matrix3.h"
#include "math/Vector3t.h"
#include "math/Vector4t.h"

#include <cassert>

namespace Nimbrel::Math {

class Matrix4 {
public:
    Matrix4();

    // Parses sixteen comma-separated numbers in storage order, optionally in parentheses.
    // Throws "Invalid Matrix4 String" unless there are exactly sixteen pieces, and
    // "Unable to convert string to float" for a piece that is not a number.
    explicit Matrix4(const String& text);

    // Element i in storage order. Unchecked in release builds.
    float& operator[](int i)
    {
        assert(i >= 0 && i < 16);
        return elements[i];
    }
    float operator[](int i) const
    {
        assert(i >= 0 && i < 16);
        return elements[i];
    }
    // The sixteen elements in storage order, as the graphics device takes them.
    const float* Data() const { return elements; }

    Matrix4 operator+(const Matrix4& b) const;
    Matrix4 operator-(const Matrix4& b) const;
    Matrix4 operator+(float s) const;
    Matrix4 operator-(float s) const;
    Matrix4 operator*(float s) const;
    Matrix4 operator*(const Matrix4& b) const;
    Matrix4& operator*=(const Matrix4& b);
    // The point p (w = 1) transformed: the fourth row is ignored and nothing is divided.
    Vector3t<float> operator*(const Vector3t<float>& p) const;
    // The full product with a four-component column.
    Vector4t<float> operator*(const Vector4t<float>& v) const;

    // Exact element-wise equality.
    bool operator==(const Matrix4& b) const = default;

    // In place; returns the matrix.
    Matrix4& Transpose();
    // Replaces the matrix by its inverse and returns true; a singular matrix is left as it
    // was and false returned. Gauss-Jordan elimination with partial pivoting in single
    // precision: only an exactly zero pivot column counts as singular, so a nearly singular
    // matrix inverts to huge values.
    bool Invert();

    // The upper-left 3 x 3.
    Matrix3 ToMatrix3() const;
    // "(e0, e1, ..., e15)", each element with six decimals.
    String ToString() const;

    static Matrix4 Identity();
    static Matrix4 Translation(float x, float y, float z);
    static Matrix4 Scaling(float x, float y, float z);
    // `angle` degrees about the axis (x, y, z), counter-clockwise seen from the axis' tip.
    // An axis whose squared length is not within 1e-7 of 1 is normalised first.
    static Matrix4 Rotation(float angle, float x, float y, float z);
    // View transform: the camera at eye looks down its negative z axis towards target, with
    // `up` tilted into its y axis. eye == target or up parallel to the view gives non-finite
    // elements.
    static Matrix4 LookAt(const Vector3t<float>& eye, const Vector3t<float>& target,
                          const Vector3t<float>& up);
    // Right-handed projection with a vertical field of view of fovY degrees. glDepth picks the
    // depth range of clip space: -1 to 1 when true, 0 to 1 when false.
    static Matrix4 Perspective(bool glDepth, float fovY, float aspect, float zNear, float zFar);

    // In place: the matrix becomes itself * the matrix the builder of the same arguments
    // gives; each returns the matrix.
    Matrix4& Translate(float x, float y, float z);
    Matrix4& Scale(float x, float y, float z);
    Matrix4& Rotate(float angle, float x, float y, float z);
    Matrix4& MultiplyLookAt(const Vector3t<float>& eye, const Vector3t<float>& target,
                            const Vector3t<float>& up);
    Matrix4& MultiplyPerspective(bool glDepth, float fovY, float aspect, float zNear, float zFar);

private:
    float elements[16];
};

}  // namespace Nimbrel::Math
