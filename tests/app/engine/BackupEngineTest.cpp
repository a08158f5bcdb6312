// The backup engine's parts: network settings, record windows, the task
// lists and their rules, disk space and clean-up, the SDK callbacks, device
// search results, the proxy registration and the playback slots.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <string.h>

#include <thread>

#include "EngineFixture.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"
#include "app/engine/RecordTime.h"

namespace {

RECORD_FILE_DESC Desc(int channel, int hour, int minute, int lengthMinutes, uint8_t type = 0) {
    CTime day = CTime::GetCurrentTime();
    RECORD_FILE_DESC desc = {};
    desc.channel = (uint32_t)channel;
    desc.start = {(uint32_t)day.GetYear(), (uint32_t)day.GetMonth(), (uint32_t)day.GetDay(), (uint32_t)hour,
                  (uint32_t)minute, 0};
    desc.end = desc.start;
    desc.end.minute += (uint32_t)lengthMinutes;
    desc.recordType = type;
    return desc;
}

CString DaysAgo(int days) {
    return (CTime::GetCurrentTime() - CTimeSpan(days, 0, 0, 0)).Format(L"%Y-%m-%d %H:%M:%S");
}

}  // namespace

TEST(NetworkRate, EachRateTypeGivesItsBlockAndQueryWait) {
    struct Case {
        int rate;
        int32_t first, fifth, seventh;
        int wait;
    } cases[] = {{0, 5000, 2000, 2000, 5000},     {1, 3000, 1500, 1500, 3000},  {2, 8000, 3000, 3000, 8000},
                 {3, 13000, 5000, 5000, 13000},   {4, 40000, 10000, 10000, 40000}, {7, 0, 0, 0, 3000},
                 {-1, 0, 0, 0, 3000}};
    for (const Case& c : cases) {
        NETWORK_RATE_PARAMS p = NetworkParamsForRate(c.rate);
        EXPECT_EQ(c.first, p.block.connectWaitMs) << c.rate;
        EXPECT_EQ(c.fifth, p.block.loginWaitMs) << c.rate;
        EXPECT_EQ(c.seventh, p.block.transferWaitMs) << c.rate;
        EXPECT_EQ(0, p.block.keepAliveMs) << c.rate;
        for (int32_t v : p.block.reserved) EXPECT_EQ(0, v);
        EXPECT_EQ(c.wait, p.queryWaitMs) << c.rate;
    }
}

TEST(RecordWindow, AgoTypeChoosesTheDayAndHour24EndsAt2359) {
    CTime now(2026, 3, 31, 12, 0, 0);
    struct Case {
        int agoType;
        int month, day;
    } cases[] = {{0, 3, 31}, {1, 3, 30}, {6, 3, 25}, {7, 3, 16}, {8, 3, 11}, {9, 3, 1}};
    BACKUP_SCHEDULE schedule;
    schedule.RecordTime = {6, 30, 24, 0};
    for (const Case& c : cases) {
        schedule.AgoType = c.agoType;
        QVNET_TIME begin, end;
        ASSERT_TRUE(ScheduleRecordWindow(schedule, now, &begin, &end)) << c.agoType;
        EXPECT_EQ((uint32_t)c.month, begin.month) << c.agoType;
        EXPECT_EQ((uint32_t)c.day, begin.day) << c.agoType;
        EXPECT_EQ(6u, begin.hour);
        EXPECT_EQ(30u, begin.minute);
        EXPECT_EQ(begin.day, end.day);
        EXPECT_EQ(23u, end.hour);
        EXPECT_EQ(59u, end.minute);
        EXPECT_EQ(0u, end.second);
    }
    schedule.AgoType = kManualAgoType;
    schedule.EndTime.Year = 2025;
    schedule.EndTime.Month = 12;
    schedule.EndTime.Day = 24;
    schedule.RecordTime = {1, 0, 2, 15};
    QVNET_TIME begin, end;
    ASSERT_TRUE(ScheduleRecordWindow(schedule, now, &begin, &end));
    EXPECT_EQ(2025u, begin.year);
    EXPECT_EQ(24u, end.day);
    EXPECT_EQ(2u, end.hour);
    EXPECT_EQ(15u, end.minute);
    for (int unknown : {10, 255, -1}) {
        schedule.AgoType = unknown;
        EXPECT_FALSE(ScheduleRecordWindow(schedule, now, &begin, &end)) << unknown;
    }
}

