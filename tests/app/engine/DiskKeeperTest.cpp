// The disk keeper alone: whether a recording is still needed is a
// stand-in's answer; the recordings are real files in a real save folder
// and their rows are in a real record-list database.
#include <gtest/gtest.h>

#include "PartFakes.h"
#include "TempDir.h"
#include "app/core/CAppConfig.h"
#include "app/engine/CDiskKeeper.h"

namespace {

class DiskKeeperTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(saveDir.c_str(), nullptr));
        CAppConfig* config = GetAppConfig();
        config->m_strSaveDirs = CString(saveDir.c_str()) + L";";
        config->m_strDownloadNameRule = L"{DEVID}-{CHNIDX}-{Y4}{M2}{D2}{H2}{m2}{S2}.duz";
        config->m_nDriveFreeSpaceLimit = 1;
        config->m_nDriveOverMode = 0;
        config->m_nAutoDeleteDay = 0;
        ASSERT_EQ(1, records.Open(CString(temp.File(L"RecordList.db").c_str())));
        ASSERT_EQ(0, records.CheckTable(0));
    }

    // A recording in the save folder with its row, started daysAgo.
    std::wstring AddRecording(const wchar_t* name, int daysAgo) {
        const std::wstring path = saveDir + L"\\" + name;
        EXPECT_TRUE(WriteWholeFile(path, "record"));
        RECORD_LIST_ROW row;
        row.C_StartTime = (CTime::GetCurrentTime() - CTimeSpan(daysAgo, 0, 0, 0)).Format(L"%Y-%m-%d %H:%M:%S");
        row.C_EndTime = row.C_StartTime;
        row.C_FilePath = path.c_str();
        row.L_FileLen = 1;
        EXPECT_GE(records.Insert(row), 0);
        return path;
    }
    std::vector<std::wstring> RowPaths() {
        RECORD_LIST_ROWS rows;
        records.QueryAll(rows);
        std::vector<std::wstring> paths;
        for (const RECORD_LIST_ROW& row : rows) paths.push_back(std::wstring(row.C_FilePath));
        return paths;
    }

    TempDir temp;
    const std::wstring saveDir = temp.File(L"save");
    CRecordListDB records;
    FakeFileUse fileUse;
    CDiskKeeper keeper{records, fileUse};
};

TEST_F(DiskKeeperTest, BothCleanUpsSpareTheRecordingsStillNeededAndNothingElse) {
    struct Case {
        const char* pass;
        std::function<void(CDiskKeeper&)> run;
    } cases[] = {
        {"expired records",
         [](CDiskKeeper& keeper) {
             GetAppConfig()->m_nAutoDeleteDay = 1;
             keeper.DeleteExpiredRecords();
         }},
        {"oldest records on a full disk",
         [](CDiskKeeper& keeper) {
             GetAppConfig()->m_nDriveFreeSpaceLimit = 0x7FFFFFFF;
             keeper.CheckDiskSpace();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pass);
        GetAppConfig()->m_nAutoDeleteDay = 0;
        GetAppConfig()->m_nDriveFreeSpaceLimit = 1;
        const std::wstring oldest = AddRecording(L"oldest.duz", 5), playing = AddRecording(L"playing.duz", 4),
                           newer = AddRecording(L"newer.duz", 3);
        fileUse.asked.clear();
        fileUse.inUse = {playing};
        c.run(keeper);
        EXPECT_EQ((std::vector<std::wstring>{oldest, playing, newer}), fileUse.asked);
        EXPECT_EQ(std::vector<std::wstring>{playing}, RowPaths());
        EXPECT_TRUE(PathExists(playing));
        EXPECT_FALSE(PathExists(oldest));
        EXPECT_FALSE(PathExists(newer));
        fileUse.inUse.clear();
        c.run(keeper);
        EXPECT_TRUE(RowPaths().empty()) << "no longer needed, it goes on the next pass";
        EXPECT_FALSE(PathExists(playing));
    }
}

TEST_F(DiskKeeperTest, NewFilesGoToTheDatedTreeAndNeverOverAnEarlierOne) {
    DEVICE_RECORD device;
    device.id = 1001;
    CopyFixedText(device.title, "Gate");
    CopyFixedText(device.channels[1].name, "door");
    const CTime begin(2026, 3, 31, 1, 0, 0);
    CTargetNamer& namer = keeper;
    CString first, second;
    ASSERT_EQ(0, namer.MakeTargetFileName(&device, 1, &begin, L"DOWNLOAD", &first, 1, L"Alarm"));
    const CString folder = CString(saveDir.c_str()) + L"\\2026-03-31\\Gate\\2\\Alarm\\";
    ASSERT_EQ(0, first.Find(folder)) << std::string(CStringA(first));
    ASSERT_TRUE(WriteWholeFile(std::wstring(first), "taken"));
    ASSERT_EQ(0, namer.MakeTargetFileName(&device, 1, &begin, L"DOWNLOAD", &second, 1, L"Alarm"));
    EXPECT_EQ(folder + L"(0)" + first.Mid(folder.GetLength()), second);
    EXPECT_EQ(0, namer.IsDiskFull());

    GetAppConfig()->m_strSaveDirs = L"";
    EXPECT_EQ(-1, namer.MakeTargetFileName(&device, 1, &begin, L"DOWNLOAD", &second, 1, L"Alarm"));
}

}  // namespace
