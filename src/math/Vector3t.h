#pragma once
// Vector3t<T>: three components, x, y and z, as a plain value (no Object base, no heap).
// The engine uses Vector3t<float> for positions, directions, axis values and colours. The
// operations that need a square root or an angle (Length, Normalize, Rotate) exist for
// floating-point T only and compute in T's precision.
//
// Default construction leaves the components unset, like a built-in number; write
// `Vector3t<float> v{}` for zeros, or construct from components.
//
// A zero-length vector has no direction: Normalize() and Normalized() then give non-finite
// components. Rotate() leaves a zero vector as it is.

#include "math/ParseFloats.h"

#include <cassert>
#include <cmath>
#include <concepts>

namespace Nimbrel::Math {

template <class T>
class Vector3t {
public:
    T x, y, z;

    Vector3t() = default;
    constexpr Vector3t(T x, T y, T z) : x(x), y(y), z(z) {}

    // Parses "(x, y, z)". Throws "Invalid Vector3 String" when the text does not hold exactly
    // three pieces and "Unable to convert string to float" for a piece that is not a number.
    explicit Vector3t(const String& text)
        requires std::same_as<T, float>
    {
        float values[3];
        ParseFloats(text, values, 3, "Invalid Vector3 String");
        x = values[0];
        y = values[1];
        z = values[2];
    }

    // Component 0 is x, 1 y, 2 z. Unchecked in release builds.
    T& operator[](int i)
    {
        assert(i >= 0 && i < 3);
        return i == 0 ? x : i == 1 ? y : z;
    }
    const T& operator[](int i) const
    {
        assert(i >= 0 && i < 3);
        return i == 0 ? x : i == 1 ? y : z;
    }

    constexpr Vector3t operator+(const Vector3t& b) const
    {
        return Vector3t(x + b.x, y + b.y, z + b.z);
    }
    constexpr Vector3t operator-(const Vector3t& b) const
    {
        return Vector3t(x - b.x, y - b.y, z - b.z);
    }
    constexpr Vector3t operator-() const { return Vector3t(-x, -y, -z); }
    constexpr Vector3t operator*(T s) const { return Vector3t(x * s, y * s, z * s); }
    Vector3t& operator+=(const Vector3t& b) { return *this = *this + b; }
    Vector3t& operator-=(const Vector3t& b) { return *this = *this - b; }
    constexpr bool operator==(const Vector3t& b) const { return x == b.x && y == b.y && z == b.z; }

    constexpr T Dot(const Vector3t& b) const { return x * b.x + y * b.y + z * b.z; }

    constexpr Vector3t Cross(const Vector3t& b) const
    {
        return Vector3t(y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x);
    }

    T Length() const
        requires std::floating_point<T>
    {
        return std::sqrt(x * x + y * y + z * z);
    }

    // Scales the vector to unit length and returns it.
    Vector3t& Normalize()
        requires std::floating_point<T>
    {
        const T k = T(1) / Length();
        x *= k;
        y *= k;
        z *= k;
        return *this;
    }

    Vector3t Normalized() const
        requires std::floating_point<T>
    {
        return Vector3t(*this).Normalize();
    }

    // Turns the vector by `angle` radians about `axis` (which need not be unit length) and
    // keeps its length; returns the vector. Seen from the tip of the axis towards the origin
    // a positive angle turns clockwise: the opposite sense of Matrix4::Rotation, whose
    // transpose this is.
    Vector3t& Rotate(T angle, const Vector3t& axis)
        requires std::floating_point<T>
    {
        const T length = Length();
        if (length == T(0))
            return *this;
        const Vector3t n = axis.Normalized();
        const T a = n.x, b = n.y, c = n.z;
        const T co = std::cos(angle), si = std::sin(angle), k = T(1) - co;
        Vector3t turned((co + k * a * a) * x + (k * a * b + si * c) * y + (k * a * c - si * b) * z,
                        (k * a * b - si * c) * x + (co + k * b * b) * y + (k * b * c + si * a) * z,
                        (k * a * c + si * b) * x + (k * b * c - si * a) * y + (co + k * c * c) * z);
        // Renormalised so that rounding never lets the length drift over repeated turns.
        *this = turned.Normalize() * length;
        return *this;
    }
};

using Vector3 = Vector3t<float>;

}  // namespace Nimbrel::Math
