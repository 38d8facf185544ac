#include "utils/studio/SyncData.h"

#include "core/Managed.h"
#include "io/NativeFileSystem.h"
#include "support/Expect.h"
#include "support/MemoryFileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::Studio;
using Nimbrel::Testing::MemoryFileSystem;

namespace syncdatafile_test {

using Bytes = std::vector<uint8_t>;

// The golden file of the small sync data that Build() makes, written out field by field.
const Bytes Golden = {
    0x02, 0x00, 0x00, 0x00,                          //   0 track count 2
    0x01, 0x00, 0x00, 0x00, 'x',                     //   4 "x"
    0x02, 0x00, 0x00, 0x00, 'y', 'z',                //   9 "yz"
    0x01, 0x00, 0x00, 0x00,                          //  15 group count 1
    0x01, 0x00, 0x00, 0x00, 'G',                     //  19 "G"
    0x02, 0x00, 0x00, 0x00,                          //  24 its track count 2
    0x01, 0x00, 0x00, 0x00,                          //  28 track 1 ("yz")
    0x00, 0x00, 0x00, 0x00,                          //  32 track 0 ("x")
    0x02, 0x00, 0x00, 0x00,                          //  36 block count 2
    0x40, 0x00, 0x00, 0x00,                          //  40 start 64
    0x20, 0x00, 0x00, 0x00,                          //  44 length 32
    0x00, 0x00, 0x00, 0x00,                          //  48 group 0
    0x02, 0x00, 0x00, 0x00,                          //  52 pattern count 2
    0x02, 0x00, 0x00, 0x00,                          //  56 key count 2
    0x01, 0x00, 0x00, 0x00,                          //  60 linear
    0x00, 0x00, 0x00, 0x3f,                          //  64 left 0.5
    0x00, 0x00, 0x80, 0x3f,                          //  68 right 1.0
    0x00, 0x00, 0x00, 0x00,                          //  72 time 0
    0x02, 0x00, 0x00, 0x00,                          //  76 cosine
    0x00, 0x00, 0x00, 0x40,                          //  80 left 2.0
    0x00, 0x00, 0x40, 0x40,                          //  84 right 3.0
    0x10, 0x00, 0x00, 0x00,                          //  88 time 16
    0x00, 0x00, 0x00, 0x00,                          //  92 key count 0
    0xff, 0xff, 0xff, 0xff,                          //  96 empty slot
    0x02, 0x00, 0x00, 0x00,                          // 100 binding count 2
    0x00, 0x00, 0x00, 0x00,                          // 104 track 0
    0x01, 0x00, 0x00, 0x00,                          // 108 probe count 1
    0x02, 0x00, 0x00, 0x00, '.', 'p',                // 112 ".p"
    0x01, 0x00, 0x00, 0x00,                          // 118 track 1
    0x02, 0x00, 0x00, 0x00,                          // 122 probe count 2
    0x04, 0x00, 0x00, 0x00, '.', 'q', '.', 'r',      // 126 ".q.r"
    0x02, 0x00, 0x00, 0x00, '.', 'p',                // 134 ".p"
};                                                   // 140

class SyncDataFileTest : public ::testing::Test {
protected:
    // Tracks "x" and "yz"; group "G" of yz then x; a block at 64 for 32 whose yz curve rises
    // linearly from 1 to 2 over 16 qticks, then a deleted block; yz drives q.r and p, x drives
    // p (bound in the opposite order, to show that bindings are written in track order).
    static void Build(SyncData& sync)
    {
        ProbeProxy* probes = sync.GetProbeProxy();
        int x = sync.AddTrack("x");
        int yz = sync.AddTrack("yz");
        TrackGroup* group = sync.GetTrackGroup(sync.AddTrackGroup("G"));
        group->AddTrack(sync.GetTrack(yz));
        group->AddTrack(sync.GetTrack(x));
        Block* block = sync.GetBlock(sync.CreateBlock(64, 32, group));
        block->GetPattern(0)->SetKey(Key{2, 2.0f, 3.0f, 16});
        block->GetPattern(0)->SetKey(Key{1, 0.5f, 1.0f, 0});
        sync.DeleteBlock(sync.CreateBlock(0, 8, group));
        sync.BindProbe(yz, probes->GetProbe("q.r"));
        sync.BindProbe(yz, probes->GetProbe("p"));
        sync.BindProbe(x, probes->GetProbe("p"));
    }

    Bytes SaveToMemory(SyncData& sync)
    {
        MemoryFileSystem disk;
        sync.Save(&disk);
        return disk["syncdata.bin"];
    }

