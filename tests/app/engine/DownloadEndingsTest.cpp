// How downloads leave the runner against a simulated recorder: files it
// refuses, files of no byte, and recordings whose record-list row cannot be
// written. Each way out must end the schedule's bookkeeping and keep what
// arrived.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "EngineFixture.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"

namespace {

int Weekday() { return CTime::GetCurrentTime().GetDayOfWeek() - 1; }

bool FileExists(const CString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// Every insert into the record list fails (or works again), while the
// database itself opens and passes its table check.
void RefuseRows(const CString& path, bool refuse) {
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open16(path.GetString(), &db));
    const char* sql = refuse ? "CREATE TRIGGER refuse_rows BEFORE INSERT ON D_RecordList "
                               "BEGIN SELECT RAISE(FAIL, 'refused'); END;"
                             : "DROP TRIGGER refuse_rows;";
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
    sqlite3_close(db);
}

// Log records of this month whose text starts with the prefix.
int CountLogged(CBackupEngine& engine, const CString& prefix) {
    std::vector<LOG_RECORD> records;
    const CTime now = CTime::GetCurrentTime();
    engine.Log().Query(records, now.GetYear(), now.GetMonth(), -1, -1, L"", GetDefaultLogTime(), GetDefaultLogTime(), 0,
                       -1, -1, -1, -1, -1);
    int count = 0;
    for (const LOG_RECORD& record : records) count += record.C_Information.Find(prefix) == 0;
    return count;
}

}  // namespace

class DownloadEndings : public EngineFixture {
protected:
    // A manual schedule of yesterday for channel 0 of device 1001; its id.
    int AddManualSchedule() {
        BACKUP_SCHEDULE manual = DaySchedule(1001, 0);
        const CTime yesterday = CTime::GetCurrentTime() - CTimeSpan(1, 0, 0, 0);
        manual.EndTime.Year = yesterday.GetYear();
        manual.EndTime.Month = (uint8_t)yesterday.GetMonth();
        manual.EndTime.Day = (uint8_t)yesterday.GetDay();
        EXPECT_EQ(0, engine->Schedules().AddManual(manual));
        return engine->Schedules().PeekNextManualId() - 1;
    }
    int ManualOn() {
        int automatic = 0, manual = 0;
        engine->GetBackupState(&automatic, &manual);
        return manual;
    }
};

TEST_F(DownloadEndings, ManualDownloadEndsWhenItsFilesAreRefusedOrItsTaskIsStopped) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);

    // The recorder answers that none of the files exists.
    recorder.Faults().unknownFiles = true;
    int manualId = AddManualSchedule();
    for (const RECORD_FILE_DESC& desc : FilesOf(recorder, 0, 1))
        ASSERT_EQ(0, engine->AddDownloadTask(1001, &desc, manualId, 0));
    ASSERT_EQ(0, engine->StartManualDownload());
    ASSERT_TRUE(TickUntil([&] { return Tasks().empty(); }));
    EXPECT_EQ(0, engine->Schedules().GetManualCount());
    EXPECT_EQ(0, ManualOn()) << "the manual download stayed started after its last file was refused";
    EXPECT_EQ(0, engine->StopManualDownload());

    // The operator stops the only task of a manual download.
    recorder.Faults().unknownFiles = false;
    recorder.Faults().slowMsPerBlock = 200;
    manualId = AddManualSchedule();
    const RECORD_FILE_DESC file = FilesOf(recorder, 0, 1).at(0);
    ASSERT_EQ(0, engine->AddDownloadTask(1001, &file, manualId, 0));
    ASSERT_EQ(0, engine->StartManualDownload());
    ASSERT_TRUE(TickUntil([&] {
        std::vector<RECORD_TASK> tasks = Tasks();
        return tasks.size() == 1 && tasks[0].state == 1;
    }));
    // A scheduler pass already past its query when the task is stopped may
    // queue the file once more; the recorder then refuses it, so that task
    // ends too and only the stop's own bookkeeping is left to check.
    recorder.Faults().unknownFiles = true;
    ASSERT_EQ(0, engine->StopTask(Tasks().at(0).taskId));
    ASSERT_TRUE(TickUntil([&] { return Tasks().empty(); }));
    EXPECT_EQ(0, engine->Schedules().GetManualCount());
    EXPECT_EQ(0, ManualOn()) << "the manual download stayed started after its last task was stopped";
    EXPECT_EQ(0, engine->StopManualDownload());
}

