// Scheduled and manual backups end to end: the engine, the real network SDK,
// simulated recorders on 127.0.0.1, real files and a real record-list
// database, driven by a timer step like the main window's.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "EngineFixture.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"
#include "app/engine/RecordTime.h"

namespace {

int Weekday() { return CTime::GetCurrentTime().GetDayOfWeek() - 1; }

const RECORD_LIST_ROW* RowOf(const RECORD_LIST_ROWS& rows, const RECORD_FILE_DESC& desc) {
    CString text = FormatQvnetTime(desc.start);
    for (const RECORD_LIST_ROW& row : rows) {
        if (row.C_StartTime == text && row.I_ChannelIndex == (int)desc.channel) return &row;
    }
    return nullptr;
}

// The copy of the database the native sqlite3 check reads after the run.
CString ShellCheckCopy() { return JoinPath(GetModuleDir(), L"engine_e2e_RecordList.db"); }
void KeepDatabaseForShellCheck(const CString& path) { CopyFileW(path, ShellCheckCopy(), FALSE); }

}  // namespace

class BackupEndToEnd : public EngineFixture {};

TEST_F(BackupEndToEnd, ScheduledBackupCopiesEveryFileOnceUnderItsRuleName) {
    DeleteFileW(ShellCheckCopy());
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(2));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(1001, 0)));
    ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(1001, 1)));
    ASSERT_EQ(0, engine->Schedules().Save(GetAppConfig()->m_strScheduleFile));

    ASSERT_EQ(0, engine->StartAutoBackup());
    const size_t expectedFiles = FilesOf(recorder, 0, 0).size() + FilesOf(recorder, 1, 0).size();
    ASSERT_EQ(6u, expectedFiles);
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == expectedFiles && Tasks().empty(); }));

    RECORD_LIST_ROWS rows = Rows();
    CString saveDir(temp.File(L"save").c_str());
    for (int channel = 0; channel < 2; ++channel) {
        for (const RECORD_FILE_DESC& desc : FilesOf(recorder, channel, 0)) {
            const RECORD_LIST_ROW* row = RowOf(rows, desc);
            ASSERT_NE(nullptr, row);
            CString name;
            name.Format(L"1001-%d-%04d%02d%02d%02d%02d%02d.duz", channel + 1, desc.start.year, desc.start.month,
                        desc.start.day, desc.start.hour, desc.start.minute, desc.start.second);
            CString expectedPath;
            expectedPath.Format(L"%s\\%04d-%02d-%02d\\sim\\%d\\Normal\\%s", (LPCWSTR)saveDir, desc.start.year,
                                desc.start.month, desc.start.day, channel + 1, (LPCWSTR)name);
            EXPECT_EQ(expectedPath, row->C_FilePath);
            EXPECT_EQ(1001, row->L_DevID);
            EXPECT_EQ(channel, row->I_ChannelIndex);
            EXPECT_EQ(FormatQvnetTime(desc.end), row->C_EndTime);
            EXPECT_EQ(0, row->I_Type);
            std::string bytes = ReadWholeFile(std::wstring(row->C_FilePath));
            EXPECT_FALSE(bytes.empty());
            std::string expected = ExpectedBytes(recorder, desc);
            EXPECT_TRUE(bytes == expected) << "content of " << Narrow(std::wstring(row->C_FilePath)) << ": "
                                           << bytes.size() << " bytes, expected " << expected.size();
        }
    }
    std::vector<BACKUP_SCHEDULE> schedules;
    engine->Schedules().ListAuto(schedules);
    ASSERT_EQ(2u, schedules.size());
    for (const BACKUP_SCHEDULE& schedule : schedules) EXPECT_EQ(kDayEnded, schedule.DayState[Weekday()]);

    // Another run of the same day finds every file in the record list.
    CTime now = CTime::GetCurrentTime();
    for (const BACKUP_SCHEDULE& schedule : schedules)
        engine->Schedules().SetDayDone(schedule.id, 0, 0, 0, Weekday());
    engine->ScheduleTick(now);
    EXPECT_TRUE(TickUntil([&] { return Tasks().empty(); }));
    EXPECT_EQ(expectedFiles, Rows().size());

    EXPECT_EQ(0, engine->StopAutoBackup());
    EXPECT_FALSE(engine->IsSchedulerRunning());
    KeepDatabaseForShellCheck(GetAppConfig()->m_strRecordListFile);
}