    // What the golden data writes into q.r at 72 (8 qticks into the block): halfway from 1 to 2.
    void ExpectEvaluatesLikeGolden(SyncData& sync)
    {
        probes->ResetValues();
        sync.Evaluate(72.0);
        EXPECT_EQ(probes->GetValue(probes->GetProbeIndex("q.r")), 1.5f);
        EXPECT_EQ(probes->GetValue(probes->GetProbeIndex("p")), 0.0f);
    }

    Managed<ProbeProxy> probes{new ProbeProxy()};
};

}  // namespace syncdatafile_test

using syncdatafile_test::Bytes;
using syncdatafile_test::Golden;
using syncdatafile_test::SyncDataFileTest;

TEST_F(SyncDataFileTest, SavesTheLayoutByteForByteAndLoadsItBack)
{
    Managed<SyncData> sync(new SyncData(probes.Get()));
    Build(*sync);
    MemoryFileSystem disk;
    sync->Save(&disk);
    EXPECT_EQ(disk["syncdata.bin"], Golden);
    EXPECT_FALSE(disk.Has("syncdata.bin.tmp"));

    Managed<SyncData> loaded(new SyncData(probes.Get()));
    loaded->Load(&disk);
    ASSERT_EQ(loaded->GetTrackCount(), 2);
    EXPECT_EQ(loaded->GetTrack(1)->GetName(), String("yz"));
    ASSERT_EQ(loaded->GetTrackGroupCount(), 1);
    EXPECT_EQ(loaded->GetTrackGroup(0)->GetTrack(0), loaded->GetTrack(1));
    ASSERT_EQ(loaded->GetBlockCount(), 2);
    EXPECT_EQ(loaded->GetBlock(1), nullptr);  // the empty slot keeps block indices stable
    Block* block = loaded->GetBlock(0);
    EXPECT_EQ(block->GetGroup(), loaded->GetTrackGroup(0));
    EXPECT_EQ(block->GetPattern(0)->GetKeyAt(1), (Key{2, 2.0f, 3.0f, 16}));
    EXPECT_EQ(loaded->GetBinding(1)->Count(), 2);
    EXPECT_EQ((*loaded->GetBinding(1))[0], probes->GetProbe("q.r"));
    ExpectEvaluatesLikeGolden(*loaded);
    EXPECT_EQ(SaveToMemory(*loaded), Golden);
}

TEST_F(SyncDataFileTest, RoundTripsThroughTheNativeFileSystem)
{
    Testing::TempFolder temp;
    const std::filesystem::path folder = temp.Path();
    {
        Managed<IO::NativeFileSystem> disk(IO::NativeFileSystem::Create(folder.string().c_str()));
        Managed<SyncData> sync(new SyncData(probes.Get()));
        Build(*sync);
        sync->Save(disk.Get());
        sync->Save(disk.Get());  // over an existing file
        Managed<SyncData> loaded(new SyncData(probes.Get()));
        loaded->Load(disk.Get());
        ExpectEvaluatesLikeGolden(*loaded);
    }
    std::ifstream file(folder / "syncdata.bin", std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, Golden);
    EXPECT_FALSE(std::filesystem::exists(folder / "syncdata.bin.tmp"));
}

TEST_F(SyncDataFileTest, ProbesNamedInTheFileAreRegisteredOnLoad)
{
    MemoryFileSystem disk;
    disk["syncdata.bin"] = Golden;
    Managed<SyncData> sync(new SyncData(probes.Get()));
    EXPECT_EQ(probes->GetValueCount(), 0);
    sync->Load(&disk);
    EXPECT_EQ(probes->GetValueCount(), 2);
    EXPECT_EQ(probes->GetProbeName(0), String("p"));
    EXPECT_EQ(probes->GetProbeName(1), String("q.r"));
    EXPECT_EQ(probes->GetRoot()->GetChild(1)->GetName(), String("q"));
}

