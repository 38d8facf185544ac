#pragma once
// Vector2t<T>: two components, x and y, as a plain value (no Object base, no heap).
// The engine uses Vector2t<int> for pixel positions, sizes and the screen resolution.
//
// Default construction leaves the components unset, like a built-in number; write
// `Vector2t<int> v{}` for zeros, or construct from components.

#include "math/ParseFloats.h"

#include <cassert>
#include <concepts>

namespace Nimbrel::Math {

template <class T>
class Vector2t {
public:
    T x, y;

    Vector2t() = default;
    constexpr Vector2t(T x, T y) : x(x), y(y) {}

    // Parses "(x, y)"; each number is truncated toward zero. Throws "Invalid Vector2 String"
    // when the text does not hold exactly two pieces or a number does not fit an int, and
    // "Unable to convert string to float" for a piece that is not a number.
    explicit Vector2t(const String& text)
        requires std::same_as<T, int>
    {
        float values[2];
        ParseFloats(text, values, 2, "Invalid Vector2 String");
        x = TruncateToInt(values[0], "Invalid Vector2 String");
        y = TruncateToInt(values[1], "Invalid Vector2 String");
    }

    // Component 0 is x, 1 is y. Unchecked in release builds.
    T& operator[](int i)
    {
        assert(i >= 0 && i < 2);
        return i == 0 ? x : y;
    }
    const T& operator[](int i) const
    {
        assert(i >= 0 && i < 2);
        return i == 0 ? x : y;
    }

    constexpr Vector2t operator+(const Vector2t& b) const { return Vector2t(x + b.x, y + b.y); }
    constexpr Vector2t operator-(const Vector2t& b) const { return Vector2t(x - b.x, y - b.y); }
    constexpr bool operator==(const Vector2t& b) const { return x == b.x && y == b.y; }
};

}  // namespace Nimbrel::Math
