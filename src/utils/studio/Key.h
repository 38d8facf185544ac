#pragma once
// Key: one point of a sync curve, a plain value (16 bytes in files).
//
// A key carries two values so that a curve can jump at it: the segment that ends at a key
// arrives at its leftValue, the segment that starts there leaves with its rightValue. The
// interpolation says how the curve runs from this key to the next. Times are qticks from the
// start of the block.

#include <cstdint>

namespace Nimbrel::Utils::Studio {

enum Interpolation : int32_t {
    InterpolationStep = 0,    // hold rightValue until the next key
    InterpolationLinear = 1,
    InterpolationCosine = 2,  // ease in and out
};

struct Key {
    int32_t interpolation = InterpolationLinear;
    float leftValue = 0.0f;
    float rightValue = 0.0f;
    int32_t time = 0;

    bool operator==(const Key&) const = default;
};

}  // namespace Nimbrel::Utils::Studio
