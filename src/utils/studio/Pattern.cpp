#include "utils/studio/Pattern.h"

#include "core/Exception.h"

#include <algorithm>
#include <cmath>

namespace Nimbrel::Utils::Studio {

namespace PatternDetail {
// Steps the cursor may walk before a search takes over; playback moves it by at most one or
// two keys per frame.
constexpr int WalkLimit = 8;
constexpr double Pi = 3.141592653589793;
}  // namespace PatternDetail

Pattern* Pattern::Clone() const
{
    Pattern* copy = new Pattern();
    copy->cursor = cursor;
    copy->keys = keys;
    return copy;
}

int Pattern::LowerBound(int64_t time) const
{
    const Key* first = keys.Data();
    const Key* last = first + keys.Count();
    return static_cast<int>(std::lower_bound(first, last, time, [](const Key& key, int64_t t) { return key.time < t; }) - first);
}

Key Pattern::SetKey(const Key& key)
{
    int index = LowerBound(key.time);
    if (index < keys.Count() && keys[index].time == key.time) {
        keys[index] = key;
        return key;
    }
    keys.Add(key);
    Key* data = keys.Data();
    std::rotate(data + index, data + keys.Count() - 1, data + keys.Count());
    return key;
}

bool Pattern::GetKey(int time, Key& out) const
{
    int index = LowerBound(time);
    if (index < keys.Count() && keys[index].time == time) {
        out = keys[index];
        return true;
    }
    return false;
}

bool Pattern::GetKeyBefore(int time, Key& out) const
{
    int index = LowerBound(time) - 1;
    if (index < 0)
        return false;
    out = keys[index];
    return true;
}

bool Pattern::GetKeyAfter(int time, Key& out) const
{
    int index = LowerBound(int64_t(time) + 1);
    if (index >= keys.Count())
        return false;
    out = keys[index];
    return true;
}

void Pattern::CollectKeys(int start, int length, Array<Key>& out) const
{
    int64_t end = int64_t(start) + length;
    for (int i = LowerBound(start); i < keys.Count() && keys[i].time < end; ++i)
        out.Add(keys[i]);
}

void Pattern::RemoveKeys(int start, int length)
{
    int from = LowerBound(start);
    int to = std::max(from, LowerBound(int64_t(start) + length));
    if (from == to)
        return;
    Key* data = keys.Data();
    std::move(data + to, data + keys.Count(), data + from);
    keys.SetSize(keys.Count() - (to - from));
}

float Pattern::Evaluate(double t)
{
    const int count = keys.Count();
    if (count == 0)
        return 0.0f;
    const Key* k = keys.Data();

    // The cursor settles on the last key before t (or the first key when none is before t),
    // whichever way it comes from: stopping the backward walk at a key exactly at t would make
    // the value there depend on the direction of travel.
    int c = std::clamp(cursor, 0, count - 1);
    int steps = 0;
    while (c > 0 && k[c].time >= t && steps <= PatternDetail::WalkLimit) {
        --c;
        ++steps;
    }
    while (c < count - 1 && k[c + 1].time < t && steps <= PatternDetail::WalkLimit) {
        ++c;
        ++steps;
    }
    if (steps > PatternDetail::WalkLimit) {
        const Key* after = std::lower_bound(k, k + count, t, [](const Key& key, double time) { return key.time < time; });
        c = std::max(0, static_cast<int>(after - k) - 1);
    }
    cursor = c;

    if (c == count - 1)
        return t < k[c].time ? k[c].leftValue : k[c].rightValue;

    const Key& k0 = k[c];
    const Key& k1 = k[c + 1];
    float a = k0.rightValue;
    float b = k1.leftValue;
    float u = static_cast<float>((t - k0.time) / (double(k1.time) - double(k0.time)));
    switch (k0.interpolation) {
    case InterpolationStep:
        return a;
    case InterpolationLinear:
        return a + (b - a) * u;
    case InterpolationCosine:
        return a + (b - a) * static_cast<float>(0.5 - 0.5 * std::cos(PatternDetail::Pi * u));
    default:
        throw Exception("Invalid InterpolationMode");
    }
}

}  // namespace Nimbrel::Utils::Studio
