// Database files that are no database or are damaged: the record list and a
// log month are set aside whole and a new file takes their place; nothing is
// written into the damaged one, and a query that meets the damage fails.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DamagedBytes.h"
#include "RecordListDBFixture.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "app/core/CLogDB.h"
#include "app/core/CRecordListDB.h"
#include "app/core/TextValues.h"
#include "app/core/UnreadableFiles.h"

namespace {

const int kRows = 300;

CString Info(int i) {
    CString info;
    info.Format(L"row-%04d %0120d", i, i);
    return info;
}

// A record list of kRows rows, as the program leaves it.
std::string RecordListBytes(const TempDir& dir) {
    const std::wstring file = dir.File(L"model.db");
    {
        CRecordListDB db;
        db.Open(file.c_str());
        db.CheckTable(0);
        for (int i = 0; i < kRows; ++i) {
            RECORD_LIST_ROW row = MakeRow(1001, i % 4, L"2024-01-01 00:00:00", L"2024-01-01 01:00:00", L"C:\\r\\a.duz");
            row.C_Info = Info(i);
            db.Insert(row);
        }
    }
    return ReadWholeFile(file);
}

class DamagedDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { TakeUnreadableFileNotices(); }

    // The one file reported since the last call, checked to hold the bytes.
    void ExpectKeptAside(const std::wstring& file, const std::string& bytes) {
        const std::vector<UNREADABLE_FILE> notices = TakeUnreadableFileNotices();
        ASSERT_EQ(1u, notices.size());
        EXPECT_STREQ(file.c_str(), notices[0].path);
        EXPECT_EQ(bytes, ReadWholeFile(notices[0].keptAs.GetString())) << "kept byte for byte, nothing written";
    }

    TempDir dir;
};

TEST_F(DamagedDatabaseTest, RecordListSetAsideAndStartedAnewByDamageKind) {
    const std::string good = RecordListBytes(dir);
    ASSERT_GT(good.size(), 16384u);
    const struct {
        const char* kind;
        std::string bytes;
        int queryResult;  // of the search over every row
        bool setAside;
        size_t keptAtLeast, keptAtMost;  // rows the program goes on with
    } cases[] = {
        {"whole", good, 0, false, kRows, kRows},
        {"emptied", "", 0, false, 0, 0},
        {"random bytes", PseudoRandomBytes(good.size(), 11), 0, true, 0, 0},
        {"zero-filled", std::string(good.size(), '\0'), 0, true, 0, 0},
        // Found by the check of every page at open; the rows stored before
        // the damaged page are read over.
        {"a damaged page of the table", DamagePageHolding(good, "row-0150"), 0, true, 1, 150},
        // The header's page count beyond the end shows as soon as the file is read.
        {"truncated", good.substr(0, good.size() / 2), 0, true, 0, 150},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const std::wstring file = dir.File(L"RecordList.db");
        ASSERT_TRUE(WriteWholeFile(file, c.bytes));
        CRecordListDB db;
        ASSERT_EQ(1, db.Open(file.c_str()));
        ASSERT_EQ(0, db.CheckTable(0));
        RECORD_LIST_ROWS rows;
        EXPECT_EQ(c.queryResult,
                  db.SearchRecords(rows, 0, L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L""));
        if (c.setAside) {
            ExpectKeptAside(file, c.bytes);
        } else {
            EXPECT_TRUE(TakeUnreadableFileNotices().empty());
        }
        // The program goes on: a new row is stored, in the new file when the
        // old one was set aside, after the rows that could be kept.
        ASSERT_EQ(0, db.Insert(MakeRow(1002, 0, L"2024-02-01 00:00:00", L"2024-02-01 01:00:00", L"C:\\r\\b.duz")));
        RECORD_LIST_ROWS all;
        ASSERT_EQ(0, db.QueryAll(all));
        ASSERT_FALSE(all.empty());
        EXPECT_STREQ(L"C:\\r\\b.duz", all.back().C_FilePath);
        const size_t kept = all.size() - 1;
        EXPECT_LE(c.keptAtLeast, kept);
        EXPECT_GE(c.keptAtMost, kept);
        for (size_t i = 0; i < kept; ++i) EXPECT_STREQ(Info(static_cast<int>(i)), all[i].C_Info);
        EXPECT_TRUE(TakeUnreadableFileNotices().empty()) << "the new file is not set aside again";
    }
}

TEST_F(DamagedDatabaseTest, DamageInAPageNoStatementReadsIsFoundAtOpen) {
    const std::wstring file = dir.File(L"RecordList.db");
    // The last rows' page: no search reads it before the next row goes into it.
    const std::string damaged = DamagePageHolding(RecordListBytes(dir), "row-0299");
    ASSERT_TRUE(WriteWholeFile(file, damaged));
    CRecordListDB db;
    ASSERT_EQ(1, db.Open(file.c_str()));
    ExpectKeptAside(file, damaged);
    ASSERT_EQ(0, db.CheckTable(0));
    ASSERT_EQ(0, db.Insert(MakeRow(1002, 0, L"2024-02-01 00:00:00", L"2024-02-01 01:00:00", L"C:\\r\\new.duz")));
    RECORD_LIST_ROWS all;
    ASSERT_EQ(0, db.QueryAll(all));
    ASSERT_GT(all.size(), 1u) << "the rows before the damaged page are kept";
    EXPECT_GT(static_cast<size_t>(kRows), all.size());
    EXPECT_STREQ(L"C:\\r\\new.duz", all.back().C_FilePath);
    EXPECT_TRUE(TakeUnreadableFileNotices().empty()) << "the new file is not set aside again";
}

