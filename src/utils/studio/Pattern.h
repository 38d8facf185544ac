#pragma once
// Pattern: the curve of one track inside one block, a list of keys sorted by time with at
// most one key per time.
//
// Evaluate(t) remembers where it found t (the cursor), so evaluating at steadily increasing
// times, as playback does, costs constant work per call; a jump far away (a seek) is found by
// binary search instead of walking every key in between. The value at a time never depends on
// which times were evaluated before:
// - before the first key the first segment extrapolates (a single key gives its leftValue);
// - at a key's time, a curve that arrives from an earlier key shows the arriving segment's
//   end (the key's leftValue for linear and cosine segments, the held value for a step), and
//   the first key shows its rightValue;
// - after the last key, the last key's rightValue.
// A key whose interpolation is not 0, 1 or 2 throws "Invalid InterpolationMode" when a segment
// starting at it is evaluated.

#include "core/Array.h"
#include "core/Object.h"
#include "utils/studio/Key.h"

namespace Nimbrel::Utils::Studio {

class Pattern : public Object {
public:
    Pattern() = default;
    // A new pattern with the same keys and cursor; one reference for the caller.
    Pattern* Clone() const;

    // Overwrites the key at key.time (all four fields) or inserts the key in time order;
    // returns the stored key.
    Key SetKey(const Key& key);
    // The key at exactly that time.
    bool GetKey(int time, Key& out) const;
    // The last key strictly before, and the first key strictly after, time.
    bool GetKeyBefore(int time, Key& out) const;
    bool GetKeyAfter(int time, Key& out) const;
    // Appends, in time order, every key with start <= time < start + length.
    void CollectKeys(int start, int length, Array<Key>& out) const;
    // Removes every key with start <= time < start + length.
    void RemoveKeys(int start, int length);

    // The curve's value at t qticks from the block start.
    float Evaluate(double t);

    int GetKeyCount() const { return keys.Count(); }
    const Key& GetKeyAt(int index) const { return keys[index]; }
    int GetCursor() const { return cursor; }

private:
    // First index whose key time is >= time (keys.Count() when none).
    int LowerBound(int64_t time) const;

    int32_t cursor = 0;
    Array<Key> keys;
};

}  // namespace Nimbrel::Utils::Studio
