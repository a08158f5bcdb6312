// "Days back" of the scheduler's record window and of the main window's task
// list, in a zone with daylight saving: this process runs with TZ=EST5EDT
// (set by its test entry before the runtime reads the zone; the runtime does
// not take a new zone once it has converted a time).
#include <gtest/gtest.h>

#include <time.h>

#include "app/engine/CBackupScheduler.h"
#include "app/ui/dialogs/mainwindow/CTaskRowTexts.h"
#include "app/ui/dialogs/mainwindow/TaskListRow.h"

namespace {

// The first day of the year whose noon is daylight-saving time while the
// noon before is not (a 23-hour day); CTime(0) when the zone has none.
CTime SpringForwardDay(int year) {
    bool wasDst = true;
    for (int day = 1; day <= 366; ++day) {
        struct tm noon = {};
        noon.tm_year = year - 1900;
        noon.tm_mday = day;
        noon.tm_hour = 12;
        noon.tm_isdst = -1;
        if (_mktime64(&noon) == -1) break;
        const bool dst = noon.tm_isdst > 0;
        if (dst && !wasDst) return CTime(year, noon.tm_mon + 1, noon.tm_mday, 0, 0, 0);
        wasDst = dst;
    }
    return CTime(0);
}

CTime DayAfter(const CTime& day, int days) {
    return CTime(day.GetYear(), day.GetMonth(), day.GetDay() + days, 12, 0, 0);
}

class DaysBack : public ::testing::Test {
protected:
    void SetUp() override {
        change = SpringForwardDay(2026);
        ASSERT_NE(0, change.GetTime()) << "the zone has no daylight-saving change: run with TZ=EST5EDT";
        // In the hour after midnight that follows the 23-hour day, 24 hours
        // back is two dates back.
        now = CTime(change.GetYear(), change.GetMonth(), change.GetDay() + 1, 0, 30, 0);
    }
    CTime change;
    CTime now;
};

}  // namespace

TEST_F(DaysBack, TheSchedulersRecordWindowCountsCalendarDays) {
    const struct {
        int agoType;
        int daysAfterChange;
    } cases[] = {{0, 1}, {1, 0}, {2, -1}, {7, -14}};
    BACKUP_SCHEDULE schedule;
    schedule.RecordTime = {0, 0, 1, 0};
    for (const auto& c : cases) {
        schedule.AgoType = c.agoType;
        QVNET_TIME begin, end;
        ASSERT_TRUE(ScheduleRecordWindow(schedule, now, &begin, &end));
        const CTime day = DayAfter(change, c.daysAfterChange);
        EXPECT_EQ((uint32_t)day.GetMonth(), begin.month) << c.agoType;
        EXPECT_EQ((uint32_t)day.GetDay(), begin.day) << c.agoType;
    }
}

TEST_F(DaysBack, TheTaskListShowsTheCalendarDay) {
    BACKUP_SCHEDULE automatic;
    automatic.DevID = 1001;
    automatic.AgoType = 1;
    automatic.RecordTime = {1, 0, 2, 0};
    DEVICE_RECORD device;
    device.id = 1001;
    TASK_ROW_TEXT text;
    ASSERT_TRUE(CTaskRowTexts(1, 0, now).Make(automatic, device, 0, &text));
    const CString day = change.Format(L"%Y-%m-%d");
    EXPECT_EQ(std::wstring((day + L" 01:00:00-" + day + L" 02:00:00").GetString()),
              std::wstring(text.information.GetString()));
}
