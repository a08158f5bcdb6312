// The backup engine's disk keeping: a full disk, kept days, the record
// list's clean-up, the save folders, user files and the backup copy.
#include "BackupEnginePartsFixture.h"

#include <atomic>

TEST_F(BackupEngineParts, DiskFullStopsDownloadsOnlyWhenConfigured) {
    CAppConfig* config = GetAppConfig();
    config->m_nDriveFreeSpaceLimit = 0x7FFFFFFF;
    config->m_nDriveOverMode = 1;
    engine->CheckDiskSpace();
    EXPECT_EQ(1, engine->IsDiskFull());
    RECORD_FILE_DESC a = Desc(0, 1, 0, 10);
    engine->AddDownloadTask(1001, &a, 1, 0);
    engine->RunDownloads();
    ASSERT_EQ(1u, Tasks().size());
    EXPECT_EQ(0, Tasks()[0].state) << "no download starts on a full disk";

    // The directory with space is still chosen, and the first listed one
    // when no directory can be measured.
    CString chosen;
    engine->SelectSaveDirectory(&chosen, config->m_strSaveDirs, 0);
    EXPECT_EQ(CString(temp.File(L"save").c_str()), chosen);
    engine->SelectSaveDirectory(&chosen, L"relative\\a;other;", 1);
    EXPECT_EQ(CString(L"relative\\a"), chosen);
    config->m_nDriveFreeSpaceLimit = 1;
    engine->SelectSaveDirectory(&chosen, config->m_strSaveDirs, 1);
    EXPECT_EQ(0, engine->IsDiskFull());
}

TEST_F(BackupEngineParts, FullDiskDeletesTheOldestRecordsExceptFilesInUse) {
    CAppConfig* config = GetAppConfig();
    std::vector<CString> paths;
    for (int i = 0; i < 4; ++i) {
        CString path;
        path.Format(L"%s\\rec%d.duz", temp.File(L"save").c_str(), i);
        ASSERT_TRUE(WriteWholeFile(std::wstring(path), "record"));
        RECORD_LIST_ROW row;
        row.L_DevID = 1001;
        row.C_StartTime = DaysAgo(10 - i);
        row.C_EndTime = row.C_StartTime;
        row.C_FilePath = path;
        row.L_FileLen = 1;
        ASSERT_GE(engine->RecordList().Insert(row), 0);
        paths.push_back(path);
    }
    DeleteFileW(paths[1]);  // a file already gone loses its row too
    BACKUP_COPY_ITEM copying;
    copying.sourceFile = paths[2];
    engine->AddBackupCopyFile(copying);

    config->m_nDriveOverMode = 1;
    config->m_nDriveFreeSpaceLimit = 0x7FFFFFFF;
    engine->CheckDiskSpace();
    EXPECT_EQ(4u, Rows().size()) << "the configuration says stop, not delete";

    config->m_nDriveOverMode = 0;
    engine->CheckDiskSpace();
    RECORD_LIST_ROWS rows = Rows();
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(paths[2], rows[0].C_FilePath);
    EXPECT_FALSE(PathExists(std::wstring(paths[0])));
    EXPECT_TRUE(PathExists(std::wstring(paths[2])));
    EXPECT_FALSE(PathExists(std::wstring(paths[3])));
}

TEST_F(BackupEngineParts, KeepDaysDeletesOnlyRecordsStartedBeforeTheCutOff) {
    CAppConfig* config = GetAppConfig();
    struct Case {
        int daysAgo;
        bool kept;
    } cases[] = {{5, false}, {2, false}, {1, false}, {0, true}};
    for (const Case& c : cases) {
        CString path;
        path.Format(L"%s\\age%d.duz", temp.File(L"save").c_str(), c.daysAgo);
        WriteWholeFile(std::wstring(path), "x");
        RECORD_LIST_ROW row;
        row.C_StartTime = DaysAgo(c.daysAgo);
        row.C_EndTime = row.C_StartTime;
        row.C_FilePath = path;
        engine->RecordList().Insert(row);
    }
    config->m_nAutoDeleteDay = 0;
    engine->DeleteExpiredRecords();
    EXPECT_EQ(4u, Rows().size()) << "0 days turns the clean-up off";
    config->m_nAutoDeleteDay = 1;
    engine->DeleteExpiredRecords();
    for (const Case& c : cases) {
        CString path;
        path.Format(L"%s\\age%d.duz", temp.File(L"save").c_str(), c.daysAgo);
        EXPECT_EQ(c.kept, PathExists(std::wstring(path))) << c.daysAgo;
    }
    EXPECT_EQ(1u, Rows().size());
}

