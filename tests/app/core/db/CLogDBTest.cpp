#include "app/core/CLogDB.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "SqlFile.h"
#include "TempDir.h"
#include "app/core/TextValues.h"
#include "WaitFor.h"

namespace {

LOG_TIME LocalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return MakeLocalTime(year, month, day, hour, minute, second);
}

LOG_RECORD Entry(LOG_TIME when, const wchar_t* info, int type = 0, int code = 0) {
    LOG_RECORD record;
    record.I_LogType = type;
    record.I_SubType = code;
    record.C_StartTime = when;
    record.C_StopTime = when;
    record.C_UpdateTime = when;
    record.C_Information = info;
    return record;
}

// D_Logs as a month file of an older version holds it: no index.
const char kOlderMonthTable[] =
    "CREATE TABLE D_Logs(L_ID BIGINT,I_LogType INT, I_SubType INT,C_StartTime varchar(20),"
    "C_StopTime varchar(20),L_SrcDevID BIGINT,I_SrcChannelIdx INT,L_DesDevID BIGINT,I_DesChannelIdx INT,"
    "I_Option INT,C_Information varchar(256),C_FileName varchar(256),C_OtherInfo varchar(256),"
    "C_UserID varchar(256),C_UpdateTime varchar(20));";

std::vector<std::string> Infos(const std::vector<LOG_RECORD>& records) {
    std::vector<std::string> infos;
    for (const LOG_RECORD& record : records) infos.push_back(CStringA(record.C_Information).GetString());
    return infos;
}

class LogDBTest : public ::testing::Test {
protected:
    TempDir dir;
    std::wstring logDir = dir.File(L"Config\\Log\\");
    std::unique_ptr<CLogDB> log{new CLogDB};

    void SetUp() override { log->SetDirectory(logDir.c_str()); }

    std::vector<LOG_RECORD> Month(int year, int month, int type = -1, int code = -1, const CString& user = L"",
                                  LOG_TIME from = GetDefaultLogTime(), LOG_TIME to = GetDefaultLogTime()) {
        std::vector<LOG_RECORD> out;
        EXPECT_EQ(0, log->Query(out, year, month, type, code, user, from, to, -1, -1, -1, -1, -1, -1));
        return out;
    }
    // Waits until the month holds count entries.
    bool WaitForEntries(int year, int month, size_t count, DWORD timeoutMs = 20000) {
        return WaitFor(
            [&] {
                std::vector<LOG_RECORD> out;
                log->Query(out, year, month, -1, -1, L"", GetDefaultLogTime(), GetDefaultLogTime(), -1, -1, -1, -1, -1,
                           -1);
                return out.size() == count;
            },
            timeoutMs);
    }
    std::wstring MonthFile(const wchar_t* name) { return logDir + name; }
    // Writes an entry "first" into the month of 2024, then holds an
    // exclusive lock on its file through a connection of the test's own.
    std::unique_ptr<SqlFile> LockMonth(int month) {
        log->AddLog(Entry(LocalTime(2024, month, 1), L"first"));
        EXPECT_TRUE(WaitForEntries(2024, month, 1));
        wchar_t name[16];
        swprintf(name, 16, L"2024_%02d.db", month);
        std::unique_ptr<SqlFile> holder(new SqlFile(MonthFile(name)));
        EXPECT_TRUE(holder->Exec("BEGIN EXCLUSIVE"));
        return holder;
    }
};

}  // namespace

TEST_F(LogDBTest, EntriesLandInTheFileOfTheirMonth) {
    log->AddLog(Entry(LocalTime(2024, 3, 31, 23, 59), L"march"));
    log->AddLog(Entry(LocalTime(2024, 4, 1, 0, 1), L"april"));
    ASSERT_TRUE(WaitForEntries(2024, 4, 1));
    ASSERT_TRUE(WaitForEntries(2024, 3, 1));

    SqlFile march(MonthFile(L"2024_03.db"));
    EXPECT_EQ(
        std::vector<std::string>{"CREATE TABLE D_Logs(L_ID BIGINT,I_LogType INT, I_SubType INT,C_StartTime varchar(20),"
                                 "C_StopTime varchar(20),L_SrcDevID BIGINT,I_SrcChannelIdx INT,L_DesDevID BIGINT,"
                                 "I_DesChannelIdx INT,I_Option INT,C_Information varchar(256),C_FileName varchar(256),"
                                 "C_OtherInfo varchar(256),C_UserID varchar(256),C_UpdateTime varchar(20))"},
        march.Column("SELECT sql FROM sqlite_master WHERE type = 'table'"));
    EXPECT_EQ(std::vector<std::string>{"IX_Logs_ID"},
              march.Column("SELECT name FROM sqlite_master WHERE type = 'index'"));
    EXPECT_EQ(std::vector<std::string>{"1|march|2024-03-31 23:59:00"},
              march.Column("SELECT L_ID || '|' || C_Information || '|' || C_UpdateTime FROM D_Logs"));
    SqlFile april(MonthFile(L"2024_04.db"));
    EXPECT_EQ(std::vector<std::string>{"1|april|2024-04-01 00:01:00"},
              april.Column("SELECT L_ID || '|' || C_Information || '|' || C_UpdateTime FROM D_Logs"));
}

