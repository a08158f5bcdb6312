#include "common/CLockCondition.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// True when another thread can enter the lock's section at this moment.
bool FreeForOthers(CLock& lock) {
    bool entered = false;
    std::thread other([&] {
        CRITICAL_SECTION* section = reinterpret_cast<CRITICAL_SECTION*>(&lock);
        entered = TryEnterCriticalSection(section) != 0;
        if (entered) LeaveCriticalSection(section);
    });
    other.join();
    return entered;
}

}  // namespace

// The waiter leaves the lock while it sleeps: the thread that sets the flag
// takes the same lock, so a wait that kept it would end only by its time-out
// and report false.
TEST(CLockConditionTest, WaiterLeavesTheLockAndWakesWhenTheFlagIsSet) {
    CLock lock;
    CLockCondition condition;
    bool waiting = false;
    bool ready = false;
    bool woken = false;
    bool heldAfterWait = false;
    std::thread waiter([&] {
        CAutoLock guard(&lock);
        waiting = true;
        woken = condition.WaitFor(guard, 20000, [&] { return ready; });
        heldAfterWait = !FreeForOthers(lock);
    });
    for (bool set = false; !set; Sleep(5)) {
        CAutoLock guard(&lock);
        // Seen under the lock, the waiter's mark means it is inside its wait.
        if (waiting) {
            ready = true;
            condition.WakeAll();
            set = true;
        }
    }
    waiter.join();
    EXPECT_TRUE(woken);
    EXPECT_TRUE(heldAfterWait);
}

TEST(CLockConditionTest, TimeOutReportsFalseAndHoldsTheLockAgain) {
    CLock lock;
    CLockCondition condition;
    CAutoLock guard(&lock);
    EXPECT_FALSE(condition.WaitFor(guard, 30, [] { return false; }));
    EXPECT_TRUE(guard.IsHolding());
    EXPECT_FALSE(FreeForOthers(lock));
    // A flag already set returns at once, without sleeping.
    EXPECT_TRUE(condition.WaitFor(guard, 0, [] { return true; }));
}