class BackupEngineParts : public EngineFixture {
protected:
    // A record file in the save directory with its row, started daysAgo.
    CString AddSavedRecord(const wchar_t* name, int daysAgo) {
        const CString path(temp.File((std::wstring(L"save\\") + name).c_str()).c_str());
        EXPECT_TRUE(WriteWholeFile(std::wstring(path), "x"));
        RECORD_LIST_ROW row;
        row.C_StartTime = DaysAgo(daysAgo);
        row.C_EndTime = row.C_StartTime;
        row.C_FilePath = path;
        EXPECT_EQ(0, engine->RecordList().Insert(row));
        return path;
    }
};

TEST_F(BackupEngineParts, EqualTasksAreRefusedAndManualRequestsAdoptThem) {
    RECORD_FILE_DESC a = Desc(0, 1, 0, 10), b = Desc(0, 1, 10, 10), otherChannel = Desc(1, 1, 0, 10);
    EXPECT_EQ(0, engine->AddDownloadTask(1001, &a, 1, 2));
    EXPECT_EQ(0, engine->AddDownloadTask(1001, &b, 1, 2));
    EXPECT_EQ(0, engine->AddDownloadTask(1001, &otherChannel, 1, 2));
    EXPECT_EQ(0, engine->AddDownloadTask(1002, &a, 2, 2));
    EXPECT_EQ(-1, engine->AddDownloadTask(1001, &a, 3, 2));
    EXPECT_EQ(-1, engine->AddDownloadTask(1001, &a, kNoScheduleId + 1, 0));

    std::vector<RECORD_TASK> tasks = Tasks();
    ASSERT_EQ(4u, tasks.size());
    for (size_t i = 0; i < tasks.size(); ++i) EXPECT_EQ((int)i + 1, tasks[i].taskId);
    EXPECT_EQ(kNoScheduleId + 1, tasks[0].scheduleId) << "the manual request adopts the scheduled task";
    EXPECT_EQ(1, tasks[1].scheduleId);

    // Ids follow the highest id, never an id still in use.
    engine->StopTask(2);
    RECORD_FILE_DESC c = Desc(0, 2, 0, 10);
    EXPECT_EQ(0, engine->AddDownloadTask(1001, &c, 1, 2));
    EXPECT_EQ(5, Tasks().back().taskId);

    std::map<int, int> counts;
    engine->CountTasksBySchedule(&counts);
    EXPECT_EQ(2, counts[1]);
    EXPECT_EQ(1, counts[2]);
    EXPECT_EQ(1, counts[kNoScheduleId + 1]);
}

