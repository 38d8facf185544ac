#pragma once
// The value clamping shared by the default slider and gauge, and the fraction of the range a
// value stands for. When the limits cross, the minimum wins; a range whose minimum equals its
// maximum has fraction 0 (never NaN).

namespace Nimbrel::Utils::GUI {

struct ValueRange {
    float minimum = 0.0f;
    float maximum = 100.0f;
    float value = 0.0f;

    void SetMinimum(float m)
    {
        minimum = m;
        if (maximum < value)
            value = maximum;
        if (minimum > value)
            value = minimum;
    }
    void SetMaximum(float x)
    {
        maximum = x;
        if (x < value)
            value = x;
        if (minimum > value)
            value = minimum;
    }
    void SetValue(float v)
    {
        value = v;
        if (v > maximum)
            value = maximum;
        if (minimum > value)
            value = minimum;
    }
    // (value - minimum) / (maximum - minimum) within 0 … 1, or 0 over an empty or inverted
    // range and for a value that is not a number.
    double Fraction() const
    {
        if (!(maximum > minimum))
            return 0.0;
        const double fraction = (double(value) - double(minimum)) / (double(maximum) - double(minimum));
        if (!(fraction >= 0.0))
            return 0.0;
        return fraction > 1.0 ? 1.0 : fraction;
    }
};

}  // namespace Nimbrel::Utils::GUI
