// Readers-writer lock and its scoped guard, driven from real threads.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "WaitFor.h"
#include "netlib/CNetAutoLock.h"
#include "netlib/CNetLock.h"

namespace {

// A thread that takes the lock (write or read), notes that it got in and
// lets go again; joined on destruction.
class LockProbe {
public:
    LockProbe(CNetLock& lock, bool write)
        : m_thread([this, &lock, write] {
              if (write)
                  lock.WriteLock();
              else
                  lock.ReadLock();
              m_in = true;
              if (write)
                  lock.WriteUnlock();
              else
                  lock.ReadUnlock();
          }) {}
    ~LockProbe() { m_thread.join(); }
    bool GotIn(DWORD ms) {
        return WaitFor([this] { return m_in.load(); }, ms);
    }

private:
    std::atomic<bool> m_in{false};
    std::thread m_thread;
};

TEST(NetLockTest, WriterWaitsForEveryReaderAlsoWhenTheFirstReaderLeavesLast) {
    CNetLock lock;
    std::atomic<int> step{0};
    lock.ReadLock();  // first reader
    std::thread second([&] {
        lock.ReadLock();
        step = 1;
        while (step < 2) Sleep(1);
        lock.ReadUnlock();  // second reader leaves first
        step = 3;
    });
    ASSERT_TRUE(WaitFor([&] { return step == 1; }));
    LockProbe writer(lock, true);
    step = 2;
    second.join();
    EXPECT_FALSE(writer.GotIn(50)) << "a writer got in while a reader still held the lock";
    lock.ReadUnlock();
    EXPECT_TRUE(writer.GotIn(5000));
}

TEST(NetLockTest, ReadersGetInWhileAWriterWaits) {
    // No writer preference: a thread that already reads may read again even
    // with a writer queued, instead of deadlocking against it.
    CNetLock lock;
    lock.ReadLock();
    LockProbe writer(lock, true);
    EXPECT_FALSE(writer.GotIn(50));
    {
        LockProbe reader(lock, false);
        EXPECT_TRUE(reader.GotIn(5000));
    }
    lock.ReadLock();
    lock.ReadUnlock();
    EXPECT_FALSE(writer.GotIn(20));
    lock.ReadUnlock();
    EXPECT_TRUE(writer.GotIn(5000));
}

TEST(NetLockTest, WriterExcludesReadersAndIsReentrantForItsThread) {
    CNetLock lock;
    lock.WriteLock();
    lock.WriteLock();
    lock.ReadLock();  // a read inside the own write hold does not block
    lock.ReadUnlock();
    LockProbe reader(lock, false);
    lock.WriteUnlock();
    EXPECT_FALSE(reader.GotIn(50)) << "the lock was released by the inner unlock";
    lock.WriteUnlock();
    EXPECT_TRUE(reader.GotIn(5000));
}

TEST(NetLockTest, ReadHoldWithoutOwnerMayEndOnAnotherThread) {
    CNetLock lock;
    lock.ReadLock(0);
    std::thread([&] { lock.ReadUnlock(); }).join();
    LockProbe writer(lock, true);
    EXPECT_TRUE(writer.GotIn(5000));
}

TEST(NetLockTest, AutoLockReleasesRetakesAndUnlocksOnScopeExit) {
    CNetLock lock;
    {
        CNetAutoLock guard(&lock, false);
        LockProbe blocked(lock, true);
        EXPECT_FALSE(blocked.GotIn(200));
        guard.Unlock();
        EXPECT_TRUE(blocked.GotIn(5000));
        guard.Relock();
        LockProbe blockedAgain(lock, true);
        EXPECT_FALSE(blockedAgain.GotIn(200));
        guard.Unlock();
        EXPECT_TRUE(blockedAgain.GotIn(5000));
        guard.Relock();
    }
    {
        LockProbe free(lock, true);
        EXPECT_TRUE(free.GotIn(5000)) << "the guard kept its hold past its scope";
    }
    std::unique_ptr<LockProbe> probe;
    {
        CNetAutoLock later(&lock, true, false);
        later.Lock(true);
        probe.reset(new LockProbe(lock, true));
        EXPECT_FALSE(probe->GotIn(200));
    }
    EXPECT_TRUE(probe->GotIn(5000));
}

}  // namespace