TEST_F(LogDBTest, MonthWithoutIndexGainsItAndKeepsItsEntries) {
    CreateDirectoryW(dir.File(L"Config").c_str(), nullptr);
    CreateDirectoryW(logDir.c_str(), nullptr);
    {
        SqlFile old(MonthFile(L"2024_06.db"));
        ASSERT_TRUE(
            old.Exec(std::string(kOlderMonthTable) +
                     "INSERT INTO D_Logs(L_ID,C_Information,C_UpdateTime) VALUES(1,'one','2024-06-01 00:00:00');"
                     "INSERT INTO D_Logs(L_ID,C_Information,C_UpdateTime) VALUES(2,'two','2024-06-02 00:00:00');"));
    }
    log->AddLog(Entry(LocalTime(2024, 6, 3), L"three"));
    ASSERT_TRUE(WaitForEntries(2024, 6, 3));
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), Infos(Month(2024, 6)));
    SqlFile file(MonthFile(L"2024_06.db"));
    EXPECT_EQ(std::vector<std::string>{"IX_Logs_ID"},
              file.Column("SELECT name FROM sqlite_master WHERE type = 'index'"));
    EXPECT_EQ(3, file.Number("SELECT L_ID FROM D_Logs WHERE C_Information = 'three'"));
}

// A month whose rows are not stored in L_ID order (another program's file,
// a hand-made one) still lists in L_ID order, a missing L_ID first as SQLite
// sorts it, with and without a filter.
TEST_F(LogDBTest, MonthStoredOutOfIdOrderListsInIdOrder) {
    CreateDirectoryW(dir.File(L"Config").c_str(), nullptr);
    CreateDirectoryW(logDir.c_str(), nullptr);
    {
        SqlFile file(MonthFile(L"2024_07.db"));
        ASSERT_TRUE(file.Exec(std::string(kOlderMonthTable) +
                              "INSERT INTO D_Logs(L_ID,I_LogType,C_Information) VALUES(1,1,'one');"
                              "INSERT INTO D_Logs(L_ID,I_LogType,C_Information) VALUES(2,0,'two');"
                              "INSERT INTO D_Logs(L_ID,I_LogType,C_Information) VALUES(5,1,'five');"
                              "INSERT INTO D_Logs(L_ID,I_LogType,C_Information) VALUES(3,1,'three');"
                              "INSERT INTO D_Logs(L_ID,I_LogType,C_Information) VALUES(NULL,1,'none');"
                              "INSERT INTO D_Logs(L_ID,I_LogType,C_Information) VALUES(4,0,'four');"));
    }
    EXPECT_EQ((std::vector<std::string>{"none", "one", "two", "three", "four", "five"}), Infos(Month(2024, 7)));
    EXPECT_EQ((std::vector<std::string>{"none", "one", "three", "five"}), Infos(Month(2024, 7, 1)));
    EXPECT_EQ((std::vector<std::string>{"two", "four"}), Infos(Month(2024, 7, 0)));
}