TEST_F(DownloadEndings, ARecordFileOfNoByteIsRetiredAndRecorded) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    recorder.Faults().emptyFiles = true;
    const RECORD_FILE_DESC file = FilesOf(recorder, 0, 0).at(0);
    ASSERT_EQ(0, engine->AddDownloadTask(1001, &file, 1, Weekday()));
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == 1 && Tasks().empty(); }))
        << "an empty file held the device's download slot";
    const RECORD_LIST_ROW row = Rows()[0];
    EXPECT_EQ(0, row.L_FileLen);
    EXPECT_TRUE(FileExists(row.C_FilePath));
    EXPECT_TRUE(ReadWholeFile(std::wstring(row.C_FilePath)).empty());
}

TEST_F(DownloadEndings, ARecordListThatCannotBeOpenedAtLoginIsReported) {
    // The user's RecordList.db cannot be made: its folder is gone.
    CAppConfig* config = GetAppConfig();
    config->m_strRecordListFile = CString(temp.File(L"gone\\RecordList.db").c_str());
    EXPECT_EQ(-1, engine->LoadUserData()) << "the failed open and table check were not reported";
    EXPECT_TRUE(
        WaitFor([&] { return CountLogged(*engine, L"Record list open failed! " + config->m_strRecordListFile) == 1; }));
}

TEST_F(DownloadEndings, RecordingsAreKeptWhenTheRecordListTakesNoRowsAndIndexedOnceItDoes) {
    const CString database = GetAppConfig()->m_strRecordListFile;
    RefuseRows(database, true);
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    const std::vector<RECORD_FILE_DESC> files = FilesOf(recorder, 0, 0);
    ASSERT_EQ(3u, files.size());
    for (const RECORD_FILE_DESC& desc : files) ASSERT_EQ(0, engine->AddDownloadTask(1001, &desc, 1, Weekday()));
    std::map<int, int> kept;
    ASSERT_TRUE(TickUntil([&] {
        kept.clear();
        engine->CountUnindexedBySchedule(&kept);
        return Tasks().empty() && kept[1] == 3;
    }));
    const CString dayFolder = CString(temp.File(L"save").c_str()) + L"\\" +
                              CTime::GetCurrentTime().Format(L"%Y-%m-%d") + L"\\sim\\1\\Normal\\";
    for (const RECORD_FILE_DESC& desc : files) {
        CString name;
        name.Format(L"1001-1-%04d%02d%02d%02d%02d%02d.duz", desc.start.year, desc.start.month, desc.start.day,
                    desc.start.hour, desc.start.minute, desc.start.second);
        EXPECT_EQ(ExpectedBytes(recorder, desc), ReadWholeFile(std::wstring(dayFolder + name)))
            << "a downloaded recording was thrown away: " << Narrow(std::wstring(name));
    }
    EXPECT_TRUE(WaitFor([&] { return CountLogged(*engine, L"Record list write failed! " + dayFolder) == 3; }));

    // The database takes rows again: the kept recordings get theirs.
    RefuseRows(database, false);
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == 3; }));
    kept.clear();
    engine->CountUnindexedBySchedule(&kept);
    EXPECT_EQ(0, kept[1]);
    for (const RECORD_LIST_ROW& row : Rows()) EXPECT_EQ(0, row.C_FilePath.Find(dayFolder));
}