TEST_F(SyncDataFileTest, RefusesDataItCouldNotReadBackBeforeTouchingTheFile)
{
    struct Case {
        const char* what;
        void (*spoil)(SyncData& sync, ProbeProxy& other);
        const char* message;
    };
    const Case cases[] = {
        {"a block starting at -1", [](SyncData& sync, ProbeProxy&) { sync.MoveBlock(0, -65); },
         "SyncData::Save(): Block 0 starts at -1, which the file keeps for empty slots"},
        {"an invalid interpolation",
         [](SyncData& sync, ProbeProxy&) { sync.GetBlock(0)->GetPattern(0)->SetKey(Key{3, 0, 0, 5}); },
         "SyncData::Save(): Block 0, pattern 0 has a key with the invalid interpolation 3"},
        {"a group holding a foreign track",
         [](SyncData& sync, ProbeProxy&) {
             Managed<Track> stray(new Track("stray"));
             sync.GetTrackGroup(0)->AddTrack(stray.Get());
         },
         "SyncData::Save(): The track group G holds a track that is not in the track list"},
        {"a probe of another proxy", [](SyncData& sync, ProbeProxy& other) { sync.BindProbe(0, other.GetProbe("elsewhere")); },
         "SyncData::Save(): A probe bound to track 0 is not in the probe proxy"},
    };
    for (const Case& c : cases) {
        Managed<SyncData> sync(new SyncData(probes.Get()));
        Managed<ProbeProxy> other(new ProbeProxy());
        Build(*sync);
        MemoryFileSystem disk;
        disk["syncdata.bin"] = {1, 2, 3};
        c.spoil(*sync, *other);
        EXPECT_THROW_MESSAGE(sync->Save(&disk), c.message);
        EXPECT_EQ(disk["syncdata.bin"], (Bytes{1, 2, 3})) << c.what;
        EXPECT_EQ(disk.operations, std::vector<std::string>{}) << c.what;
    }
}

TEST_F(SyncDataFileTest, AFailedSaveLeavesTheOldFileIntact)
{
    Managed<SyncData> sync(new SyncData(probes.Get()));
    Build(*sync);
    for (int64_t limit : {int64_t(0), int64_t(1), int64_t(100), int64_t(139)}) {
        MemoryFileSystem disk;
        disk["syncdata.bin"] = {1, 2, 3};
        disk.writeLimit = limit;
        EXPECT_THROW_MESSAGE(sync->Save(&disk), "Unable to write data to stream");
        EXPECT_EQ(disk["syncdata.bin"], (Bytes{1, 2, 3})) << limit;
    }
    MemoryFileSystem disk;
    disk["syncdata.bin"] = {1, 2, 3};
    disk.failMoves = true;
    EXPECT_THROW_MESSAGE(sync->Save(&disk), "MemoryFileSystem: move failed");
    EXPECT_EQ(disk["syncdata.bin"], (Bytes{1, 2, 3}));
    EXPECT_EQ(disk.operations, (std::vector<std::string>{"open w syncdata.bin.tmp", "open r syncdata.bin.tmp",
                                                         "move syncdata.bin.tmp -> syncdata.bin"}));
}

TEST_F(SyncDataFileTest, ATemporaryFileThatFailsIsDeleted)
{
    Managed<SyncData> sync(new SyncData(probes.Get()));
    Build(*sync);
    struct Case {
        const char* what;
        int64_t writeLimit;
        bool garbleReads;
        const char* message;
        std::vector<std::string> operations;
    };
    const Case cases[] = {
        {"read back garbled", -1, true, "SyncData::Save(): The temporary file syncdata.bin.tmp did not read back as written",
         {"open w syncdata.bin.tmp", "open r syncdata.bin.tmp", "delete syncdata.bin.tmp"}},
        {"disk full", 100, false, "Unable to write data to stream", {"open w syncdata.bin.tmp", "delete syncdata.bin.tmp"}},
    };
    for (const Case& c : cases) {
        MemoryFileSystem disk;
        disk["syncdata.bin"] = {1, 2, 3};
        disk.writeLimit = c.writeLimit;
        disk.garbleReads = c.garbleReads;
        EXPECT_THROW_MESSAGE(sync->Save(&disk), c.message);
        EXPECT_FALSE(disk.Has("syncdata.bin.tmp")) << c.what;
        EXPECT_EQ(disk["syncdata.bin"], (Bytes{1, 2, 3})) << c.what;
        EXPECT_EQ(disk.operations, c.operations) << c.what;
    }
}

TEST_F(SyncDataFileTest, ABlockWhoseGroupGainedTracksSavesEmptyPatternsForThem)
{
    Managed<SyncData> sync(new SyncData(probes.Get()));
    Build(*sync);
    int late = sync->AddTrack("late");
    sync->GetTrackGroup(0)->AddTrack(sync->GetTrack(late));
    MemoryFileSystem disk;
    sync->Save(&disk);
    Managed<SyncData> loaded(new SyncData(probes.Get()));
    loaded->Load(&disk);
    ASSERT_EQ(loaded->GetBlock(0)->GetPatternCount(), 3);
    EXPECT_EQ(loaded->GetBlock(0)->GetPattern(2)->GetKeyCount(), 0);
    EXPECT_EQ(loaded->GetBlock(0)->GetPattern(0)->GetKeyCount(), 2);
}