TEST_F(LogDBTest, EveryFieldSurvives) {
    LOG_RECORD record = Entry(LocalTime(2024, 5, 6, 7, 8, 9), L"it's 100%", 1, 1012);
    record.C_StopTime = LocalTime(2024, 5, 6, 8, 0, 0);
    record.L_SrcDevID = 1001;
    record.I_SrcChannelIdx = 2;
    record.L_DesDevID = 1002;
    record.I_DesChannelIdx = 3;
    record.I_Option = 4;
    record.C_FileName = L"D:\\O'Brien\\a.dav";
    record.C_OtherInfo = L"x'); DROP TABLE D_Logs; --";
    record.C_UserID = L"o'neil";
    log->AddLog(record);
    ASSERT_TRUE(WaitForEntries(2024, 5, 1));
    std::vector<LOG_RECORD> out = Month(2024, 5);
    ASSERT_EQ(1u, out.size());
    const LOG_RECORD& got = out[0];
    EXPECT_EQ(1, got.I_LogType);
    EXPECT_EQ(1012, got.I_SubType);
    EXPECT_EQ(record.C_StartTime, got.C_StartTime);
    EXPECT_EQ(record.C_StopTime, got.C_StopTime);
    EXPECT_EQ(record.C_UpdateTime, got.C_UpdateTime);
    EXPECT_EQ(1001, got.L_SrcDevID);
    EXPECT_EQ(2, got.I_SrcChannelIdx);
    EXPECT_EQ(1002, got.L_DesDevID);
    EXPECT_EQ(3, got.I_DesChannelIdx);
    EXPECT_EQ(4, got.I_Option);
    EXPECT_EQ(record.C_Information, got.C_Information);
    EXPECT_EQ(record.C_FileName, got.C_FileName);
    EXPECT_EQ(record.C_OtherInfo, got.C_OtherInfo);
    EXPECT_EQ(record.C_UserID, got.C_UserID);
}

TEST_F(LogDBTest, QueryOfAMonthWithoutFileFailsAndEmptiesTheList) {
    std::vector<LOG_RECORD> out(3);
    EXPECT_EQ(-1,
              log->Query(out, 2023, 7, -1, -1, L"", GetDefaultLogTime(), GetDefaultLogTime(), -1, -1, -1, -1, -1, -1));
    EXPECT_TRUE(out.empty());
}

