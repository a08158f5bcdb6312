// Readers-writer lock and its scoped guard, driven from real threads.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "WaitFor.h"
#include "netlib/CNetAutoLock.h"
#include "netlib/CNetLock.h"

namespace {

// Runs body on its own thread; joins on destruction.
class Worker {
public:
  template <class F>
  explicit Worker(F body) : m_thread(body) {}
  ~Worker() { m_thread.join(); }

private:
  std::thread m_thread;
};

TEST(NetLockTest, WriterWaitsForEveryReaderAlsoWhenTheFirstReaderLeavesLast) {
  CNetLock lock;
  std::atomic<int> step{0};
  std::atomic<bool> written{false};
  lock.ReadLock();  // first reader
  Worker second([&] {
    lock.ReadLock();
    step = 1;
    while (step < 2) Sleep(1);
    lock.ReadUnlock();  // second reader leaves first
    step = 3;
  });
  ASSERT_TRUE(WaitFor([&] { return step == 1; }));
  Worker writer([&] {
    lock.WriteLock();
    written = true;
    lock.WriteUnlock();
  });
  step = 2;
  ASSERT_TRUE(WaitFor([&] { return step == 3; }));
  Sleep(50);
  EXPECT_FALSE(written) << "a writer got in while a reader still held the lock";
  lock.ReadUnlock();
  EXPECT_TRUE(WaitFor([&] { return written.load(); }));
}

TEST(NetLockTest, ReadersGetInWhileAWriterWaits) {
  // No writer preference: a thread that already reads may read again even
  // with a writer queued, instead of deadlocking against it.
  CNetLock lock;
  std::atomic<bool> writerWaiting{false}, written{false};
  lock.ReadLock();
  Worker writer([&] {
    writerWaiting = true;
    lock.WriteLock();
    written = true;
    lock.WriteUnlock();
  });
  ASSERT_TRUE(WaitFor([&] { return writerWaiting.load(); }));
  Sleep(20);
  std::atomic<bool> otherRead{false};
  {
    Worker reader([&] {
      lock.ReadLock();
      otherRead = true;
      lock.ReadUnlock();
    });
  }
  EXPECT_TRUE(otherRead);
  lock.ReadLock();
  lock.ReadUnlock();
  EXPECT_FALSE(written);
  lock.ReadUnlock();
  EXPECT_TRUE(WaitFor([&] { return written.load(); }));
}

TEST(NetLockTest, WriterExcludesReadersAndIsReentrantForItsThread) {
  CNetLock lock;
  lock.WriteLock();
  lock.WriteLock();
  lock.ReadLock();  // a read inside the own write hold does not block
  lock.ReadUnlock();
  std::atomic<bool> read{false};
  Worker reader([&] {
    lock.ReadLock();
    read = true;
    lock.ReadUnlock();
  });
  lock.WriteUnlock();
  Sleep(50);
  EXPECT_FALSE(read) << "the lock was released by the inner unlock";
  lock.WriteUnlock();
  EXPECT_TRUE(WaitFor([&] { return read.load(); }));
}

TEST(NetLockTest, ReadHoldWithoutOwnerMayEndOnAnotherThread) {
  CNetLock lock;
  lock.ReadLock(0);
  { Worker releaser([&] { lock.ReadUnlock(); }); }
  std::atomic<bool> written{false};
  Worker writer([&] {
    lock.WriteLock();
    written = true;
    lock.WriteUnlock();
  });
  EXPECT_TRUE(WaitFor([&] { return written.load(); }));
}

// A writer thread that reports whether it got the lock; joined on destruction.
class WriterProbe {
public:
  explicit WriterProbe(CNetLock& lock)
      : m_thread([this, &lock] {
          lock.WriteLock();
          m_in = true;
          lock.WriteUnlock();
        }) {}
  ~WriterProbe() { m_thread.join(); }
  bool GotIn(DWORD ms) { return WaitFor([this] { return m_in.load(); }, ms); }

private:
  std::atomic<bool> m_in{false};
  std::thread m_thread;
};

TEST(NetLockTest, AutoLockReleasesRetakesAndUnlocksOnScopeExit) {
  CNetLock lock;
  {
    CNetAutoLock guard(&lock, false);
    WriterProbe blocked(lock);
    EXPECT_FALSE(blocked.GotIn(200));
    guard.Unlock();
    EXPECT_TRUE(blocked.GotIn(5000));
    guard.Relock();
    WriterProbe blockedAgain(lock);
    EXPECT_FALSE(blockedAgain.GotIn(200));
    guard.Unlock();
    EXPECT_TRUE(blockedAgain.GotIn(5000));
    guard.Relock();
  }
  { WriterProbe free(lock); EXPECT_TRUE(free.GotIn(5000)) << "the guard kept its hold past its scope"; }
  std::unique_ptr<WriterProbe> probe;
  {
    CNetAutoLock later(&lock, true, false);
    later.Lock(true);
    probe.reset(new WriterProbe(lock));
    EXPECT_FALSE(probe->GotIn(200));
  }
  EXPECT_TRUE(probe->GotIn(5000));
}

}  // namespace