TEST_F(DamagedDatabaseTest, AnInsertMeetingDamageAfterOpenGoesIntoANewFileNotTheDamagedOne) {
    const std::wstring file = dir.File(L"RecordList.db");
    ASSERT_TRUE(WriteWholeFile(file, RecordListBytes(dir)));
    CRecordListDB db;
    ASSERT_EQ(1, db.Open(file.c_str()));
    ASSERT_EQ(0, db.CheckTable(0));
    // Damaged while open, where the next row goes.
    const std::string damaged = DamagePageInPlace(file, "row-0299");
    ASSERT_FALSE(damaged.empty());
    EXPECT_TRUE(TakeUnreadableFileNotices().empty());

    ASSERT_EQ(0, db.Insert(MakeRow(1002, 0, L"2024-02-01 00:00:00", L"2024-02-01 01:00:00", L"C:\\r\\new.duz")));
    ExpectKeptAside(file, damaged);
    RECORD_LIST_ROWS all;
    ASSERT_EQ(0, db.QueryAll(all));
    ASSERT_GT(all.size(), 1u) << "the rows before the damaged page are kept";
    EXPECT_GT(static_cast<size_t>(kRows), all.size());
    EXPECT_STREQ(L"C:\\r\\new.duz", all.back().C_FilePath);
}

class DamagedLogMonthTest : public DamagedDatabaseTest {
protected:
    std::wstring logDir = dir.File(L"Log\\");
    std::wstring march = logDir + L"2024_03.db";

    std::unique_ptr<CLogDB> NewLog() {
        std::unique_ptr<CLogDB> log(new CLogDB);
        log->SetDirectory(logDir.c_str());
        return log;
    }
    static LOG_RECORD Entry(int i) {
        LOG_RECORD record;
        record.C_UpdateTime = MakeLocalTime(2024, 3, 10, 12, 0, 0);
        record.C_Information = Info(i);
        return record;
    }
    // March 2024 with kRows entries, written by the program's own writer.
    // Destruction gives the writer only ten seconds, which a loaded machine
    // can need for 300 single-row transactions: wait until all are in first.
    std::string MarchBytes() {
        {
            std::unique_ptr<CLogDB> log = NewLog();
            for (int i = 0; i < kRows; ++i) log->AddLog(Entry(i));
            EXPECT_TRUE(WaitFor(
                [this] {
                    std::vector<LOG_RECORD> written;
                    QueryMarch(written);
                    return written.size() == static_cast<size_t>(kRows);
                },
                120000))
                << "the writer stored every entry";
        }
        return ReadWholeFile(march);
    }
    int QueryMarch(std::vector<LOG_RECORD>& out) {
        return NewLog()->Query(out, 2024, 3, -1, -1, L"", GetDefaultLogTime(), GetDefaultLogTime(), -1, -1, -1, -1, -1,
                               -1);
    }
};

TEST_F(DamagedLogMonthTest, AQueryMeetingDamageSaysSoAndTheMonthIsSetAside) {
    const std::string good = MarchBytes();
    ASSERT_GT(good.size(), 16384u);
    const struct {
        const char* kind;
        std::string bytes;
        int result;
        size_t rows;
        size_t keptAtLeast, keptAtMost;  // entries of the new month file
    } cases[] = {
        {"whole", good, 0, kRows, 0, 0},
        {"emptied", "", -2, 0, 0, 0},  // no table: nothing to read, nothing damaged
        {"random bytes", PseudoRandomBytes(4096, 5), -2, 0, 0, 0},
        {"a damaged page", DamagePageHolding(good, "row-0150"), -2, 0, 1, 150},
        {"truncated", good.substr(0, good.size() / 2), -2, 0, 0, 150},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_TRUE(WriteWholeFile(march, c.bytes));
        std::vector<LOG_RECORD> out;
        EXPECT_EQ(c.result, QueryMarch(out));
        EXPECT_EQ(c.rows, out.size());
        const bool damaged = c.bytes != good && !c.bytes.empty();
        if (!damaged) {
            EXPECT_TRUE(TakeUnreadableFileNotices().empty());
            EXPECT_EQ(c.bytes, ReadWholeFile(march));
            continue;
        }
        ExpectKeptAside(march, c.bytes);
        // The month goes on in a new file with the entries read before the damage.
        ASSERT_EQ(0, QueryMarch(out));
        EXPECT_LE(c.keptAtLeast, out.size());
        EXPECT_GE(c.keptAtMost, out.size());
        for (size_t i = 0; i < out.size(); ++i) EXPECT_STREQ(Info(static_cast<int>(i)), out[i].C_Information);
    }
}

TEST_F(DamagedLogMonthTest, TheWriterStartsANewMonthFileInsteadOfWritingIntoADamagedOne) {
    // A page in the middle: no insert would ever read it.
    const std::string damaged = DamagePageHolding(MarchBytes(), "row-0100");
    ASSERT_TRUE(WriteWholeFile(march, damaged));
    {
        std::unique_ptr<CLogDB> log = NewLog();
        log->AddLog(Entry(7777));
    }
    ExpectKeptAside(march, damaged);
    std::vector<LOG_RECORD> out;
    ASSERT_EQ(0, QueryMarch(out));
    ASSERT_GT(out.size(), 1u) << "the entries before the damaged page are kept";
    EXPECT_GE(101u, out.size());
    EXPECT_STREQ(Info(0), out[0].C_Information);
    EXPECT_STREQ(Info(7777), out.back().C_Information);
}

}  // namespace