TEST_F(BackupEngineParts, RecordFilesWithInvalidDatesAreQueuedOnce) {
    RECORD_FILE_DESC badMonth = Desc(0, 1, 0, 10), noYear = Desc(0, 1, 0, 10), otherBad = Desc(0, 1, 0, 10);
    badMonth.start.month = 13;
    noYear.start.year = 0;
    noYear.end.year = 0;
    otherBad.end.day = 40;
    RECORD_FILE_DESC lateSecond = Desc(0, 2, 0, 10), sameTime = lateSecond;
    lateSecond.start.minute = 59;  // 01:59:60 is 02:00:00
    lateSecond.start.hour = 1;
    lateSecond.start.second = 60;
    const struct {
        const RECORD_FILE_DESC* desc;
        int result;
    } cases[] = {
        {&badMonth, 0}, {&noYear, 0}, {&otherBad, 0}, {&badMonth, -1}, {&noYear, -1}, {&otherBad, -1},
        {&sameTime, 0}, {&lateSecond, -1},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        EXPECT_EQ(cases[i].result, engine->AddDownloadTask(1001, cases[i].desc, 1, 0)) << i;
    EXPECT_EQ(4u, Tasks().size());
}

TEST_F(BackupEngineParts, PendingTasksOfBusyDevicesAreSkipped) {
    RECORD_FILE_DESC a = Desc(0, 1, 0, 10), b = Desc(0, 1, 10, 10);
    engine->AddDownloadTask(1001, &a, 1, 0);
    engine->AddDownloadTask(1001, &b, 1, 0);
    engine->AddDownloadTask(1002, &a, 1, 0);
    RECORD_TASK out;
    ASSERT_EQ(0, engine->TakeNextPendingTask({1001}, &out));
    EXPECT_EQ(1002, out.source.deviceId);
    EXPECT_EQ(-1, engine->TakeNextPendingTask({1001}, &out));
    EXPECT_EQ(-1, engine->TakeNextPendingTaskByChannel({1001 * 10000 + 0}, &out));
    ASSERT_EQ(0, engine->TakeNextPendingTaskByChannel({}, &out));
    EXPECT_EQ(1001, out.source.deviceId);
}

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

TEST_F(BackupEngineParts, APurgeWithoutAFileKeepsTheRegisteredDevicesSchedules) {
    DEVICE_RECORD kept;
    kept.id = 1001;
    ASSERT_EQ(0, engine->Devices().AddDeviceRecord(kept));
    const CString file(temp.File(L"purged.xml").c_str());
    {
        CBackupScheduleStore writer;
        for (int devId : {1001, 1002, 1001}) writer.AddAuto(DaySchedule(devId, 0));
        ASSERT_EQ(0, writer.Save(file));
    }
    CBackupScheduleStore store;
    ASSERT_EQ(0, store.Load(file));
    EXPECT_EQ(0, store.PurgeDeletedDevices(CString()));
    CBackupScheduleStore reloaded;
    ASSERT_EQ(0, reloaded.Load(file));
    for (CBackupScheduleStore* schedules : {&store, &reloaded}) {
        std::vector<BACKUP_SCHEDULE> left;
        schedules->ListAll(left, FALSE);
        ASSERT_EQ(2u, left.size());
        for (const BACKUP_SCHEDULE& schedule : left) EXPECT_EQ(1001, schedule.DevID);
    }
}

TEST_F(BackupEngineParts, ModifyingADeviceKeepsItsSession) {
    ASSERT_EQ(0, engine->AddDevice(7, "cam", "hall", "192.0.2.1", 37777, "DVR", "maker", "m1", "admin", "pw", 0, "",
                                   7070, "", 0, ""));
    DEVICE_RECORD live = engine->GetDevice(1007);
    ASSERT_EQ(1007, live.id);
    live.loggedIn = 1;
    live.loginHandle = 77;
    live.channelCount = 4;
    CopyFixedText(live.channels[2].name, "Gate");
    ASSERT_EQ(0, engine->Devices().ReplaceDevice(1007, live));

    // The dialog's copy was taken before the login.
    DEVICE_RECORD edited;
    edited.id = 1007;
    CopyFixedText(edited.title, "renamed");
    CopyFixedText(edited.ip, "192.0.2.2");
    edited.port = 4000;
    CopyFixedText(edited.user, "op");
    ASSERT_EQ(0, engine->ModifyDevice(1007, edited));
    const DEVICE_RECORD stored = engine->GetDevice(1007);
    EXPECT_STREQ("renamed", stored.title);
    EXPECT_STREQ("192.0.2.2", stored.ip);
    EXPECT_EQ(4000, stored.port);
    EXPECT_STREQ("op", stored.user);
    EXPECT_STREQ("", stored.desc);
    EXPECT_EQ(1, stored.loggedIn);
    EXPECT_EQ(77, stored.loginHandle);
    EXPECT_EQ(4, stored.channelCount);
    EXPECT_STREQ("Gate", stored.channels[2].name);
    EXPECT_EQ(-1, engine->ModifyDevice(4242, edited));
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

TEST_F(BackupEngineParts, CallbacksPostOnlyForKnownHandlesAndSearchResultsQueue) {
    engine->OnDeviceDisconnect(0);
    engine->OnDeviceDisconnect(-3);
    engine->OnDeviceDisconnect(777);
    engine->OnSdkEvent(QVNET_EVENT_FETCH_FAILED, 55);
    engine->OnSdkEvent(QVNET_EVENT_REPLAY_END, 55);
    engine->OnSdkEvent(9, 55);
    std::vector<std::vector<int>> posted = TakePosted();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ((std::vector<int>{(int)WM_TW_SDK_EVENT, 0, 9}), posted[0]);

    DEVICE_SEARCH_RESULT out;
    memset(&out, 0x5A, sizeof(out));
    EXPECT_EQ(-1, engine->PopSearchResult(&out));
    EXPECT_EQ(0x5A, ((uint8_t*)&out)[100]) << "an empty queue leaves the output alone";
    DEVICE_SEARCH_RESULT first = {}, second = {};
    strcpy(first.ip, "127.0.0.2");
    strcpy(second.ip, "127.0.0.3");
    engine->QueueSearchResult(&first);
    engine->QueueSearchResult(&second);
    ASSERT_EQ(0, engine->PopSearchResult(&out));
    EXPECT_STREQ("127.0.0.2", out.ip);
    ASSERT_EQ(0, engine->PopSearchResult(&out));
    EXPECT_STREQ("127.0.0.3", out.ip);
}

// A proxy table that records its calls.
struct ProxyCalls {
    static int inits, cleanups, adds, deletes;
    static bool refuse;
    static std::vector<PROXY_DEVICE_INFO> added;
    static BOOL __stdcall Init() { return ++inits, TRUE; }
    static BOOL __stdcall Cleanup() { return ++cleanups, TRUE; }
    static HANDLE __stdcall Add(int, PROXY_DEVICE_INFO* info) {
        ++adds;
        added.push_back(*info);
        return refuse ? nullptr : (HANDLE)(intptr_t)(100 + adds);
    }
    static BOOL __stdcall Delete(HANDLE) { return ++deletes, TRUE; }
    static PROXY_FUNCTIONS Table() { return {Init, Cleanup, Add, Delete}; }
    static void Reset() {
        inits = cleanups = adds = deletes = 0;
        refuse = false;
        added.clear();
    }
};
int ProxyCalls::inits, ProxyCalls::cleanups, ProxyCalls::adds, ProxyCalls::deletes;
bool ProxyCalls::refuse;
std::vector<PROXY_DEVICE_INFO> ProxyCalls::added;

TEST(DevProxy, RegistrationIdsAreUniqueAndCleanupRunsOnce) {
    ProxyCalls::Reset();
    CDevProxy proxy;
    proxy.SetFunctions(ProxyCalls::Table());
    EXPECT_EQ(0, proxy.DeleteAllDevices());
    EXPECT_EQ(0, ProxyCalls::deletes);
    EXPECT_EQ(1, proxy.Init());
    EXPECT_EQ(1, proxy.Init());
    EXPECT_EQ(1, ProxyCalls::inits);

    PROXY_DEVICE_INFO info = {};
    strcpy(info.registrationId, "REG-1");
    EXPECT_EQ(0, proxy.AddDevice(1, info));
    EXPECT_EQ(-1, proxy.AddDevice(1, info));
    EXPECT_EQ(1, ProxyCalls::adds);
    PROXY_DEVICE_INFO never = {};
    strcpy(never.registrationId, "NEVER");
    EXPECT_EQ(0, proxy.DeleteDevice(1, never));
    EXPECT_EQ(0, ProxyCalls::deletes);
    ProxyCalls::refuse = true;
    PROXY_DEVICE_INFO refused = {};
    strcpy(refused.registrationId, "REG-2");
    EXPECT_EQ(-1, proxy.AddDevice(1, refused));
    EXPECT_EQ(1, proxy.GetDeviceCount());
    EXPECT_EQ(0, proxy.DeleteDevice(1, info));
    EXPECT_EQ(1, ProxyCalls::deletes);

    EXPECT_EQ(1, proxy.Cleanup());
    EXPECT_EQ(1, proxy.Cleanup());
    EXPECT_EQ(1, ProxyCalls::cleanups);
}

TEST_F(BackupEngineParts, SelfRegisteringDevicesAreRegisteredForLoopbackClientsOnly) {
    ProxyCalls::Reset();
    engine->Proxy().SetFunctions(ProxyCalls::Table());
    DEVICE_RECORD device;
    device.id = 1001;
    CopyFixedText(device.user, "admin");
    CopyFixedText(device.password, "secret");
    CopyFixedText(device.cardsn, "CARD-16");
    device.port = 40123;
    device.channelCount = 16;
    device.alarmInCount = -2;
    device.alarmOutCount = 3;
    device.logintype = 2;
    ASSERT_EQ(0, engine->Devices().AddDeviceRecord(device));
    DEVICE_RECORD direct = device;
    direct.id = 1002;
    direct.logintype = 0;
    CopyFixedText(direct.cardsn, "DIRECT");
    ASSERT_EQ(0, engine->Devices().AddDeviceRecord(direct));
    GetAppConfig()->m_nListenPort = 38888;

    EXPECT_EQ(0, engine->RegisterProxyDevices());
    ASSERT_EQ(1u, ProxyCalls::added.size());
    const PROXY_DEVICE_INFO& info = ProxyCalls::added[0];
    EXPECT_STREQ("0.0.0.0", info.regAddress);
    EXPECT_EQ(38888, info.regPort);
    EXPECT_STREQ("127.0.0.1", info.localAddress);
    EXPECT_EQ(40123, info.localPort);
    EXPECT_STREQ("CARD-16", info.registrationId);
    EXPECT_STREQ("admin", info.userName);
    EXPECT_STREQ("secret", info.localPassword);
    EXPECT_EQ(16, info.channelCount);
    EXPECT_EQ(16, info.deviceInfo);
    EXPECT_EQ(1, info.reserved1);
    EXPECT_EQ(-2, info.reserved2);
    EXPECT_EQ(3, info.reserved3);

    // Without self-registering devices the earlier registrations go.
    engine->Devices().DeleteDevice(1001);
    EXPECT_EQ(0, engine->RegisterProxyDevices());
    EXPECT_EQ(1, ProxyCalls::deletes);
    EXPECT_EQ(0, engine->Proxy().GetDeviceCount());
}

TEST_F(BackupEngineParts, OneActiveDownloadPerDeviceAndADroppedDeviceRequeuesIt) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(2));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    recorder.Faults().slowMsPerBlock = 30;
    std::vector<RECORD_FILE_DESC> files = FilesOf(recorder, 0, 0);
    std::vector<RECORD_FILE_DESC> other = FilesOf(recorder, 1, 0);
    ASSERT_EQ(0, engine->AddDownloadTask(1001, &files[0], 1, 0));
    ASSERT_EQ(0, engine->AddDownloadTask(1001, &other[0], 1, 0));
    engine->RunDownloads();
    std::vector<RECORD_TASK> tasks = Tasks();
    ASSERT_EQ(2u, tasks.size());
    EXPECT_EQ(1, tasks[0].state);
    EXPECT_EQ(0, tasks[1].state) << "a device has one active download even with a limit of 2";
    ASSERT_TRUE(WaitFor([&] { return Tasks()[0].source.done > 0; }));
    const CString partial(Tasks()[0].source.path);
    EXPECT_TRUE(PathExists(std::wstring(partial)));
    EXPECT_EQ(SLOT_ERR_CHANNEL_DOWNLOADING, engine->PlayRecordInSlot(0, window, 1001, &files[1]));

    engine->OnDeviceGone(1001, 0);
    tasks = Tasks();
    ASSERT_EQ(2u, tasks.size());
    EXPECT_EQ(other[0].start.minute, tasks[0].source.desc.start.minute);
    EXPECT_EQ(files[0].start.minute, tasks[1].source.desc.start.minute) << "back at the end of the pending list";
    EXPECT_EQ(0, tasks[1].state);
    EXPECT_EQ(0, tasks[1].source.sdkHandle);
    EXPECT_EQ(0u, tasks[1].source.done);
    EXPECT_FALSE(PathExists(std::wstring(partial)));
    EXPECT_FALSE(engine->GetDevice(1001).loggedIn);

    recorder.Faults().slowMsPerBlock = 0;
    ASSERT_GE(Login(1001), 0);
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == 2 && Tasks().empty(); }));
}

