#include "utils/studio/SyncData.h"

#include "core/Managed.h"
#include "support/Expect.h"

#include <gtest/gtest.h>

#include <climits>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::Studio;

namespace syncdata_test {

// A sync data with one group "cam" of the tracks "cam.x" and "cam.y", each bound to its own
// probe, and a probe "free" that nothing drives.
class SyncDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sync.Set(new SyncData(probes.Get()));
        int x = sync->AddTrack(".cam.x");
        int y = sync->AddTrack(".cam.y");
        group = sync->GetTrackGroup(sync->AddTrackGroup(".cam"));
        group->AddTrack(sync->GetTrack(x));
        group->AddTrack(sync->GetTrack(y));
        sync->BindProbe(x, probes->GetProbe("cam.x"));
        sync->BindProbe(y, probes->GetProbe("cam.y"));
        free = probes->GetProbeIndex("free");
    }

    float Value(const char* name) { return probes->GetValue(probes->GetProbeIndex(name)); }
    // Evaluates at t over probes preset to -1, as if nothing had driven them yet.
    void EvaluateAt(double t)
    {
        for (int i = 0; i < probes->GetValueCount(); ++i)
            probes->SetValue(i, -1.0f);
        sync->Evaluate(t);
    }

    Managed<ProbeProxy> probes{new ProbeProxy()};
    Managed<SyncData> sync;
    TrackGroup* group = nullptr;
    int free = 0;
};

}  // namespace syncdata_test

using syncdata_test::SyncDataTest;

TEST_F(SyncDataTest, ABlockDrivesItsProbesOnlyStrictlyInsideItsSpan)
{
    int index = sync->CreateBlock(64, 64, group);
    Block* block = sync->GetBlock(index);
    block->GetPattern(0)->SetKey(Key{InterpolationLinear, 0.0f, 0.0f, 0});
    block->GetPattern(0)->SetKey(Key{InterpolationLinear, 64.0f, 64.0f, 64});
    block->GetPattern(1)->SetKey(Key{InterpolationLinear, 7.0f, 7.0f, 0});

    struct Case {
        double t;
        float x, y;
    };
    const Case cases[] = {
        {63.0, -1.0f, -1.0f}, {64.0, -1.0f, -1.0f}, {64.5, 0.5f, 7.0f},
        {127.9, 63.9f, 7.0f}, {128.0, -1.0f, -1.0f}, {300.0, -1.0f, -1.0f},
    };
    for (const Case& c : cases) {
        EvaluateAt(c.t);
        EXPECT_NEAR(Value("cam.x"), c.x, 1e-4) << c.t;
        EXPECT_EQ(Value("cam.y"), c.y) << c.t;
        EXPECT_EQ(probes->GetValue(free), -1.0f) << c.t;
    }
}

TEST_F(SyncDataTest, LaterBlocksOverwriteEarlierOnesAndEveryBoundProbeGetsTheValue)
{
    int extra = sync->AddTrack(".solo");
    TrackGroup* solo = sync->GetTrackGroup(sync->AddTrackGroup(".solo"));
    solo->AddTrack(sync->GetTrack(extra));
    sync->BindProbe(extra, probes->GetProbe("cam.x"));
    sync->BindProbe(extra, probes->GetProbe("other"));

    sync->GetBlock(sync->CreateBlock(0, 100, group))->GetPattern(0)->SetKey(Key{InterpolationLinear, 1.0f, 1.0f, 0});
    sync->GetBlock(sync->CreateBlock(0, 100, solo))->GetPattern(0)->SetKey(Key{InterpolationLinear, 2.0f, 2.0f, 0});
    EvaluateAt(50.0);
    EXPECT_EQ(Value("cam.x"), 2.0f);
    EXPECT_EQ(Value("other"), 2.0f);
    EXPECT_EQ(Value("cam.y"), 0.0f);  // a bound track with an empty pattern writes 0

    // An unbound track writes nothing, whatever its pattern holds.
    int unbound = sync->AddTrack(".unbound");
    solo->AddTrack(sync->GetTrack(unbound));
    Managed<Block> late(new Block(0, 100, solo));
    late->GetPattern(1)->SetKey(Key{InterpolationLinear, 9.0f, 9.0f, 0});
    sync->AddBlock(late.Get());
    EvaluateAt(50.0);
    EXPECT_EQ(Value("cam.x"), 0.0f);
    EXPECT_EQ(probes->GetValue(free), -1.0f);
}

TEST_F(SyncDataTest, BlocksMadeBeforeTheirGroupGainedATrackHaveNoPatternForIt)
{
    Block* block = sync->GetBlock(sync->CreateBlock(0, 100, group));
    block->GetPattern(1)->SetKey(Key{InterpolationLinear, 3.0f, 3.0f, 0});
    int late = sync->AddTrack(".cam.z");
    group->AddTrack(sync->GetTrack(late));
    sync->BindProbe(late, probes->GetProbe("cam.z"));

    EXPECT_EQ(block->GetPatternCount(), 2);
    EXPECT_EQ(block->GetPattern(2), nullptr);
    EXPECT_EQ(block->GetPattern(-1), nullptr);
    EvaluateAt(10.0);
    EXPECT_EQ(Value("cam.y"), 3.0f);
    EXPECT_EQ(Value("cam.z"), -1.0f);
    EXPECT_EQ(sync->GetBlock(sync->CreateBlock(0, 1, group))->GetPatternCount(), 3);
}