TEST_F(SyncDataFileTest, EqualDataSavesToEqualBytes)
{
    // Bindings made in another order, blocks keyed in another order: the same bytes.
    Managed<SyncData> first(new SyncData(probes.Get()));
    Build(*first);
    Managed<SyncData> second(new SyncData(probes.Get()));
    int x = second->AddTrack("x");
    int yz = second->AddTrack("yz");
    second->BindProbe(x, probes->GetProbe("p"));
    TrackGroup* group = second->GetTrackGroup(second->AddTrackGroup("G"));
    group->AddTrack(second->GetTrack(yz));
    group->AddTrack(second->GetTrack(x));
    Block* block = second->GetBlock(second->CreateBlock(64, 32, group));
    block->GetPattern(0)->SetKey(Key{1, 0.5f, 1.0f, 0});
    block->GetPattern(0)->SetKey(Key{2, 2.0f, 3.0f, 16});
    second->DeleteBlock(second->CreateBlock(1, 1, group));
    second->BindProbe(yz, probes->GetProbe("q.r"));
    second->BindProbe(yz, probes->GetProbe("p"));
    EXPECT_EQ(SaveToMemory(*second), SaveToMemory(*first));
}

namespace syncdatafile_test {

// The golden file with the 32-bit value at offset replaced.
Bytes Patched(size_t offset, int32_t value)
{
    Bytes bytes = Golden;
    std::memcpy(bytes.data() + offset, &value, 4);
    return bytes;
}

}  // namespace syncdatafile_test

TEST_F(SyncDataFileTest, AMalformedFileThrowsAndChangesNothing)
{
    using syncdatafile_test::Patched;
    struct Case {
        Bytes file;
        const char* message;  // null: any message from the loader
    };
    std::vector<Case> cases = {
        {Patched(0, -1), "SyncData::Load(): Invalid track count -1 at byte 0"},
        {Patched(0, INT_MIN), "SyncData::Load(): Invalid track count -2147483648 at byte 0"},
        {Patched(0, INT_MAX), "SyncData::Load(): Invalid track count 2147483647 at byte 0"},
        {Patched(0, 35), "SyncData::Load(): Invalid track count 35 at byte 0"},
        {Patched(0, 3), nullptr},
        {Patched(4, -1), "SyncData::Load(): Invalid string length -1 at byte 4"},
        {Patched(4, 1000), "SyncData::Load(): Invalid string length 1000 at byte 4"},
        {Patched(15, -1), "SyncData::Load(): Invalid track group count -1 at byte 15"},
        {Patched(15, INT_MAX), "SyncData::Load(): Invalid track group count 2147483647 at byte 15"},
        {Patched(19, -5), "SyncData::Load(): Invalid string length -5 at byte 19"},
        {Patched(24, -1), "SyncData::Load(): Invalid group track count -1 at byte 24"},
        {Patched(24, INT_MAX), "SyncData::Load(): Invalid group track count 2147483647 at byte 24"},
        {Patched(24, 3), "SyncData::Load(): Track group 0 names the track 2 of 2"},
        {Patched(28, 2), "SyncData::Load(): Track group 0 names the track 2 of 2"},
        {Patched(32, -1), "SyncData::Load(): Track group 0 names the track -1 of 2"},
        {Patched(36, -1), "SyncData::Load(): Invalid block count -1 at byte 36"},
        {Patched(36, INT_MAX), "SyncData::Load(): Invalid block count 2147483647 at byte 36"},
        {Patched(48, 1), "SyncData::Load(): Block 0 names the track group 1 of 1"},
        {Patched(48, -2), "SyncData::Load(): Block 0 names the track group -2 of 1"},
        {Patched(52, -1), "SyncData::Load(): Invalid pattern count -1 at byte 52"},
        {Patched(52, INT_MAX), "SyncData::Load(): Invalid pattern count 2147483647 at byte 52"},
        {Patched(52, 1), "SyncData::Load(): Block 0 has 1 patterns but its track group has 2 tracks"},
        {Patched(52, 3), "SyncData::Load(): Block 0 has 3 patterns but its track group has 2 tracks"},
        {Patched(56, -1), "SyncData::Load(): Invalid key count -1 at byte 56"},
        {Patched(56, 100), "SyncData::Load(): Invalid key count 100 at byte 56"},
        {Patched(56, 3), nullptr},
        {Patched(60, 3), "SyncData::Load(): Block 0, pattern 0 has a key with the invalid interpolation 3"},
        {Patched(60, -1), "SyncData::Load(): Block 0, pattern 0 has a key with the invalid interpolation -1"},
        {Patched(76, 7), "SyncData::Load(): Block 0, pattern 0 has a key with the invalid interpolation 7"},
        {Patched(88, 0), "SyncData::Load(): Block 0, pattern 0 has keys out of time order"},
        {Patched(88, -5), "SyncData::Load(): Block 0, pattern 0 has keys out of time order"},
        {Patched(92, -1), "SyncData::Load(): Invalid key count -1 at byte 92"},
        {Patched(96, -2), nullptr},
        {Patched(100, -1), "SyncData::Load(): Invalid binding count -1 at byte 100"},
        {Patched(100, INT_MAX), "SyncData::Load(): Invalid binding count 2147483647 at byte 100"},
        {Patched(100, 3), "SyncData::Load(): The data ends early: 4 bytes wanted at byte 140 of 140"},
        {Patched(104, 2), "SyncData::Load(): Binding 0 names the track 2 of 2"},
        {Patched(104, -1), "SyncData::Load(): Binding 0 names the track -1 of 2"},
        {Patched(118, 0), "SyncData::Load(): The track 0 is bound twice"},
        {Patched(108, -1), "SyncData::Load(): Invalid probe count -1 at byte 108"},
        {Patched(108, 50), "SyncData::Load(): Invalid probe count 50 at byte 108"},
        {Patched(112, 100), "SyncData::Load(): Invalid string length 100 at byte 112"},
        {Patched(134, 3), "SyncData::Load(): Invalid string length 3 at byte 134"},
    };
    Bytes longer = Golden;
    longer.push_back(0);
    cases.push_back({longer, "SyncData::Load(): The file goes on past the end of the sync data, at byte 140"});
    for (size_t length = 0; length < Golden.size(); ++length)
        cases.push_back({Bytes(Golden.begin(), Golden.begin() + length), nullptr});

    // The data in memory: different from the file, so a partial load would show.
    Managed<SyncData> sync(new SyncData(probes.Get()));
    Build(*sync);
    sync->AddTrack("only in memory");
    const Bytes before = SaveToMemory(*sync);
    const int probeCount = probes->GetValueCount();

    for (const Case& c : cases) {
        MemoryFileSystem disk;
        disk["syncdata.bin"] = c.file;
        SCOPED_TRACE(c.message ? c.message : ("a file of " + std::to_string(c.file.size()) + " bytes").c_str());
        bool threw = false;
        try {
            sync->Load(&disk);
        } catch (const Exception& error) {
            threw = true;
            if (c.message)
                EXPECT_STREQ(error.GetMessage().CStr(), c.message);
            else
                EXPECT_EQ(error.GetMessage().SubString(0, 18), String("SyncData::Load(): ")) << error.GetMessage().CStr();
        }
        EXPECT_TRUE(threw);
        EXPECT_EQ(SaveToMemory(*sync), before);
        EXPECT_EQ(probes->GetValueCount(), probeCount);
        ExpectEvaluatesLikeGolden(*sync);
    }
}

