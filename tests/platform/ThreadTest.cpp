// Threads: created suspended, started once, waited for with and without a limit.
#include "platform/Thread.h"

#include "core/Managed.h"
#include "platform/Sleep.h"

#include <gtest/gtest.h>

#include <atomic>

namespace thread_test {

using Nimbrel::Managed;
using Nimbrel::Thread;

struct Gate {
    std::atomic<int> runs{0};
    std::atomic<bool> open{false};
};

void CountRun(void* argument)
{
    static_cast<Gate*>(argument)->runs++;
}

void RunWhenOpen(void* argument)
{
    auto* gate = static_cast<Gate*>(argument);
    while (!gate->open)
        Nimbrel::Sleep(1);
    gate->runs++;
}

TEST(ThreadTest, ThreadDestroyedWithoutStartNeverRuns)
{
    Gate gate;
    {
        Managed<Thread> thread(Thread::Create(CountRun, &gate));
        Nimbrel::Sleep(20);
        EXPECT_FALSE(thread->Wait(0));   // a suspended thread cannot end
        EXPECT_FALSE(thread->Wait(-1));  // not even without a limit
    }
    EXPECT_EQ(gate.runs, 0);
}

TEST(ThreadTest, StartRunsTheProcedureOnce)
{
    Gate gate;
    Managed<Thread> thread(Thread::Create(CountRun, &gate));
    EXPECT_TRUE(thread->Start());
    EXPECT_FALSE(thread->Start());
    EXPECT_TRUE(thread->Wait(-1));
    EXPECT_TRUE(thread->Wait(0));
    // Done is not the same as never started: neither call runs the procedure again.
    EXPECT_FALSE(thread->Start());
    EXPECT_TRUE(thread->Resume());
    EXPECT_TRUE(thread->Wait(-1));
    EXPECT_EQ(gate.runs, 1);
}

TEST(ThreadTest, ResumeStartsASuspendedThread)
{
    Gate gate;
    Managed<Thread> thread(Thread::Create(CountRun, &gate));
    EXPECT_TRUE(thread->Resume());
    EXPECT_TRUE(thread->Wait(-1));
    EXPECT_EQ(gate.runs, 1);
}

TEST(ThreadTest, WaitWithALimitReportsARunningThread)
{
    Gate gate;
    Managed<Thread> thread(Thread::Create(RunWhenOpen, &gate));
    thread->Start();
    EXPECT_FALSE(thread->Wait(10));
    EXPECT_FALSE(thread->Suspend());
    EXPECT_FALSE(thread->Terminate());
    gate.open = true;
    EXPECT_TRUE(thread->Wait(-1));
    EXPECT_EQ(gate.runs, 1);
}

TEST(ThreadTest, DestroyingAStartedThreadWaitsForIt)
{
    Gate gate;
    {
        Managed<Thread> thread(Thread::Create(RunWhenOpen, &gate));
        thread->Start();
        Managed<Thread> opener(Thread::Create(
            [](void* argument) {
                Nimbrel::Sleep(20);
                static_cast<Gate*>(argument)->open = true;
            },
            &gate));
        opener->Start();
    }
    EXPECT_EQ(gate.runs, 1);
}

}  // namespace thread_test