TEST_F(BackupEngineParts, ARowTheRecordListKeepsEndsTheCleanUpPass) {
    const std::vector<CString> paths = {AddSavedRecord(L"kept0.duz", 5), AddSavedRecord(L"kept1.duz", 4),
                                        AddSavedRecord(L"kept2.duz", 3)};
    GetAppConfig()->m_nAutoDeleteDay = 1;
    {
        // Another connection holds the write lock: rows can be read, not deleted.
        sqlite3* other = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(Narrow(temp.File(L"RecordList.db")).c_str(), &other));
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
        engine->DeleteExpiredRecords();
        sqlite3_close(other);
    }
    EXPECT_EQ(3u, Rows().size());
    EXPECT_FALSE(PathExists(std::wstring(paths[0])));
    EXPECT_TRUE(PathExists(std::wstring(paths[1]))) << "the pass ends at the first row it could not delete";
    EXPECT_TRUE(PathExists(std::wstring(paths[2])));

    engine->DeleteExpiredRecords();
    EXPECT_EQ(0u, Rows().size());
    for (const CString& path : paths) EXPECT_FALSE(PathExists(std::wstring(path)));
}

TEST_F(BackupEngineParts, MaintenanceReadsTheSaveDirectoriesUnderTheConfigurationLock) {
    CAppConfig* config = GetAppConfig();
    const CString saveDir(temp.File(L"save").c_str());
    const std::wstring path(AddSavedRecord(L"old.duz", 5));
    config->SetSaveDirs({});
    config->m_nAutoDeleteDay = 1;
    config->m_nDriveFreeSpaceLimit = 0x7FFFFFFF;

    // A change of the UI thread that passes through a value it never
    // commits: the maintenance thread must see the list before or after.
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread maintenance;
    config->ChangeTexts([&](CAppConfig& locked) {
        locked.m_strSaveDirs = saveDir + L";";
        maintenance = std::thread([&] {
            SetEvent(started);
            engine->DeleteExpiredRecords();
            engine->CheckDiskSpace();
        });
        WaitForSingleObject(started, INFINITE);
        Sleep(300);  // time enough for an unguarded read to happen
        locked.m_strSaveDirs = L"";
    });
    maintenance.join();
    CloseHandle(started);
    EXPECT_TRUE(PathExists(path));
    EXPECT_EQ(1u, Rows().size());
}

TEST_F(BackupEngineParts, UserFilesCopyToAndFromAFolder) {
    CAppConfig* config = GetAppConfig();
    const CString userDir = config->GetUserDir();
    CreateDirectoryW(temp.File(L"user").c_str(), nullptr);
    CreateDirectoryW(temp.File(L"copy").c_str(), nullptr);
    config->ChangeTexts([&](CAppConfig& c) { c.m_strUserDir = CString(temp.File(L"user").c_str()) + L"\\"; });
    const CString copy(temp.File(L"copy").c_str());

    EXPECT_EQ(-1, engine->CopyUserFilesTo(copy)) << "nothing to copy yet";
    ASSERT_TRUE(WriteWholeFile(temp.File(L"user\\UserLogin.ini"), "[Login_Info]\r\n"));
    ASSERT_TRUE(WriteWholeFile(temp.File(L"user\\device.xml"), "<Organization />"));
    EXPECT_EQ(0, engine->CopyUserFilesTo(copy));
    EXPECT_EQ("[Login_Info]\r\n", ReadWholeFile(temp.File(L"copy\\UserLogin.ini")));
    EXPECT_EQ("<Organization />", ReadWholeFile(temp.File(L"copy\\device.xml")));

    ASSERT_TRUE(WriteWholeFile(temp.File(L"copy\\device.xml"), "<Organization grade=\"1\" />"));
    EXPECT_EQ(0, engine->CopyUserFilesFrom(copy));
    EXPECT_EQ("<Organization grade=\"1\" />", ReadWholeFile(temp.File(L"user\\device.xml")));
    config->ChangeTexts([&](CAppConfig& c) { c.m_strUserDir = userDir; });
}

