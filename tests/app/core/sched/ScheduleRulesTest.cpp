// The due query, the day states and the retire step of the schedule store.
#include <gtest/gtest.h>

#include <map>

#include "SchedFixtures.h"
#include "app/core/CBackupScheduleStore.h"

namespace {

enum { kSun, kMon, kTue, kWed, kThu, kFri, kSat };

// Ids 1..5 in this order.
void AddWeekPlan(CBackupScheduleStore& store) {
    store.AddAuto(MakeSchedule(1001, 0, Range(8, 0, 9, 0), {kMon}));                                        // 1
    store.AddAuto(MakeSchedule(1001, 1, Range(8, 30, 10, 0), {kMon, kTue}));                                // 2
    store.AddAuto(MakeSchedule(1002, 0, Range(0, 0, 23, 59), {kSun, kMon, kTue, kWed, kThu, kFri, kSat}));  // 3
    store.AddAuto(MakeSchedule(1002, 1, Range(22, 0, 2, 0), {kMon, kTue}));  // 4: end before start
    store.AddAuto(MakeSchedule(1003, 0, Range(23, 0, 24, 30), {kSun}));      // 5: end read as 23:59
}

struct DueCase {
    const char* name;
    int weekday, hour, minute;
    std::map<int, int> states;  // id -> state of that weekday
    int acceptRunning, acceptEnded;
    std::vector<int> due;
};

}  // namespace

TEST(ScheduleRulesTest, QueryDueByClockWeekdayAndState) {
    const DueCase cases[] = {
        {"Monday at the window's start", kMon, 8, 0, {}, 0, 0, {1, 3}},
        {"Monday inside both windows", kMon, 8, 30, {}, 0, 0, {1, 2, 3}},
        {"Monday at the window's end, inclusive", kMon, 9, 0, {}, 0, 0, {1, 2, 3}},
        {"Monday a minute after the end", kMon, 9, 1, {}, 0, 0, {2, 3}},
        {"Monday a minute before the start", kMon, 7, 59, {}, 0, 0, {3}},
        {"Tuesday is not Monday", kTue, 8, 30, {}, 0, 0, {2, 3}},
        {"wrapping window late", kMon, 23, 0, {}, 0, 0, {3}},
        {"wrapping window early", kTue, 1, 0, {}, 0, 0, {3}},
        {"clamped end reaches 23:59", kSun, 23, 59, {}, 0, 0, {3, 5}},
        {"started is not due again", kMon, 8, 30, {{1, kDayStarted}}, 0, 0, {2, 3}},
        {"done is due again", kMon, 8, 30, {{1, kDayDone}}, 0, 0, {1, 2, 3}},
        {"ended is not due", kMon, 8, 30, {{1, kDayEnded}, {2, kDayEndedOther}}, 0, 0, {3}},
        {"(1,0) all but ended", kMon, 8, 30, {{1, kDayStarted}, {2, kDayEndedOther}, {3, kDayDone}}, 1, 0, {1, 3}},
        {"(0,1) only ended", kMon, 8, 30, {{1, kDayEnded}, {2, kDayEndedOther}, {3, kDayDone}}, 0, 1, {1, 2}},
        {"(1,1) all but idle", kMon, 8, 30, {{1, kDayStarted}, {2, kDayEnded}}, 1, 1, {1, 2}},
        {"another pair means idle or done", kMon, 8, 30, {{1, kDayStarted}, {2, kDayDone}}, 2, 0, {2, 3}},
        {"state of another weekday does not count", kMon, 8, 30, {{-1, 0}}, 0, 0, {1, 2, 3}},
    };
    for (const DueCase& c : cases) {
        SCOPED_TRACE(c.name);
        CBackupScheduleStore store;
        AddWeekPlan(store);
        for (const auto& state : c.states) {
            if (state.first < 0) {
                // Every other day started: only the queried day's state matters.
                for (int id = 1; id <= 5; ++id) {
                    BACKUP_SCHEDULE s = store.GetSchedule(id);
                    for (int day = 0; day < 7; ++day)
                        if (day != c.weekday) s.DayState[day] = kDayStarted;
                    store.ModifyAuto(id, s);
                }
                continue;
            }
            BACKUP_SCHEDULE s = store.GetSchedule(state.first);
            s.DayState[c.weekday] = state.second;
            store.ModifyAuto(state.first, s);
        }
        std::vector<BACKUP_SCHEDULE> due;
        EXPECT_EQ(c.due.empty() ? -1 : 0,
                  store.QueryDue(c.hour, c.minute, 0, c.weekday, due, c.acceptRunning, c.acceptEnded));
        EXPECT_EQ(c.due, IdsOf(due));
    }
}

