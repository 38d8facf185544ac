// SyncData::Save and SyncData::Load: the "syncdata.bin" file (layout in SyncData.h).
//
// Both work on the whole file in memory. Save encodes and checks everything before it opens
// a file, so data it refuses never reaches the disk; Load decodes everything into new lists
// before it touches the sync data or registers a probe, so a bad file changes nothing.

#include "utils/studio/SyncData.h"

#include "core/Exception.h"
#include "io/ByteReader.h"
#include "io/ByteWriter.h"
#include "io/FileSystem.h"
#include "io/Stream.h"
#include "io/StreamBytes.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Nimbrel::Utils::Studio {

namespace SyncDataFileDetail {

const char* const TemporaryName = SyncData::TemporaryFileName;

const char* const LoadPrefix = "SyncData::Load(): ";

}  // namespace SyncDataFileDetail

void SyncData::Save(IO::FileSystem* folder) const
{
    SaveTemporary(folder);
    folder->MoveFile(TemporaryFileName, FileName);
}

void SyncData::SaveTemporary(IO::FileSystem* folder) const
{
    using namespace SyncDataFileDetail;
    if (!folder)
        throw Exception("SyncData::Save(): No folder given");

    std::unordered_map<const Track*, int> trackIndex;
    for (int i = 0; i < tracks.Count(); ++i)
        trackIndex.emplace(tracks[i].Get(), i);

    IO::ByteWriter out;
    out.I32(tracks.Count());
    for (const Managed<Track>& track : tracks)
        out.Text(track->GetName());

    out.I32(groups.Count());
    for (const Managed<TrackGroup>& group : groups) {
        out.Text(group->GetName());
        out.I32(group->GetTrackCount());
        for (int j = 0; j < group->GetTrackCount(); ++j) {
            auto found = trackIndex.find(group->GetTrack(j));
            if (found == trackIndex.end())
                throw Exception("SyncData::Save(): The track group " + group->GetName() + " holds a track that is not in the track list");
            out.I32(found->second);
        }
    }

    out.I32(blocks.Count());
    for (int i = 0; i < blocks.Count(); ++i) {
        const Block* block = blocks[i].Get();
        if (!block) {
            out.I32(-1);
            continue;
        }
        if (block->GetStart() == -1)
            throw Exception(String::Format("SyncData::Save(): Block %d starts at -1, which the file keeps for empty slots", i));
        int group = IndexOfTrackGroup(block->GetGroup());
        if (group < 0)
            throw Exception(String::Format("SyncData::Save(): Block %d belongs to a track group that is not in the group list", i));
        out.I32(block->GetStart());
        out.I32(block->GetLength());
        out.I32(group);
        // A group that gained tracks after the block was made gets empty patterns for them,
        // so the file holds one pattern per track.
        int patternCount = block->GetGroup()->GetTrackCount();
        out.I32(patternCount);
        for (int j = 0; j < patternCount; ++j) {
            const Pattern* pattern = block->GetPattern(j);
            int keyCount = pattern ? pattern->GetKeyCount() : 0;
            out.I32(keyCount);
            for (int k = 0; k < keyCount; ++k) {
                const Key& key = pattern->GetKeyAt(k);
                if (key.interpolation < InterpolationStep || key.interpolation > InterpolationCosine)
                    throw Exception(String::Format("SyncData::Save(): Block %d, pattern %d has a key with the invalid interpolation %d", i, j,
                                                   key.interpolation));
                out.I32(key.interpolation);
                out.F32(key.leftValue);
                out.F32(key.rightValue);
                out.I32(key.time);
            }
        }
    }

    // In track order, so that equal data always gives equal bytes.
    int bindingCount = 0;
    for (const Managed<Track>& track : tracks)
        bindingCount += track->bound ? 1 : 0;
    out.I32(bindingCount);
    for (int i = 0; i < tracks.Count(); ++i) {
        const Track* track = tracks[i].Get();
        if (!track->bound)
            continue;
        out.I32(i);
        out.I32(track->probes.Count());
        for (const Probe* probe : track->probes) {
            String name = probes->GetRoot()->FindPath(probe);
            if (name.Length() == 0)
                throw Exception(String::Format("SyncData::Save(): A probe bound to track %d is not in the probe proxy", i));
            out.Text(name);
        }
    }

    // Only now is a file touched. The old file is replaced only by a complete new one; one
    // that could not be written or read back whole is removed where the folder allows.
    try {
        {
            Managed<IO::Stream> stream(folder->OpenFile(TemporaryName, IO::FileModeWrite));
            IO::WriteAll(stream.Get(), out);
        }
        Managed<IO::Stream> stream(folder->OpenFile(TemporaryName, IO::FileModeRead));
        std::vector<uint8_t> written = IO::ReadToEnd(stream.Get());
        if (!std::equal(written.begin(), written.end(), out.Data(), out.Data() + out.Size()))
            throw Exception("SyncData::Save(): The temporary file syncdata.bin.tmp did not read back as written");
    } catch (const Exception&) {
        if (folder->CanDeleteFiles()) {
            try {
                folder->DeleteFile(TemporaryName);
            } catch (const Exception&) {
                // The first failure is the one worth reporting.
            }
        }
        throw;
    }
}

