// Mutexes: ownership within a time, nesting for the owner, refusal for everyone else.
#include "platform/Mutex.h"

#include "core/Managed.h"

#include <gtest/gtest.h>

#include <thread>

namespace mutex_test {

using Nimbrel::Managed;
using Nimbrel::Mutex;

bool LockFromAnotherThread(Mutex& mutex, int milliseconds)
{
    bool locked = false;
    std::thread other([&] {
        locked = mutex.Lock(milliseconds);
        if (locked)
            mutex.Unlock();
    });
    other.join();
    return locked;
}

TEST(MutexTest, OwnerNestsAndOthersWaitInVain)
{
    Managed<Mutex> mutex(Mutex::Create());
    EXPECT_TRUE(mutex->Lock(0));
    EXPECT_TRUE(mutex->Lock(-1));  // nested
    EXPECT_FALSE(LockFromAnotherThread(*mutex, 0));
    EXPECT_FALSE(LockFromAnotherThread(*mutex, 20));

    EXPECT_TRUE(mutex->Unlock());
    EXPECT_FALSE(LockFromAnotherThread(*mutex, 0));  // still held once
    EXPECT_TRUE(mutex->Unlock());
    EXPECT_TRUE(LockFromAnotherThread(*mutex, 0));
    EXPECT_FALSE(mutex->Unlock());  // not owned any more
}

TEST(MutexTest, UnlockByAnotherThreadIsRefused)
{
    Managed<Mutex> mutex(Mutex::Create());
    ASSERT_TRUE(mutex->Lock(-1));
    bool unlocked = true;
    std::thread other([&] { unlocked = mutex->Unlock(); });
    other.join();
    EXPECT_FALSE(unlocked);
    EXPECT_TRUE(mutex->Unlock());
}

TEST(MutexTest, WaiterGetsTheMutexOnceReleased)
{
    Managed<Mutex> mutex(Mutex::Create());
    ASSERT_TRUE(mutex->Lock(-1));
    bool locked = false;
    std::thread waiter([&] {
        locked = mutex->Lock(-1);
        mutex->Unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    mutex->Unlock();
    waiter.join();
    EXPECT_TRUE(locked);
}

}  // namespace mutex_test