TEST_F(LogDBTest, QueryFiltersAndTimeWindows) {
    std::vector<LOG_RECORD> entries = {
        Entry(LocalTime(2024, 1, 15, 9, 0), L"a", 0, 0),
        Entry(LocalTime(2024, 1, 15, 9, 50), L"b", 1, 1012),
        Entry(LocalTime(2024, 1, 15, 11, 0), L"c", 1, 1015),
        Entry(LocalTime(2024, 1, 1, 0, 0), L"d", 0, 2),
    };
    entries[1].C_StopTime = LocalTime(2024, 1, 15, 10, 10);  // spans 10:00
    entries[1].C_UserID = L"o'neil";
    entries[2].L_SrcDevID = 1001, entries[2].I_SrcChannelIdx = 1, entries[2].L_DesDevID = 1002;
    entries[2].I_DesChannelIdx = 2, entries[2].I_Option = 5;
    for (const LOG_RECORD& e : entries) log->AddLog(e);
    ASSERT_TRUE(WaitForEntries(2024, 1, entries.size()));

    LOG_TIME none = GetDefaultLogTime();
    LOG_TIME ten = LocalTime(2024, 1, 15, 10, 0);
    LOG_TIME firstOfMonth = LocalTime(2024, 1, 1, 0, 0);
    LOG_TIME noonOf2000 = LocalTime(2000, 1, 1, 8, 0);  // any time on that day counts as unset
    const struct {
        const char* name;
        int type, code;
        const wchar_t* user;
        LOG_TIME from, to;
        std::vector<std::string> infos;
    } cases[] = {
        {"all in id order", -1, -1, L"", none, none, {"a", "b", "c", "d"}},
        {"type", 1, -1, L"", none, none, {"b", "c"}},
        {"type and code", 1, 1015, L"", none, none, {"c"}},
        {"user with quote", -1, -1, L"o'neil", none, none, {"b"}},
        {"from", -1, -1, L"", ten, none, {"b", "c"}},
        {"to", -1, -1, L"", none, ten, {"a", "b", "d"}},
        {"from and to", -1, -1, L"", ten, LocalTime(2024, 1, 15, 10, 30), {"b"}},
        {"from on the first of the month", -1, -1, L"", firstOfMonth, none, {"a", "b", "c", "d"}},
        {"to on the first of the month", -1, -1, L"", none, firstOfMonth, {"d"}},
        {"bounds dated 2000-01-01", -1, -1, L"", noonOf2000, noonOf2000, {"a", "b", "c", "d"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.infos, Infos(Month(2024, 1, c.type, c.code, c.user, c.from, c.to))) << c.name;

    std::vector<LOG_RECORD> out;
    ASSERT_EQ(0, log->Query(out, 2024, 1, -1, -1, L"", none, none, -1, 1001, 1, 1002, 2, 5));
    EXPECT_EQ(std::vector<std::string>{"c"}, Infos(out));
    ASSERT_EQ(0, log->Query(out, 2024, 1, -1, -1, L"", none, none, -1, -1, -1, -1, -1, 6));
    EXPECT_TRUE(out.empty());
}

TEST_F(LogDBTest, BurstIsWrittenInOrderAddedAndNumbered) {
    LOG_TIME t = LocalTime(2024, 2, 10, 12, 0);
    const int kCount = 300;
    for (int i = 0; i < kCount; ++i) log->AddLog(Entry(t, std::to_wstring(i).c_str()));
    ASSERT_TRUE(WaitForEntries(2024, 2, kCount));
    std::vector<LOG_RECORD> out = Month(2024, 2);
    for (int i = 0; i < kCount; ++i) ASSERT_EQ(std::to_string(i), Infos(out)[i]);
    SqlFile raw(MonthFile(L"2024_02.db"));
    EXPECT_EQ(kCount, raw.Number("SELECT COUNT(DISTINCT L_ID) FROM D_Logs WHERE L_ID BETWEEN 1 AND 300"));
}

// Two writers would each write the head of the queue, so entries would come
// out twice while others vanish.
TEST_F(LogDBTest, ConcurrentLoggersGetEveryEntryWrittenOnce) {
    LOG_TIME t = LocalTime(2024, 6, 1, 12, 0);
    const int kThreads = 4, kEach = 100;
    std::vector<std::thread> threads;
    for (int n = 0; n < kThreads; ++n)
        threads.emplace_back([&, n] {
            for (int i = 0; i < kEach; ++i) {
                log->AddLog(Entry(t, std::to_wstring(n * 1000 + i).c_str()));
                if (i % 7 == 0) Sleep(0);
            }
        });
    for (std::thread& thread : threads) thread.join();
    ASSERT_TRUE(WaitForEntries(2024, 6, kThreads * kEach));
    SqlFile raw(MonthFile(L"2024_06.db"));
    EXPECT_EQ(kThreads * kEach, raw.Number("SELECT COUNT(DISTINCT C_Information) FROM D_Logs"));
    EXPECT_EQ(0, log->GetDroppedCount());
}

// An entry queued while the writer is on its way out must be written
// without a later entry to push it: the second of each pair arrives at a
// shifting moment of the writer's work on the first.
TEST_F(LogDBTest, EntryQueuedAsTheWriterLeavesIsWritten) {
    LOG_TIME t = LocalTime(2024, 7, 1, 12, 0);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const int kPairs = 40;
    for (int i = 0; i < kPairs; ++i) {
        log->AddLog(Entry(t, L"first"));
        LARGE_INTEGER start, now;
        QueryPerformanceCounter(&start);
        LONGLONG shift = frequency.QuadPart * (i % 20) / 4000;  // 0 to 4.75 ms
        do QueryPerformanceCounter(&now);
        while (now.QuadPart - start.QuadPart < shift);
        log->AddLog(Entry(t, L"second"));
        ASSERT_TRUE(WaitForEntries(2024, 7, 2 * (i + 1), 5000)) << "pair " << i;
    }
}

TEST_F(LogDBTest, EntryWithoutTimeIsFiledUnderNow) {
    LOG_TIME before = _time64(nullptr);
    LOG_RECORD record;
    record.C_Information = L"now";
    log->AddLog(record);
    LOG_TIME after = _time64(nullptr);
    struct tm parts = {};
    _localtime64_s(&parts, &before);
    ASSERT_TRUE(WaitForEntries(parts.tm_year + 1900, parts.tm_mon + 1, 1) ||
                WaitForEntries(parts.tm_year + 1900, parts.tm_mon + 2, 1));
    std::vector<LOG_RECORD> out;
    log->Query(out, parts.tm_year + 1900, parts.tm_mon + 1, -1, -1, L"", GetDefaultLogTime(), GetDefaultLogTime(), -1,
               -1, -1, -1, -1, -1);
    if (out.empty())  // the month turned meanwhile
        return;
    EXPECT_GE(out[0].C_UpdateTime, before);
    EXPECT_LE(out[0].C_UpdateTime, after);
}

// The log dialog queries one month while the writer fills another: the
// writer's file must not be switched under it.
TEST_F(LogDBTest, QueriesDuringWritingSeeWholeEntriesAndDisturbNothing) {
    log->AddLog(Entry(LocalTime(2024, 2, 1, 12, 0), L"february"));
    ASSERT_TRUE(WaitForEntries(2024, 2, 1));
    const int kCount = 400;
    LOG_TIME march = LocalTime(2024, 3, 2, 12, 0);
    std::atomic<bool> done(false);
    std::thread logger([&] {
        for (int i = 0; i < kCount; ++i) log->AddLog(Entry(march, std::to_wstring(i).c_str()));
        done = true;
    });
    int queries = 0;
    bool ordered = true, februaryIntact = true;
    for (;;) {
        std::vector<LOG_RECORD> out;
        if (log->Query(out, 2024, 3, -1, -1, L"", GetDefaultLogTime(), GetDefaultLogTime(), -1, -1, -1, -1, -1, -1) ==
            0) {
            for (size_t i = 0; i < out.size(); ++i) ordered = ordered && Infos(out)[i] == std::to_string(i);
        }
        februaryIntact = februaryIntact && Infos(Month(2024, 2)) == std::vector<std::string>{"february"};
        ++queries;
        if (done && out.size() == static_cast<size_t>(kCount)) break;
        if (queries > 100000) break;
    }
    logger.join();
    EXPECT_TRUE(ordered);
    EXPECT_TRUE(februaryIntact);
    EXPECT_EQ(static_cast<size_t>(kCount), Month(2024, 3).size());
    EXPECT_EQ(0, log->GetDroppedCount());
}

TEST_F(LogDBTest, WriterGivesUpOnAFileLockedForLongAndGoesOn) {
    std::unique_ptr<SqlFile> holder = LockMonth(8);
    log->AddLog(Entry(LocalTime(2024, 8, 2), L"blocked"));
    ASSERT_TRUE(WaitFor([&] { return log->GetDroppedCount() == 1; }, 30000));
    ASSERT_TRUE(holder->Exec("COMMIT"));
    log->AddLog(Entry(LocalTime(2024, 8, 3), L"after"));
    ASSERT_TRUE(WaitForEntries(2024, 8, 2));
    EXPECT_EQ((std::vector<std::string>{"first", "after"}), Infos(Month(2024, 8)));
}

TEST_F(LogDBTest, WriterWaitsOutAShortLock) {
    std::unique_ptr<SqlFile> holder = LockMonth(9);
    log->AddLog(Entry(LocalTime(2024, 9, 2), L"second"));
    Sleep(300);  // longer than one try, well inside all of them
    ASSERT_TRUE(holder->Exec("COMMIT"));
    ASSERT_TRUE(WaitForEntries(2024, 9, 2));
    EXPECT_EQ(0, log->GetDroppedCount());
}

TEST_F(LogDBTest, DestructionCompletesWhileTheFileStaysLocked) {
    std::unique_ptr<SqlFile> holder = LockMonth(10);
    for (int i = 0; i < 50; ++i) log->AddLog(Entry(LocalTime(2024, 10, 2), L"lost"));
    log.reset();  // returns after about ten seconds, the queue dropped
    ASSERT_TRUE(holder->Exec("COMMIT"));
    EXPECT_EQ(1, holder->Number("SELECT COUNT(*) FROM D_Logs"));
}

TEST_F(LogDBTest, UnwritableFolderDropsEntriesWithoutStalling) {
    ASSERT_TRUE(WriteWholeFile(dir.File(L"file"), "not a folder"));
    log->SetDirectory(dir.File(L"file\\Log").c_str());
    log->AddLog(Entry(LocalTime(2024, 11, 1), L"x"));
    log->AddLog(Entry(LocalTime(2024, 11, 2), L"y"));
    EXPECT_TRUE(WaitFor([&] { return log->GetDroppedCount() == 2; }, 30000));
}

TEST_F(LogDBTest, NameRuleEndsInDbOnceAndNamesTheFile) {
    LOG_TIME t = LocalTime(2026, 3, 5, 7, 8, 9);
    EXPECT_EQ(CString(logDir.c_str()) + L"2026_03.db", log->GetMonthFile(t));
    const struct {
        const wchar_t* rule;
        const wchar_t* name;
    } cases[] = {
        {L"{Y4}{M2}", L"202603.db"},
        {L"x.db.DB", L"x.db"},
        {L"a/b{DEVNM}{D2}", L"ab05.db"},
        {L"log_{Y2}-{M}.db", L"log_26-3.db"},
    };
    for (const auto& c : cases) {
        log->SetNameRule(c.rule);
        EXPECT_EQ(CString(logDir.c_str()) + c.name, log->GetMonthFile(t)) << CStringA(c.rule);
    }
    log->AddLog(Entry(t, L"ruled"));
    ASSERT_TRUE(WaitForEntries(2026, 3, 1));
    EXPECT_TRUE(PathExists(MonthFile(L"log_26-3.db")));
}
