#pragma once
// Track and TrackGroup: the named curves of the sync data and the sets of them that blocks
// place on the timeline.
//
// A Track is identified in files by its position in the sync data's track list; it also
// carries its binding, the probes it drives (set through SyncData::BindProbe). A TrackGroup
// lists tracks in the order that pairs them with a block's patterns: pattern i of a block
// belongs to track i of its group.
//
// Both are counted: the sync data holds its tracks and groups, a group holds its tracks and a
// block holds its group. Whatever a Tracker, a clipboard or a selection still holds therefore
// stays valid after its group was removed or new data was loaded.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Object.h"
#include "core/String.h"
#include "utils/ProbeProxy.h"

namespace Nimbrel::Utils::Studio {

class SyncData;

class Track : public Object {
public:
    explicit Track(const String& name) : name(name) {}

    const String& GetName() const { return name; }
    // True once the track has a binding, even one with no probes.
    bool HasBinding() const { return bound; }
    const Array<Probe*>& GetProbes() const { return probes; }

private:
    friend class SyncData;

    String name;
    bool bound = false;
    Array<Probe*> probes;  // nodes of the sync data's probe proxy
};

class TrackGroup : public Object {
public:
    TrackGroup() = default;

    const String& GetName() const { return name; }
    void SetName(const String& name) { this->name = name; }

    int GetTrackCount() const { return tracks.Count(); }
    Track* GetTrack(int index) const { return tracks[index].Get(); }
    // Appends the track, taking a counted reference. Blocks made before keep their patterns
    // and have none for the new track (Block::GetPattern returns null).
    void AddTrack(Track* track);
    // Reverses the track order (a group built from a probe tree walk collects its tracks
    // last first).
    void ReverseTracks();

private:
    String name;
    Array<Managed<Track>> tracks;
};

}  // namespace Nimbrel::Utils::Studio
