#include "common/CAutoLock.h"

#include <gtest/gtest.h>

#include <thread>

TEST(CLockTest, DestroyTwiceIsQuiet) {
    CLock lock;
    {
        CAutoLock held(&lock);
        lock.Init();  // an owner's own Init must not reset a held section
        bool enteredElsewhere = true;
        std::thread other([&] {
            auto* section = reinterpret_cast<CRITICAL_SECTION*>(&lock);
            enteredElsewhere = TryEnterCriticalSection(section) != 0;
            if (enteredElsewhere) LeaveCriticalSection(section);
        });
        other.join();
        EXPECT_FALSE(enteredElsewhere);
        EXPECT_EQ(0, held.Unlock());
    }
    lock.Destroy();
    lock.Destroy();
    EXPECT_EQ(0, lock.Release());
}

TEST(CLockTest, GuardReleaseAndRetake) {
    CLock lock;
    CAutoLock guard(&lock);
    EXPECT_TRUE(guard.IsHolding());
    EXPECT_EQ(0, guard.Unlock());
    EXPECT_EQ(-1, guard.Unlock());
    EXPECT_EQ(0, guard.Lock());
    EXPECT_EQ(0, guard.Lock());  // already holding: must not enter twice
    EXPECT_EQ(0, guard.Unlock());

    // Nobody holds it now: another thread can take it at once.
    bool taken = false;
    std::thread other([&] {
        taken = TryEnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(&lock)) != 0;
        if (taken) LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(&lock));
    });
    other.join();
    EXPECT_TRUE(taken);
}

TEST(CLockTest, NestedGuardsOnOneThreadAndExclusionAcrossThreads) {
    CLock lock;
    int counter = 0;
    {
        CAutoLock outer(&lock);
        CAutoLock inner(&lock);
        ++counter;
    }
    std::thread threads[4];
    for (auto& t : threads)
        t = std::thread([&] {
            for (int i = 0; i < 10000; ++i) {
                CAutoLock guard(&lock);
                ++counter;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(40001, counter);
}
