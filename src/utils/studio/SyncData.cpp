#include "utils/studio/SyncData.h"

#include "core/Exception.h"

#include <cstdint>

namespace Nimbrel::Utils::Studio {

SyncData::SyncData() : SyncData(ProbeProxy::GetGlobal()) {}

SyncData::SyncData(ProbeProxy* probes)
{
    if (!probes)
        throw Exception("SyncData::SyncData(): No ProbeProxy given");
    probes->AddRef();
    this->probes.Set(probes);
}

int SyncData::AddTrack(const String& name)
{
    return tracks.Add(Managed<Track>(new Track(name)));
}

int SyncData::IndexOfTrack(const Track* track) const
{
    for (int i = 0; i < tracks.Count(); ++i)
        if (tracks[i].Get() == track)
            return i;
    return -1;
}

int SyncData::AddTrackGroup(const String& name)
{
    Managed<TrackGroup> group(new TrackGroup());
    group->SetName(name);
    return groups.Add(std::move(group));
}

int SyncData::IndexOfTrackGroup(const TrackGroup* group) const
{
    for (int i = 0; i < groups.Count(); ++i)
        if (groups[i].Get() == group)
            return i;
    return -1;
}

void SyncData::RemoveTrackGroup(TrackGroup* group)
{
    int index = IndexOfTrackGroup(group);
    if (index < 0)
        throw Exception("The Array doesn't contain the given value");
    // The blocks hold the group, so it lives until the last of them goes.
    Managed<TrackGroup> removed = groups.RemoveAt(index);
    for (Managed<Block>& block : blocks)
        if (block && block->GetGroup() == group)
            block.Set(nullptr);
}

void SyncData::BindProbe(int trackIndex, Probe* probe)
{
    if (!probe)
        throw Exception("SyncData::BindProbe(): No probe given");
    Track* track = tracks[trackIndex].Get();
    track->bound = true;
    track->probes.Add(probe);
}

const Array<Probe*>* SyncData::GetBinding(int trackIndex) const
{
    const Track* track = tracks[trackIndex].Get();
    return track->bound ? &track->probes : nullptr;
}

int SyncData::CreateBlock(int start, int length, TrackGroup* group)
{
    if (IndexOfTrackGroup(group) < 0)
        throw Exception("SyncData::CreateBlock(): The track group is not part of this sync data");
    return blocks.Add(Managed<Block>(new Block(start, length, group)));
}

int SyncData::AddBlock(Block* block)
{
    if (!block)
        throw Exception("SyncData::AddBlock(): No block given");
    if (IndexOfTrackGroup(block->GetGroup()) < 0)
        throw Exception("SyncData::AddBlock(): The block's track group is not part of this sync data");
    block->AddRef();
    return blocks.Add(Managed<Block>(block));
}

void SyncData::MoveBlock(int index, int delta)
{
    Block* block = blocks[index].Get();
    if (!block)
        return;
    int64_t start = int64_t(block->GetStart()) + delta;
    if (start < INT32_MIN || start > INT32_MAX)
        throw Exception("SyncData::MoveBlock(): The block would start outside the timeline");
    block->SetStart(static_cast<int>(start));
}

void SyncData::DeleteBlock(int index)
{
    blocks[index].Set(nullptr);
}

void SyncData::Evaluate(double t)
{
    ProbeProxy* proxy = probes.Get();
    const Managed<Block>* slots = blocks.Data();
    for (int i = 0, count = blocks.Count(); i < count; ++i) {
        Block* block = slots[i].Get();
        if (!block)
            continue;
        double start = block->GetStart();
        if (!(start < t && t < start + block->GetLength()))
            continue;
        const TrackGroup* group = block->GetGroup();
        for (int j = 0, tracks = group->GetTrackCount(); j < tracks; ++j) {
            const Track* track = group->GetTrack(j);
            Pattern* pattern = block->GetPattern(j);
            if (!pattern || track->probes.IsEmpty())
                continue;
            float value = pattern->Evaluate(t - start);
            for (const Probe* probe : track->probes)
                proxy->SetValue(probe->GetIndex(), value);
        }
    }
}

}  // namespace Nimbrel::Utils::Studio
