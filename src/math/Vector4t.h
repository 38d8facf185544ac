#pragma once
// Vector4t<T>: four components, x, y, z and w, as a plain value (no Object base, no heap).
// Vector4t<unsigned char> is the engine's RGBA colour (red, green, blue, alpha, each 0-255);
// Vector4t<float> is what a Matrix4 gives for a full four-component product.
//
// Default construction leaves the components unset, like a built-in number; write
// `Vector4t<float> v{}` for zeros, or construct from components.

#include <cassert>

namespace Nimbrel::Math {

template <class T>
class Vector4t {
public:
    T x, y, z, w;

    Vector4t() = default;
    constexpr Vector4t(T x, T y, T z, T w) : x(x), y(y), z(z), w(w) {}

    // Component 0 is x, 1 y, 2 z, 3 w. Unchecked in release builds.
    T& operator[](int i)
    {
        assert(i >= 0 && i < 4);
        return i == 0 ? x : i == 1 ? y : i == 2 ? z : w;
    }
    const T& operator[](int i) const
    {
        assert(i >= 0 && i < 4);
        return i == 0 ? x : i == 1 ? y : i == 2 ? z : w;
    }

    constexpr bool operator==(const Vector4t& b) const
    {
        return x == b.x && y == b.y && z == b.z && w == b.w;
    }
};

}  // namespace Nimbrel::Math