TEST_F(BackupEngineParts, BackupCopyReportsTheFilesItCouldNotCopy) {
    std::vector<std::pair<CString, CString>> prompts;
    worker->SetPromptHandler([&](const CString& text, const CString& caption) { prompts.push_back({text, caption}); });
    CreateDirectoryW(temp.File(L"backup").c_str(), nullptr);
    for (const wchar_t* name : {L"a.duz", L"c.duz"}) WriteWholeFile(temp.File(name), "data");
    for (const wchar_t* name : {L"a.duz", L"b.duz", L"c.duz"}) {
        BACKUP_COPY_ITEM item;
        item.sourceFile = temp.File(name).c_str();
        item.targetDir = temp.File(L"backup").c_str();
        engine->AddBackupCopyFile(item);
    }
    worker->StartBackupCopyThread();
    worker->StartBackupCopyThread();
    ASSERT_TRUE(WaitFor([&] { return !worker->IsBackupCopyRunning(); }));
    EXPECT_TRUE(PathExists(temp.File(L"backup\\a.duz")));
    EXPECT_TRUE(PathExists(temp.File(L"backup\\c.duz")));
    ASSERT_EQ(1u, prompts.size());
    EXPECT_EQ(CString(L"Backup 1 files faild!"), prompts[0].first);
    EXPECT_EQ(CString(L"Prompt:"), prompts[0].second);
    EXPECT_EQ(0, engine->GetBackupCopyCount());
    EXPECT_TRUE(worker->GetFailedCopies().empty());
}

TEST_F(BackupEngineParts, DeviceTitlesBecomeFolderNamesByTheFileNameRule) {
    const struct {
        const char* title;
        const wchar_t* folder;
    } cases[] = {{"cam*1?", L"cam1"}, {"Gate 2", L"Gate 2"}, {"a/b:c|d", L"abcd"}, {"..", L"1001"}, {"??", L"1001"}};
    DEVICE_RECORD device;
    device.id = 1001;
    device.channelCount = 1;
    const CTime begin(2026, 3, 31, 1, 0, 0);
    for (const auto& c : cases) {
        CopyFixedText(device.title, c.title);
        CString path;
        ASSERT_EQ(0, engine->MakeTargetFileName(&device, 0, &begin, L"DOWNLOAD", &path, 1, L"Normal")) << c.title;
        const CString folder = CString(temp.File(L"save").c_str()) + L"\\2026-03-31\\" + c.folder + L"\\1\\Normal";
        EXPECT_EQ(0, path.Find(folder + L"\\")) << c.title << ": " << Narrow(std::wstring(path));
        EXPECT_TRUE(PathExists(std::wstring(folder))) << c.title;
    }
}

TEST_F(BackupEngineParts, FilesQueuedWhileTheCopyThreadEndsAreCopied) {
    CreateDirectoryW(temp.File(L"backup").c_str(), nullptr);
    for (const wchar_t* name : {L"first.duz", L"late.duz"}) WriteWholeFile(temp.File(name), "data");
    auto queue = [&](const wchar_t* name) {
        BACKUP_COPY_ITEM item;
        item.sourceFile = temp.File(name).c_str();
        item.targetDir = temp.File(L"backup").c_str();
        engine->AddBackupCopyFile(item);
        worker->StartBackupCopyThread();
    };
    std::atomic<int> prompts{0};
    // The first prompt comes once the thread found the list empty and is on
    // its way out: the operator queues another file just then.
    worker->SetPromptHandler([&](const CString&, const CString&) {
        if (++prompts == 1) std::thread([&] { queue(L"late.duz"); }).join();
    });
    queue(L"first.duz");
    EXPECT_TRUE(WaitFor([&] { return PathExists(temp.File(L"backup\\late.duz")); }))
        << "the late file was never copied";
    ASSERT_TRUE(WaitFor([&] { return !worker->IsBackupCopyRunning(); }));
    EXPECT_TRUE(PathExists(temp.File(L"backup\\first.duz")));
    EXPECT_EQ(0, engine->GetBackupCopyCount()) << "a file left in the list stays protected from clean-up";
    EXPECT_EQ(2, prompts.load());
}