TEST(ScheduleRulesTest, QueryDueAppendsAndRejectsBadWeekdays) {
    CBackupScheduleStore store;
    std::vector<BACKUP_SCHEDULE> due(1);  // the caller's entries stay in front
    EXPECT_EQ(-1, store.QueryDue(8, 30, 0, kMon, due, 0, 0));
    AddWeekPlan(store);
    EXPECT_EQ(0, store.QueryDue(8, 30, 0, kMon, due, 0, 0));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), IdsOf(due));
    for (int weekday : {-1, 7, 100}) {
        std::vector<BACKUP_SCHEDULE> none;
        EXPECT_EQ(-1, store.QueryDue(8, 30, 0, weekday, none, 0, 0)) << weekday;
        EXPECT_TRUE(none.empty());
        EXPECT_EQ(-1, store.SetDayStarted(1, weekday));
        EXPECT_EQ(-1, store.SetDayEnded(1, weekday));
        EXPECT_EQ(-1, store.SetDayDone(1, 8, 30, 0, weekday));
        EXPECT_EQ(-1, store.CollectExpired(8, 30, 0, weekday, none));
    }
}

TEST(ScheduleRulesTest, DayStatesOfAutomaticSchedules) {
    CBackupScheduleStore store;
    AddWeekPlan(store);
    std::vector<BACKUP_SCHEDULE> due;

    // A run taken up once a day: started keeps it out, done lets it in again.
    ASSERT_EQ(0, store.SetDayStarted(1, kMon));
    EXPECT_EQ(kDayStarted, store.GetSchedule(1).DayState[kMon]);
    store.QueryDue(8, 30, 0, kMon, due, 0, 0);
    EXPECT_EQ((std::vector<int>{2, 3}), IdsOf(due));
    ASSERT_EQ(0, store.SetDayDone(1, 8, 59, 0, kMon));
    EXPECT_EQ(kDayDone, store.GetSchedule(1).DayState[kMon]);
    ASSERT_EQ(0, store.SetDayEnded(1, kMon));
    EXPECT_EQ(kDayEnded, store.GetSchedule(1).DayState[kMon]);
    // Done only before the end of the window.
    EXPECT_EQ(0, store.SetDayDone(1, 9, 0, 0, kMon));
    EXPECT_EQ(kDayEnded, store.GetSchedule(1).DayState[kMon]);
    EXPECT_EQ(0, store.SetDayDone(2, 9, 59, 59, kMon));
    EXPECT_EQ(kDayDone, store.GetSchedule(2).DayState[kMon]);

    EXPECT_EQ(-1, store.SetDayStarted(99, kMon));
    EXPECT_EQ(-1, store.SetDayEnded(99, kMon));
    EXPECT_EQ(0, store.SetDayDone(99, 8, 0, 0, kMon));
    // Only the given weekday changed.
    BACKUP_SCHEDULE first = store.GetSchedule(1);
    for (int day = 0; day < 7; ++day) {
        if (day != kMon) {
            EXPECT_EQ(kDayIdle, first.DayState[day]) << day;
        }
    }
}

TEST(ScheduleRulesTest, ManualScheduleLifecycle) {
    CBackupScheduleStore store;
    ASSERT_EQ(0, store.AddManual(MakeSchedule(1001, 0, Range(3, 0, 4, 0), {})));
    ASSERT_EQ(0, store.AddManual(MakeSchedule(1001, 1, Range(3, 0, 4, 0), {})));
    const int first = kManualScheduleIdBase + 1;
    const int second = kManualScheduleIdBase + 2;

    // Due at any hour on any weekday, whatever its run window.
    for (int weekday : {kSun, kWed, kSat}) {
        for (int hour : {0, 12, 23}) {
            std::vector<BACKUP_SCHEDULE> due;
            EXPECT_EQ(0, store.QueryDue(hour, 0, 0, weekday, due, 0, 0));
            EXPECT_EQ((std::vector<int>{first, second}), IdsOf(due));
        }
    }
    // The weekday given does not matter: a manual schedule has one state.
    ASSERT_EQ(0, store.SetDayStarted(first, kThu));
    EXPECT_EQ(kDayStarted, store.GetSchedule(first).DayState[0]);
    std::vector<BACKUP_SCHEDULE> due;
    store.QueryDue(12, 0, 0, kMon, due, 0, 0);
    EXPECT_EQ((std::vector<int>{second}), IdsOf(due));
    due.clear();
    store.QueryDue(12, 0, 0, kMon, due, 1, 1);
    EXPECT_EQ((std::vector<int>{first}), IdsOf(due));

    ASSERT_EQ(0, store.SetDayEnded(first, kThu));
    EXPECT_EQ(0, store.GetSchedule(first).id) << "ending a manual schedule removes it";
    ASSERT_EQ(0, store.SetDayDone(second, 23, 59, 0, kMon));
    EXPECT_EQ(0, store.GetManualCount());
    EXPECT_EQ(-1, store.SetDayEnded(first, kThu));
}

