// The lock's debug check, built here with the checks on whatever the build type.
#include <gtest/gtest.h>

#include "netlib/CNetLock.h"

namespace {

TEST(NetLockChecksDeathTest, WriteLockInsideOwnReadLockIsCaught) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_DEATH(
        {
            CNetLock lock;
            lock.ReadLock();
            lock.WriteLock();  // would wait for its own read hold forever
        },
        "write lock taken inside a read lock");
}

TEST(NetLockChecksDeathTest, AWriteAfterTheReadEndedOrAReadInsideTheWriteIsFine) {
    CNetLock lock;
    lock.ReadLock();
    lock.ReadUnlock();
    lock.WriteLock();  // no read hold left on this thread
    lock.ReadLock();   // a read inside the own write hold
    lock.ReadUnlock();
    lock.WriteUnlock();
    // Reaching here is the check: a false alarm of the debug check aborts
    // the process, and a hold left behind would hang the unlock above.
}

}  // namespace