TEST_F(SyncDataTest, DeletedBlocksLeaveEmptySlotsAndMovesStayOnTheTimeline)
{
    sync->CreateBlock(0, 10, group);
    sync->CreateBlock(20, 10, group);
    sync->CreateBlock(40, 10, group);
    sync->DeleteBlock(1);
    EXPECT_EQ(sync->GetBlockCount(), 3);
    EXPECT_EQ(sync->GetBlock(1), nullptr);
    EXPECT_EQ(sync->GetBlock(2)->GetStart(), 40);
    EvaluateAt(25.0);  // an empty slot is skipped
    EXPECT_EQ(Value("cam.x"), -1.0f);

    sync->MoveBlock(2, -15);
    sync->MoveBlock(1, 5);  // empty: nothing happens
    EXPECT_EQ(sync->GetBlock(2)->GetStart(), 25);
    sync->MoveBlock(0, INT_MAX);
    EXPECT_EQ(sync->GetBlock(0)->GetStart(), INT_MAX);
    EXPECT_THROW_MESSAGE(sync->MoveBlock(0, 1), "SyncData::MoveBlock(): The block would start outside the timeline");
    EXPECT_EQ(sync->GetBlock(0)->GetStart(), INT_MAX);
    EvaluateAt(2147483647.5);  // start + length beyond the 32-bit range is still compared correctly
    EXPECT_EQ(Value("cam.x"), 0.0f);
}

TEST_F(SyncDataTest, RemovingAGroupDeletesItsBlocksButNotWhatOthersStillHold)
{
    TrackGroup* other = sync->GetTrackGroup(sync->AddTrackGroup(".other"));
    sync->CreateBlock(0, 10, group);
    sync->CreateBlock(0, 10, other);
    sync->CreateBlock(20, 10, group);
    Managed<Block> held(sync->GetBlock(0));  // as a Tracker or a clipboard holds one
    held->AddRef();
    Managed<Block> clip(held->Clone());

    sync->RemoveTrackGroup(group);
    EXPECT_EQ(sync->GetTrackGroupCount(), 1);
    EXPECT_EQ(sync->IndexOfTrackGroup(group), -1);
    EXPECT_EQ(sync->IndexOfTrackGroup(other), 0);
    EXPECT_EQ(sync->GetBlockCount(), 3);
    EXPECT_EQ(sync->GetBlock(0), nullptr);
    EXPECT_NE(sync->GetBlock(1), nullptr);
    EXPECT_EQ(sync->GetBlock(2), nullptr);

    // The held blocks still reach their group and its tracks.
    EXPECT_EQ(held->GetGroup()->GetName(), String(".cam"));
    EXPECT_EQ(clip->GetGroup()->GetTrack(1)->GetName(), String(".cam.y"));
    EXPECT_EQ(clip->GetPatternCount(), 2);

    // A group that is not (or no longer) in the sync data is refused everywhere.
    EXPECT_THROW_MESSAGE(sync->RemoveTrackGroup(held->GetGroup()), "The Array doesn't contain the given value");
    EXPECT_THROW_MESSAGE(sync->AddBlock(clip.Get()), "SyncData::AddBlock(): The block's track group is not part of this sync data");
    EXPECT_THROW_MESSAGE(sync->CreateBlock(0, 1, held->GetGroup()), "SyncData::CreateBlock(): The track group is not part of this sync data");
    EXPECT_EQ(sync->GetBlockCount(), 3);
}

TEST_F(SyncDataTest, AddedBlocksAreSharedNotCopied)
{
    Managed<Block> block(new Block(0, 100, group));
    EXPECT_EQ(group->GetRefCount(), 2);  // the sync data and the block
    int index = sync->AddBlock(block.Get());
    EXPECT_EQ(sync->GetBlock(index), block.Get());
    EXPECT_EQ(block->GetRefCount(), 2);
    block->GetPattern(0)->SetKey(Key{InterpolationLinear, 4.0f, 4.0f, 0});  // an edit after adding is evaluated
    EvaluateAt(1.0);
    EXPECT_EQ(Value("cam.x"), 4.0f);
    sync->DeleteBlock(index);
    EXPECT_EQ(block->GetRefCount(), 1);
}

TEST_F(SyncDataTest, BindingsAreRecordedPerTrack)
{
    EXPECT_EQ(sync->GetBinding(0)->Count(), 1);
    EXPECT_EQ((*sync->GetBinding(0))[0], probes->GetProbe("cam.x"));
    int plain = sync->AddTrack("plain");
    EXPECT_EQ(sync->GetBinding(plain), nullptr);
    EXPECT_EQ(sync->IndexOfTrack(sync->GetTrack(plain)), plain);
    EXPECT_THROW_MESSAGE(sync->BindProbe(plain, nullptr), "SyncData::BindProbe(): No probe given");
}