TEST_F(BackupEngineParts, SlotsPlayPauseAtSpeedAndReleaseLocalFiles) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    std::vector<RECORD_FILE_DESC> files = FilesOf(recorder, 0, 0);
    recorder.Faults().slowMsPerBlock = 20;
    ASSERT_EQ(1, engine->PlayRecordInSlot(0, window, 1001, &files[0]));
    EXPECT_EQ(SLOT_ERR_CHANNEL_PLAYING, engine->PlayRecordInSlot(1, window, 1001, &files[1]));
    EXPECT_EQ(CHANNEL_IN_SLOT, engine->GetChannelUse(1001, &files[2]));
    ASSERT_TRUE(WaitFor([&] {
        RECORD_TASK slot;
        engine->GetSlot(0, &slot);
        return slot.source.received > 0;
    }));
    engine->ControlSlot(0, 5, 0);
    engine->ControlSlot(0, 5, 0);
    engine->ControlSlot(0, 3, 0);
    RECORD_TASK slot;
    engine->GetSlot(0, &slot);
    EXPECT_EQ(5, slot.source.speedIndex);
    EXPECT_EQ(1, slot.source.playState);
    const char block[16] = {};
    EXPECT_LT(engine->OnStreamData(slot.source.sdkHandle, block, sizeof(block)), 0) << "a paused slot refuses data";
    engine->ControlSlot(0, 4, 0);
    engine->GetSlot(0, &slot);
    EXPECT_EQ(kNormalSpeedIndex, slot.source.speedIndex);
    EXPECT_EQ(0, slot.source.playState);

    // Dropping the device closes its slot and tells the main window.
    TakePosted();
    engine->OnDeviceGone(1001, 0);
    engine->GetSlot(0, &slot);
    EXPECT_EQ(0, slot.source.sdkHandle);
    std::vector<std::vector<int>> posted = TakePosted();
    EXPECT_EQ(1, std::count(posted.begin(), posted.end(), std::vector<int>{(int)WM_TW_SLOT_CLOSED, 0, 257}));

    // A local file plays from disk and is released when the slot stops.
    const std::wstring local = temp.File(L"local.duz");
    ASSERT_TRUE(WriteWholeFile(local, ExpectedBytes(recorder, files[0])));
    ASSERT_EQ(0, engine->PlayFilesInSlot(2, 1001, 0, window, {CString(local.c_str()), CString(L"C:\\none.duz")}));
    EXPECT_EQ(1, engine->IsFileInUse(CString(local.c_str())));
    EXPECT_EQ(1, engine->IsFileInUse(L"C:\\none.duz")) << "a playlist item is in use";
    ASSERT_TRUE(WaitFor([&] {
        engine->GetSlot(2, &slot);
        return slot.source.received > 0;
    }));
    EXPECT_EQ(0, engine->StopSlot(2));
    EXPECT_EQ(-1, engine->StopSlot(2));
    EXPECT_TRUE(DeleteFileW(local.c_str())) << "the stopped local source keeps no handle on the file";
}