namespace {

struct ExpireCase {
    const char* name;
    int weekday, hour, minute;
    std::vector<int> enabled;
    std::map<int, int> states;  // weekday -> state before
    int agoType;
    int timesReturned;
    std::map<int, int> statesAfter;  // weekday -> state after; every other day idle
};

}  // namespace

TEST(ScheduleRulesTest, CollectExpiredRetiresRunsThatOutlivedTheirWindow) {
    const ExpireCase cases[] = {
        {"today's run past its window", kTue, 10, 0, {kTue}, {{kTue, kDayStarted}}, 0, 1, {}},
        {"today's run still inside", kTue, 8, 30, {kTue}, {{kTue, kDayStarted}}, 0, 0, {{kTue, kDayStarted}}},
        {"at the end minute is not past", kTue, 9, 0, {kTue}, {{kTue, kDayStarted}}, 0, 0, {{kTue, kDayStarted}}},
        {"today ended stays ended", kTue, 10, 0, {kTue}, {{kTue, kDayEnded}}, 0, 0, {{kTue, kDayEnded}}},
        {"yesterday's open run", kTue, 10, 0, {kMon}, {{kMon, kDayStarted}}, 0, 1, {}},
        {"yesterday's open run inside today's window", kTue, 8, 30, {kMon}, {{kMon, kDayStarted}}, 0, 1, {}},
        {"yesterday not enabled: cleared, not returned", kTue, 10, 0, {kTue}, {{kMon, kDayStarted}}, 0, 0, {}},
        {"Sunday looks at Saturday", kSun, 10, 0, {kSat}, {{kSat, kDayStarted}}, 0, 1, {}},
        {"Monday does not look at Saturday", kMon, 10, 0, {kSat}, {{kSat, kDayStarted}}, 0, 0, {}},
        {"both rules at once", kTue, 10, 0, {kMon, kTue}, {{kMon, kDayStarted}, {kTue, kDayStarted}}, 0, 2, {}},
        {"other days' states cleared, today's kept",
         kWed,
         10,
         0,
         {kWed},
         {{kSun, kDayDone}, {kMon, kDayEnded}, {kTue, kDayEndedOther}, {kWed, kDayDone}},
         0,
         0,
         {{kWed, kDayDone}}},
        {"manual AgoType untouched",
         kTue,
         10,
         0,
         {kMon, kTue},
         {{kMon, kDayStarted}, {kTue, kDayStarted}},
         kManualAgoType,
         0,
         {{kMon, kDayStarted}, {kTue, kDayStarted}}},
    };
    for (const ExpireCase& c : cases) {
        SCOPED_TRACE(c.name);
        CBackupScheduleStore store;
        store.AddAuto(MakeSchedule(1009, 0, Range(0, 0, 0, 0), {}));  // never enabled, never returned
        BACKUP_SCHEDULE schedule = MakeSchedule(1001, 0, Range(8, 0, 9, 0), {}, c.agoType);
        for (int day : c.enabled) schedule.WeekDayEnable[day] = 1;
        for (const auto& state : c.states) schedule.DayState[state.first] = state.second;
        store.AddAuto(schedule);  // id 2

        std::vector<BACKUP_SCHEDULE> expired;
        EXPECT_EQ(c.timesReturned ? 0 : -1, store.CollectExpired(c.hour, c.minute, 0, c.weekday, expired));
        EXPECT_EQ(std::vector<int>(c.timesReturned, 2), IdsOf(expired));
        const BACKUP_SCHEDULE after = store.GetSchedule(2);
        for (int day = 0; day < 7; ++day) {
            const auto expected = c.statesAfter.find(day);
            EXPECT_EQ(expected == c.statesAfter.end() ? kDayIdle : expected->second, after.DayState[day]) << day;
        }
        // The last copy handed out carries the reset states.
        if (!expired.empty()) {
            for (int day = 0; day < 7; ++day) EXPECT_EQ(after.DayState[day], expired.back().DayState[day]) << day;
        }
    }
}

TEST(ScheduleRulesTest, ExpiredRunIsTakenUpAgainNextPass) {
    // A run still open after midnight is stopped once; the new day starts idle.
    CBackupScheduleStore store;
    store.AddAuto(MakeSchedule(1001, 0, Range(0, 0, 23, 59), {kMon, kTue}));
    ASSERT_EQ(0, store.SetDayStarted(1, kMon));
    std::vector<BACKUP_SCHEDULE> expired;
    EXPECT_EQ(0, store.CollectExpired(0, 0, 5, kTue, expired));
    expired.clear();
    EXPECT_EQ(-1, store.CollectExpired(0, 0, 15, kTue, expired)) << "returned once only";
    std::vector<BACKUP_SCHEDULE> due;
    EXPECT_EQ(0, store.QueryDue(0, 1, 0, kTue, due, 0, 0));
    EXPECT_EQ((std::vector<int>{1}), IdsOf(due));
}
