#pragma once
// Block: one track group placed on the timeline from start for length qticks, with its own
// pattern (curve) for every track the group had when the block was made.
//
// The block holds a counted reference to its group and owns its patterns. A group that gains
// tracks later leaves older blocks without patterns for them: GetPattern returns null there.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Object.h"
#include "utils/studio/Pattern.h"
#include "utils/studio/TrackGroup.h"

namespace Nimbrel::Utils::Studio {

class Block : public Object {
public:
    // One empty pattern per track of the group; throws for a null group.
    Block(int start, int length, TrackGroup* group);
    // The same start, length and group, with clones of the patterns; one reference for the
    // caller.
    Block* Clone() const;

    TrackGroup* GetGroup() const { return group.Get(); }
    int GetPatternCount() const { return patterns.Count(); }
    // The pattern of track index of the group, or null when the block has none for it.
    Pattern* GetPattern(int index) const
    {
        return static_cast<uint32_t>(index) < static_cast<uint32_t>(patterns.Count()) ? patterns.Data()[index].Get() : nullptr;
    }

    int GetStart() const { return start; }
    void SetStart(int start) { this->start = start; }
    int GetLength() const { return length; }
    void SetLength(int length) { this->length = length; }

private:
    Managed<TrackGroup> group;
    Array<Managed<Pattern>> patterns;
    int32_t start;
    int32_t length;
};

}  // namespace Nimbrel::Utils::Studio