TEST_F(BackupEngineParts, WorkerQueuesEachDeviceOnceAndRetriesOnlyTheFailingOne) {
    CSimRecorder& good = StartRecorder(RecorderWithFiles(1));
    SimRecorderConfig refusing = RecorderWithFiles(1);
    CSimRecorder& bad = StartRecorder(refusing);
    bad.Faults().loginRefusal = 1;
    AddDevice(1001, bad);
    AddDevice(1002, good);
    worker->QueueDeviceLogin(engine->GetDevice(1001));
    worker->QueueDeviceLogin(engine->GetDevice(1001));
    worker->QueueDeviceLogin(engine->GetDevice(1002));
    EXPECT_EQ((std::vector<int>{1001, 1002}), worker->GetQueuedLoginIds());

    worker->StartLoginThread();
    ASSERT_TRUE(WaitFor([&] { return engine->GetDevice(1002).loggedIn && bad.AcceptedCount() >= 3; }));
    EXPECT_EQ(1, good.Device().LoginCount()) << "a device leaves the queue after its login";
    EXPECT_EQ((std::vector<int>{1001}), worker->GetQueuedLoginIds());

    // A device removed while queued is dropped, not retried for ever.
    engine->Devices().DeleteDevice(1001);
    ASSERT_TRUE(WaitFor([&] { return worker->GetQueuedLoginIds().empty(); }));
    worker->StopAllThreads();
    EXPECT_FALSE(worker->IsLoginThreadRunning());
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

TEST(AutoRunMaintain, SleepStepsKeepAFiveSecondPeriod) {
    struct Case {
        DWORD elapsed;
        int steps;
    } cases[] = {{0, 100}, {1000, 80}, {4950, 1}, {4951, 20}, {6000, 20}};
    for (const Case& c : cases) EXPECT_EQ(c.steps, CAutoRunDlg::MaintainSleepSteps(c.elapsed)) << c.elapsed;
}

TEST_F(BackupEngineParts, HiddenWindowStopsItsThreadsWhenDestroyed) {
    ASSERT_TRUE(worker->CreateHidden(CWnd::FromHandle(window)));
    EXPECT_FALSE(IsWindowVisible(worker->GetSafeHwnd()));
    worker->StartLoginThread();
    worker->StartMaintainThread();
    ASSERT_TRUE(worker->IsLoginThreadRunning());
    ASSERT_TRUE(worker->IsMaintainThreadRunning());
    worker->DestroyWindow();
    EXPECT_FALSE(worker->IsLoginThreadRunning());
    EXPECT_FALSE(worker->IsMaintainThreadRunning());
}