void SyncData::Load(IO::FileSystem* folder)
{
    using namespace SyncDataFileDetail;
    if (!folder)
        throw Exception("SyncData::Load(): No folder given");

    std::vector<uint8_t> bytes;
    {
        Managed<IO::Stream> stream(folder->OpenFile(FileName, IO::FileModeRead));
        bytes = IO::ReadToEnd(stream.Get());
    }
    IO::ByteReader in(bytes.data(), bytes.size(), LoadPrefix);

    Array<Managed<Track>> newTracks;
    int trackCount = in.Count("track count", 4);
    newTracks.Reserve(trackCount);
    for (int i = 0; i < trackCount; ++i)
        newTracks.Add(Managed<Track>(new Track(in.Text())));

    Array<Managed<TrackGroup>> newGroups;
    int groupCount = in.Count("track group count", 8);
    newGroups.Reserve(groupCount);
    for (int i = 0; i < groupCount; ++i) {
        Managed<TrackGroup> group(new TrackGroup());
        group->SetName(in.Text());
        int n = in.Count("group track count", 4);
        for (int j = 0; j < n; ++j) {
            int index = in.I32();
            if (index < 0 || index >= trackCount)
                throw Exception(String::Format("SyncData::Load(): Track group %d names the track %d of %d", i, index, trackCount));
            group->AddTrack(newTracks[index].Get());
        }
        newGroups.Add(std::move(group));
    }

    Array<Managed<Block>> newBlocks;
    int blockCount = in.Count("block count", 4);
    newBlocks.Reserve(blockCount);
    for (int i = 0; i < blockCount; ++i) {
        int start = in.I32();
        if (start == -1) {
            newBlocks.AddEmpty();
            continue;
        }
        int length = in.I32();
        int groupIndex = in.I32();
        if (groupIndex < 0 || groupIndex >= groupCount)
            throw Exception(String::Format("SyncData::Load(): Block %d names the track group %d of %d", i, groupIndex, groupCount));
        TrackGroup* group = newGroups[groupIndex].Get();
        int patternCount = in.Count("pattern count", 4);
        if (patternCount != group->GetTrackCount())
            throw Exception(String::Format("SyncData::Load(): Block %d has %d patterns but its track group has %d tracks", i, patternCount,
                                           group->GetTrackCount()));
        Managed<Block> block(new Block(start, length, group));
        for (int j = 0; j < patternCount; ++j) {
            Pattern* pattern = block->GetPattern(j);
            int keyCount = in.Count("key count", 16);
            int64_t previous = INT64_MIN;
            for (int k = 0; k < keyCount; ++k) {
                Key key;
                key.interpolation = in.I32();
                key.leftValue = in.F32();
                key.rightValue = in.F32();
                key.time = in.I32();
                if (key.interpolation < InterpolationStep || key.interpolation > InterpolationCosine)
                    throw Exception(String::Format("SyncData::Load(): Block %d, pattern %d has a key with the invalid interpolation %d", i, j,
                                                   key.interpolation));
                if (key.time <= previous)
                    throw Exception(String::Format("SyncData::Load(): Block %d, pattern %d has keys out of time order", i, j));
                previous = key.time;
                pattern->SetKey(key);
            }
        }
        newBlocks.Add(std::move(block));
    }

    std::vector<std::pair<int, std::vector<String>>> bindings;
    std::vector<bool> boundTracks(static_cast<size_t>(trackCount), false);
    int bindingCount = in.Count("binding count", 8);
    for (int i = 0; i < bindingCount; ++i) {
        int index = in.I32();
        if (index < 0 || index >= trackCount)
            throw Exception(String::Format("SyncData::Load(): Binding %d names the track %d of %d", i, index, trackCount));
        if (boundTracks[static_cast<size_t>(index)])
            throw Exception(String::Format("SyncData::Load(): The track %d is bound twice", index));
        boundTracks[static_cast<size_t>(index)] = true;
        std::vector<String> names;
        int probeCount = in.Count("probe count", 4);
        for (int j = 0; j < probeCount; ++j)
            names.push_back(in.Text());
        bindings.emplace_back(index, std::move(names));
    }
    if (in.Remaining() != 0)
        throw Exception(String::Format("SyncData::Load(): The file goes on past the end of the sync data, at byte %zu", in.Position()));

    // The whole file is valid: register its probes and take the new lists over.
    for (auto& [index, names] : bindings) {
        Track* track = newTracks[index].Get();
        track->bound = true;
        for (const String& name : names)
            track->probes.Add(probes->GetProbe(name));
    }
    tracks.Swap(newTracks);
    groups.Swap(newGroups);
    blocks.Swap(newBlocks);
}

}  // namespace Nimbrel::Utils::Studio