TEST_F(SyncDataFileTest, AMissingFileThrowsAndChangesNothing)
{
    Managed<SyncData> sync(new SyncData(probes.Get()));
    Build(*sync);
    MemoryFileSystem disk;
    EXPECT_THROW_MESSAGE(sync->Load(&disk), "File not found: syncdata.bin");
    EXPECT_EQ(SaveToMemory(*sync), Golden);
}

TEST_F(SyncDataFileTest, LoadingReplacesTheDataWhileHeldBlocksStayUsable)
{
    Managed<SyncData> sync(new SyncData(probes.Get()));
    Build(*sync);
    sync->AddTrack("replaced");
    sync->CreateBlock(500, 10, sync->GetTrackGroup(0));
    Managed<Block> held(sync->GetBlock(0));  // the block a Tracker edits
    held->AddRef();
    Managed<Block> clip(held->Clone());

    MemoryFileSystem disk;
    disk["syncdata.bin"] = Golden;
    sync->Load(&disk);
    EXPECT_EQ(sync->GetTrackCount(), 2);
    EXPECT_EQ(sync->GetBlockCount(), 2);
    EXPECT_NE(sync->GetBlock(0), held.Get());

    // The old block, its group and its tracks are still whole; they belong to no sync data.
    EXPECT_EQ(held->GetGroup()->GetTrack(0)->GetName(), String("yz"));
    EXPECT_EQ(held->GetPattern(0)->Evaluate(8.0), 1.5f);
    EXPECT_THROW_MESSAGE(sync->AddBlock(clip.Get()), "SyncData::AddBlock(): The block's track group is not part of this sync data");
}
