// The resource watch over a fake device and files in memory whose write times the test sets,
// with a clock the test turns.

#include "utils/ResourceWatch.h"

#include "graphics/Program.h"
#include "support/AllocationWatch.h"
#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "support/MemoryFileSystem.h"
#include "utils/DefaultResourceProxy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace resource_watch_test {

class ResourceWatchTest : public ::testing::Test {
protected:
    ResourceWatchTest()
    {
        proxy->SetFileSystem(files.Get());
        proxy->SetGraphicsDevice(device.Get());
        Write("fx/color.cg", "float Red;", 1);
    }

    void Write(const std::string& path, const std::string& text, uint64_t time)
    {
        (*files)[path] = std::vector<uint8_t>(text.begin(), text.end());
        files->writeTimes[path] = time;
    }
    int Opened(const std::string& path) const
    {
        return int(std::count(files->operations.begin(), files->operations.end(), "open r " + path));
    }
    bool Has(Graphics::Program* program, const char* uniform) { return program->GetParameter(uniform)->IsValid(); }

    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<Testing::FakeDevice> device{new Testing::FakeDevice()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
    double now = 0;
    std::vector<std::string> reports;
    Managed<ResourceWatch> watch{new ResourceWatch(
        proxy.Get(), [this] { return now; }, 0.25, [this](const String& message) { reports.push_back(message.CStr()); })};
};

TEST_F(ResourceWatchTest, AChangedSourceRebuildsTheProgramAtTheNextPoll)
{
    const int entry = watch->Watch(ResourceType::Program, "fx/color.cg");
    Graphics::Program* first = watch->Get<Graphics::Program>(entry);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Has(first, "Red"));
    EXPECT_EQ(Opened("fx/color.cg"), 1);

    Write("fx/color.cg", "float Green;", 2);
    now = 0.2;  // before the interval has passed: nothing is read
    EXPECT_EQ(watch->Update(), 0);
    EXPECT_EQ(watch->Get<Graphics::Program>(entry), first);

    now = 0.3;
    EXPECT_EQ(watch->Update(), 1);
    Graphics::Program* second = watch->Get<Graphics::Program>(entry);
    EXPECT_NE(second, first);
    EXPECT_TRUE(Has(second, "Green"));
    EXPECT_FALSE(Has(second, "Red"));
    // The text was read again, not taken from the cache, and the proxy now serves the new program.
    EXPECT_EQ(Opened("fx/color.cg"), 2);
    Managed<Object> served(proxy->Get(ResourceType::Program, "fx/color.cg"));
    EXPECT_EQ(served.Get(), static_cast<Object*>(second));

    now = 0.6;  // unchanged files are not loaded again
    EXPECT_EQ(watch->Update(), 0);
    EXPECT_EQ(Opened("fx/color.cg"), 2);
    EXPECT_TRUE(reports.empty());
}

TEST_F(ResourceWatchTest, ABrokenSourceKeepsTheLastGoodProgramAndIsReportedOnce)
{
    const int entry = watch->Watch(ResourceType::Program, "fx/color.cg");
    Graphics::Program* good = watch->Get<Graphics::Program>(entry);

    Write("fx/color.cg", "float2x9 Broken;", 2);
    for (double t : {0.3, 0.6, 0.9, 1.2}) {
        now = t;
        EXPECT_EQ(watch->Update(), 0);
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].rfind("Descriptor 'fx/color.cg' could not be converted to an object: \n", 0), 0u) << reports[0];
    EXPECT_EQ(watch->Get<Graphics::Program>(entry), good);
    Managed<Object> served(proxy->Get(ResourceType::Program, "fx/color.cg"));
    EXPECT_EQ(served.Get(), static_cast<Object*>(good));

    Write("fx/color.cg", "float Blue;", 3);
    now = 1.5;
    EXPECT_EQ(watch->Update(), 1);
    EXPECT_TRUE(Has(watch->Get<Graphics::Program>(entry), "Blue"));
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(ResourceWatchTest, FindsTheFilesWhereverTheHintsFoundThem)
{
    Write("common/color.cg", "float Common;", 1);
    Write("maps/tree.png", "", 1);
    const struct {
        const char* descriptor;
        std::vector<std::string> files;
    } cases[] = {
        {"fx/color.cg", {"fx/color.cg"}},
        {"color.cg{Path=fx}", {"fx/color.cg"}},
        // The hint written last is tried first; the folder where the open failed is not watched.
        {"color.cg{Path=fx; Path=common}", {"common/color.cg"}},
        {"color.cg{Path=missing; Path=fx}", {"fx/color.cg"}},
    };
    for (const auto& c : cases) {
        // A proxy of its own for each case: the source text's request ("color.cg") is cached
        // whatever hints found it.
        Managed<ResourceProxy> fresh(new DefaultResourceProxy());
        fresh->SetFileSystem(files.Get());
        fresh->SetGraphicsDevice(device.Get());
        ResourceWatch own(fresh.Get(), [] { return 0.0; });
        const int entry = own.Watch(ResourceType::Program, c.descriptor, {"notes.txt"});
        std::vector<std::string> files;
        for (const String& file : own.GetFiles(entry))
            files.push_back(file.CStr());
        std::vector<std::string> expected = c.files;
        expected.push_back("notes.txt");
        EXPECT_EQ(files, expected) << c.descriptor;
    }
}

TEST_F(ResourceWatchTest, AProgramOfTwoFilesReloadsWhenEitherChanges)
{
    Write("fx/vertex.cg", "float V;", 1);
    Write("fx/pixel.cg", "float P;", 1);
    Write("fx/unused.cg", "float U;", 1);
    const int entry = watch->Watch(ResourceType::Program, "fx/vertex.cg:vsMain;fx/pixel.cg:psMain");
    Array<String> files = watch->GetFiles(entry);
    ASSERT_EQ(files.Count(), 2);
    EXPECT_STREQ(files[0].CStr(), "fx/vertex.cg");
    EXPECT_STREQ(files[1].CStr(), "fx/pixel.cg");

    // A file of the proxy's that the program never read does not reload it.
    Write("fx/unused.cg", "float W;", 2);
    now = 0.3;
    EXPECT_EQ(watch->Update(), 0);

    Write("fx/pixel.cg", "float Q;", 2);
    now = 0.6;
    EXPECT_EQ(watch->Update(), 1);
    EXPECT_TRUE(Has(watch->Get<Graphics::Program>(entry), "Q"));
    EXPECT_EQ(watch->GetFiles(entry).Count(), 2);
}

TEST_F(ResourceWatchTest, FramesBetweenPollsDoNotAllocate)
{
    watch->Watch(ResourceType::Program, "fx/color.cg");
    if (!Testing::AllocationWatch::Available())
        GTEST_SKIP() << "no allocation hooks without AddressSanitizer";
    Testing::AllocationWatch allocations;
    for (int frame = 0; frame < 10; ++frame) {
        now = frame * 0.01;
        watch->Update();
    }
    EXPECT_EQ(allocations.AllocationCount(), 0u);
}

TEST_F(ResourceWatchTest, WatchingNeedsAProxyAndAClock)
{
    EXPECT_THROW_MESSAGE(ResourceWatch(nullptr, [] { return 0.0; }), "ResourceWatch: No ResourceProxy given");
    EXPECT_THROW_MESSAGE(ResourceWatch(proxy.Get(), ResourceWatch::Clock()), "ResourceWatch: No clock given");
    EXPECT_THROW_MESSAGE(watch->Get(0), "ResourceWatch: Invalid entry");
}

}  // namespace resource_watch_test
