#pragma once
// SyncData: what makes probes move with the music. Named tracks, groups of tracks, blocks
// that place a group on the timeline with a curve per track, and bindings from tracks to the
// probes they drive. Once per frame the Studio resets every probe and calls Evaluate with the
// current musical time; every active block writes its curves' values into the bound probes.
//
// All times are qticks (16 per beat) as 32-bit integers; the evaluation time is a double.
//
// Lists and identities:
// - tracks and groups are only ever appended (RemoveTrackGroup is the one removal); a track's
//   position in the track list is its identity in the file;
// - a deleted block leaves an empty (null) slot, so block indices stay stable, across save and
//   load too;
// - every block in the list belongs to a group in the group list: CreateBlock and AddBlock
//   refuse other groups, and RemoveTrackGroup deletes the group's blocks.
//
// The file "syncdata.bin" (little-endian, no padding; a string is an int32 length and its
// bytes):
//   int32 trackCount, then trackCount x string name
//   int32 groupCount, then per group: string name, int32 n, n x int32 track index
//   int32 blockCount, then per slot: int32 -1 for an empty slot, or int32 start, int32 length,
//     int32 group index, int32 patternCount (= the group's track count), and per pattern:
//     int32 keyCount, keyCount x (int32 interpolation, float leftValue, float rightValue,
//     int32 time)
//   int32 bindingCount, then per bound track, in track order: int32 track index,
//     int32 probeCount, probeCount x string probe full name (with its leading dot)
// Save checks the data first and throws, leaving the old file untouched, when it could not be
// read back (a block starting at -1 would read as an empty slot); then it writes a temporary
// file, reads it back to compare, and renames it over "syncdata.bin" (a rename the native file
// system flushes to the disk); a temporary file that failed is deleted where the folder can
// delete files. Load reads the whole file
// into new lists, validating every count, index and key order, and takes them over only when
// all of it was read; a bad file throws with the data in memory unchanged.
//
// Main thread only.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Object.h"
#include "core/String.h"
#include "utils/ProbeProxy.h"
#include "utils/studio/Block.h"
#include "utils/studio/TrackGroup.h"

namespace Nimbrel::IO {
class FileSystem;
}

namespace Nimbrel::Utils::Studio {

class SyncData : public Object {
public:
    // Binds probes of the global proxy; throws "No Global ProbeProxy" when there is none.
    SyncData();
    // Binds probes of the given proxy, which it keeps a counted reference to.
    explicit SyncData(ProbeProxy* probes);
    SyncData(const SyncData&) = delete;
    SyncData& operator=(const SyncData&) = delete;

    int AddTrack(const String& name);
    int GetTrackCount() const { return tracks.Count(); }
    Track* GetTrack(int index) const { return tracks[index].Get(); }
    int IndexOfTrack(const Track* track) const;

    int AddTrackGroup(const String& name);
    int GetTrackGroupCount() const { return groups.Count(); }
    TrackGroup* GetTrackGroup(int index) const { return groups[index].Get(); }
    // -1 when the group is not in the list.
    int IndexOfTrackGroup(const TrackGroup* group) const;
    // Removes the group and deletes its blocks (their slots become empty). Throws "The Array
    // doesn't contain the given value" for a group that is not in the list.
    void RemoveTrackGroup(TrackGroup* group);

    // Appends probe (a node of this sync data's probe proxy) to the track's binding.
    void BindProbe(int trackIndex, Probe* probe);
    // The probes the track drives, or null when it has no binding.
    const Array<Probe*>* GetBinding(int trackIndex) const;

    // Both throw when the group is not in this sync data's group list. AddBlock takes its own
    // counted reference; the caller keeps its own.
    int CreateBlock(int start, int length, TrackGroup* group);
    int AddBlock(Block* block);
    int GetBlockCount() const { return blocks.Count(); }
    // Null for an empty slot.
    Block* GetBlock(int index) const { return blocks[index].Get(); }
    // start += delta for a non-empty slot; throws when the start would leave the 32-bit range.
    void MoveBlock(int index, int delta);
    // Releases the block and leaves its slot empty.
    void DeleteBlock(int index);

    // Writes the value of every bound track of every block active at t (start < t < start +
    // length) into its probes; later blocks overwrite earlier ones. Probes are not reset here.
    void Evaluate(double t);

    static constexpr const char* FileName = "syncdata.bin";
    static constexpr const char* TemporaryFileName = "syncdata.bin.tmp";

    void Save(IO::FileSystem* folder) const;
    // Save without the final rename: leaves the checked file under TemporaryFileName, for a
    // caller that replaces several files together.
    void SaveTemporary(IO::FileSystem* folder) const;
    void Load(IO::FileSystem* folder);

    ProbeProxy* GetProbeProxy() const { return probes.Get(); }

private:
    Managed<ProbeProxy> probes;
    Array<Managed<TrackGroup>> groups;
    Array<Managed<Track>> tracks;
    Array<Managed<Block>> blocks;
};

}  // namespace Nimbrel::Utils::Studio
