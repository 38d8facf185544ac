// SyncData::Save and SyncData::Load: the "syncdata.bin" file (layout in SyncData.h).
//
// Both work on the whole file in memory. Save encodes and checks everything before it opens
// a file, so data it refuses never reaches the disk; Load decodes everything into new lists
// before it touches the sync data or registers a probe, so a bad file changes nothing.

#include "utils/studio/SyncData.h"

#include "core/Exception.h"
#include "io/FileSystem.h"
#include "io/Stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Nimbrel::Utils::Studio {

namespace SyncDataFileDetail {

const char* const FileName = "syncdata.bin";
const char* const TemporaryName = "syncdata.bin.tmp";

class Writer {
public:
    void Int32(int32_t value)
    {
        uint32_t bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
    void Float(float value)
    {
        int32_t bits;
        std::memcpy(&bits, &value, 4);
        Int32(bits);
    }
    void Text(const String& text)
    {
        Int32(text.Length());
        bytes.insert(bytes.end(), text.CStr(), text.CStr() + text.Length());
    }

    std::vector<uint8_t> bytes;
};

// Every read is checked against the bytes left; a count is checked against the bytes its
// items need at the least, so nothing is allocated for data the file does not hold.
class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes(bytes) {}

    size_t Remaining() const { return bytes.size() - position; }
    size_t Position() const { return position; }

    int32_t Int32()
    {
        if (Remaining() < 4)
            throw Exception(String::Format("SyncData::Load(): The file ends early, at byte %zu", bytes.size()));
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits |= uint32_t(bytes[position + i]) << (8 * i);
        position += 4;
        return static_cast<int32_t>(bits);
    }
    float Float()
    {
        int32_t bits = Int32();
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    String Text()
    {
        int32_t length = Int32();
        if (length < 0 || static_cast<size_t>(length) > Remaining())
            throw Exception(String::Format("SyncData::Load(): Invalid string length %d at byte %zu", length, position - 4));
        String text(reinterpret_cast<const char*>(bytes.data() + position), length);
        position += static_cast<size_t>(length);
        return text;
    }
    // A count of items that take at least itemBytes each in the file.
    int32_t Count(const char* what, size_t itemBytes)
    {
        int32_t count = Int32();
        if (count < 0 || static_cast<uint64_t>(count) * itemBytes > Remaining())
            throw Exception(String::Format("SyncData::Load(): Invalid %s %d at byte %zu", what, count, position - 4));
        return count;
    }

private:
    const std::vector<uint8_t>& bytes;
    size_t position = 0;
};

std::vector<uint8_t> ReadAll(IO::Stream* stream)
{
    std::vector<uint8_t> bytes;
    if (stream->IsSeekable())
        bytes.reserve(static_cast<size_t>(std::max(0, stream->GetLength())));
    uint8_t chunk[65536];
    for (;;) {
        int n = stream->Read(chunk, 1, sizeof(chunk));
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

void WriteAll(IO::Stream* stream, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        int piece = static_cast<int>(std::min<size_t>(bytes.size() - done, 1 << 20));
        int n = stream->Write(bytes.data() + done, 1, piece);
        if (n <= 0)
            throw Exception("Unable to write data to stream");
        done += static_cast<size_t>(n);
    }
    stream->Flush();
}

}  // namespace SyncDataFileDetail

void SyncData::Save(IO::FileSystem* folder) const
{
    using namespace SyncDataFileDetail;
    if (!folder)
        throw Exception("SyncData::Save(): No folder given");

    std::unordered_map<const Track*, int> trackIndex;
    for (int i = 0; i < tracks.Count(); ++i)
        trackIndex.emplace(tracks[i].Get(), i);

    Writer out;
    out.Int32(tracks.Count());
    for (const Managed<Track>& track : tracks)
        out.Text(track->GetName());

    out.Int32(groups.Count());
    for (const Managed<TrackGroup>& group : groups) {
        out.Text(group->GetName());
        out.Int32(group->GetTrackCount());
        for (int j = 0; j < group->GetTrackCount(); ++j) {
            auto found = trackIndex.find(group->GetTrack(j));
            if (found == trackIndex.end())
                throw Exception("SyncData::Save(): The track group " + group->GetName() + " holds a track that is not in the track list");
            out.Int32(found->second);
        }
    }

    out.Int32(blocks.Count());
    for (int i = 0; i < blocks.Count(); ++i) {
        const Block* block = blocks[i].Get();
        if (!block) {
            out.Int32(-1);
            continue;
        }
        if (block->GetStart() == -1)
            throw Exception(String::Format("SyncData::Save(): Block %d starts at -1, which the file keeps for empty slots", i));
        int group = IndexOfTrackGroup(block->GetGroup());
        if (group < 0)
            throw Exception(String::Format("SyncData::Save(): Block %d belongs to a track group that is not in the group list", i));
        out.Int32(block->GetStart());
        out.Int32(block->GetLength());
        out.Int32(group);
        // A group that gained tracks after the block was made gets empty patterns for them,
        // so the file holds one pattern per track.
        int patternCount = block->GetGroup()->GetTrackCount();
        out.Int32(patternCount);
        for (int j = 0; j < patternCount; ++j) {
            const Pattern* pattern = block->GetPattern(j);
            int keyCount = pattern ? pattern->GetKeyCount() : 0;
            out.Int32(keyCount);
            for (int k = 0; k < keyCount; ++k) {
                const Key& key = pattern->GetKeyAt(k);
                if (key.interpolation < InterpolationStep || key.interpolation > InterpolationCosine)
                    throw Exception(String::Format("SyncData::Save(): Block %d, pattern %d has a key with the invalid interpolation %d", i, j,
                                                   key.interpolation));
                out.Int32(key.interpolation);
                out.Float(key.leftValue);
                out.Float(key.rightValue);
                out.Int32(key.time);
            }
        }
    }

    // In track order, so that equal data always gives equal bytes.
    int bindingCount = 0;
    for (const Managed<Track>& track : tracks)
        bindingCount += track->bound ? 1 : 0;
    out.Int32(bindingCount);
    for (int i = 0; i < tracks.Count(); ++i) {
        const Track* track = tracks[i].Get();
        if (!track->bound)
            continue;
        out.Int32(i);
        out.Int32(track->probes.Count());
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
            WriteAll(stream.Get(), out.bytes);
        }
        Managed<IO::Stream> stream(folder->OpenFile(TemporaryName, IO::FileModeRead));
        if (ReadAll(stream.Get()) != out.bytes)
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
    folder->MoveFile(TemporaryName, FileName);
}

void SyncData::Load(IO::FileSystem* folder)
{
    using namespace SyncDataFileDetail;
    if (!folder)
        throw Exception("SyncData::Load(): No folder given");

    std::vector<uint8_t> bytes;
    {
        Managed<IO::Stream> stream(folder->OpenFile(FileName, IO::FileModeRead));
        bytes = ReadAll(stream.Get());
    }
    Reader in(bytes);

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
            int index = in.Int32();
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
        int start = in.Int32();
        if (start == -1) {
            newBlocks.AddEmpty();
            continue;
        }
        int length = in.Int32();
        int groupIndex = in.Int32();
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
                key.interpolation = in.Int32();
                key.leftValue = in.Float();
                key.rightValue = in.Float();
                key.time = in.Int32();
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
        int index = in.Int32();
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
