#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/CCriticalSection.h"
#include "common/CEvent.h"
#include "common/CScopedLock.h"

namespace {

using namespace common;

TEST(CriticalSection, LeaveWithoutHolderChangesNothing) {
    CCriticalSection lock;
    lock.Leave();
    EXPECT_EQ(0, lock.GetLockCount());
    // Still a working lock for another thread afterwards.
    std::thread other([&] {
        lock.Enter();
        lock.Leave();
    });
    other.join();
    EXPECT_EQ(0, lock.GetLockCount());
}

TEST(CriticalSection, NestingCountFollowsScopedLocks) {
    CCriticalSection lock;
    lock.Enter();
    lock.Enter(); // recursive: the same thread enters again without blocking
    EXPECT_EQ(2, lock.GetLockCount());
    lock.Leave();
    lock.Leave();
    EXPECT_EQ(0, lock.GetLockCount());
    {
        CScopedLock outer(&lock);
        EXPECT_EQ(1, lock.GetLockCount());
        {
            CScopedLock inner(&lock);
            EXPECT_EQ(2, lock.GetLockCount());
        }
        EXPECT_EQ(1, lock.GetLockCount());
    }
    EXPECT_EQ(0, lock.GetLockCount());
    CScopedLock none(nullptr); // a null lock is allowed and does nothing
}

TEST(CriticalSection, ExcludesOtherThreads) {
    CCriticalSection lock;
    int64_t shared = 0; // plain on purpose: only the lock protects it
    const int kThreads = 4;
    const int kRounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                CScopedLock hold(&lock);
                CScopedLock again(&lock);
                ++shared;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(int64_t(kThreads) * kRounds, shared);
    EXPECT_EQ(0, lock.GetLockCount());
}

TEST(CriticalSection, WaiterGetsLockOnlyAfterRelease) {
    CCriticalSection lock;
    CEvent attempting;
    std::atomic<bool> acquired{false};
    lock.Enter();
    std::thread other([&] {
        attempting.Set();
        CScopedLock hold(&lock);
        acquired = true;
    });
    ASSERT_TRUE(attempting.Wait());
    EXPECT_FALSE(acquired); // it cannot get past Enter while this thread holds the lock
    lock.Leave();
    other.join();
    EXPECT_TRUE(acquired);
}

TEST(Event, ManualResetStaysSetUntilReset) {
    CEvent event;
    ASSERT_TRUE(event.IsValid());
    EXPECT_FALSE(event.Wait(0));
    EXPECT_TRUE(event.Set());
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0)); // a wait does not consume it
    EXPECT_TRUE(event.Wait(-1));
    EXPECT_TRUE(event.Reset());
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(event.Wait(1)); // times out

    CEvent initiallySet(true);
    EXPECT_TRUE(initiallySet.Wait(0));
}

TEST(Event, OneSetReleasesEveryWaiter) {
    CEvent gate;
    CEvent ready[3];
    std::atomic<int> released{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i) {
        threads.emplace_back([&, i] {
            ready[i].Set();
            if (gate.Wait(-1))
                ++released;
        });
    }
    for (CEvent& r : ready)
        ASSERT_TRUE(r.Wait());
    EXPECT_TRUE(gate.Set());
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(3, released);
}

} // namespace
