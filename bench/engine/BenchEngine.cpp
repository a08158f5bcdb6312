// Backup engine figures: the throughput of a scheduled backup from a
// simulated recorder on 127.0.0.1 beside a plain copy of the same bytes over
// one loopback TCP connection, and the time of one scheduler pass over
// 1000 devices x 16 channels of schedules.
//
// bench_engine.exe <work folder> [files] [minutes per file] [tick ms]
#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdio.h>

#include <vector>

#include "BenchSupport.h"
#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"
#include "app/engine/CBackupEngine.h"
#include "tools/simrecorder/CSimRecorder.h"

namespace {

void Configure(const CString& folder) {
    CAppConfig* config = GetAppConfig();
    CreateDirectoryW(folder + L"\\save", nullptr);
    config->m_strSaveDirs = folder + L"\\save;";
    config->m_strDownloadNameRule = L"{DEVID}-{CHNIDX}-{Y4}{M2}{D2}{H2}{m2}{S2}.duz";
    config->m_strRecordListFile = folder + L"\\RecordList.db";
    config->m_strScheduleFile = folder + L"\\backupschedule.xml";
    config->m_strModuleDir = folder + L"\\";
    config->m_nDriveFreeSpaceLimit = 1;
    config->m_nMultiBackupDevCount = 1;
    config->m_nNetworkRateType = 1;
}

BACKUP_SCHEDULE AllDay(int deviceId, int channel) {
    BACKUP_SCHEDULE schedule;
    schedule.DevID = deviceId;
    schedule.ChannelIndex = channel;
    schedule.RunTime = {0, 0, 23, 59};
    for (int d = 0; d < kDaysPerWeek; ++d) schedule.WeekDayEnable[d] = 1;
    schedule.RecordTime = {0, 0, 24, 0};
    return schedule;
}

void BackupThroughput(const CString& folder, int files, int minutesPerFile, DWORD tickMs) {
    SimRecorderConfig config;
    config.channelCount = 1;
    SimCatalogueRule rule;
    CTime today = CTime::GetCurrentTime();
    rule.firstDay = {(uint32_t)today.GetYear(), (uint32_t)today.GetMonth(), (uint32_t)today.GetDay(), 0, 0, 0};
    rule.fileMinutes = (uint32_t)minutesPerFile;
    rule.dayStartSecond = 0;
    rule.dayEndSecond = (uint32_t)(files * minutesPerFile * 60);
    config.rules.push_back(rule);
    CSimRecorder recorder(config);
    recorder.Start();

    CBackupEngine engine;
    engine.RecordList().Open(GetAppConfig()->m_strRecordListFile);
    engine.RecordList().CheckTable(0);
    DEVICE_RECORD device;
    device.id = 1001;
    strcpy(device.title, "sim");
    strcpy(device.ip, "127.0.0.1");
    device.port = recorder.Port();
    strcpy(device.user, "admin");
    strcpy(device.password, "admin");
    engine.Devices().AddDeviceRecord(device);
    engine.LoginDevice(1001);
    engine.Schedules().AddAuto(AllDay(1001, 0));
    engine.Schedules().Save(GetAppConfig()->m_strScheduleFile);

    LARGE_INTEGER start = BenchNow();
    engine.StartAutoBackup();
    RECORD_LIST_ROWS rows;
    for (;;) {
        engine.RunDownloads();
        rows.clear();
        engine.RecordList().QueryAll(rows);
        if ((int)rows.size() >= files) break;
        Sleep(tickMs);
    }
    LARGE_INTEGER end = BenchNow();
    uint64_t bytes = 0;
    for (const RECORD_LIST_ROW& row : rows) bytes += GetFileLength(row.C_FilePath);
    double backup = BenchSeconds(start, end);
    engine.StopAutoBackup();
    engine.Devices().LogoutDevice(1001);
    engine.Shutdown();
    recorder.Stop();

    double plain = PlainLoopbackCopy(bytes, folder + L"\\plain.bin");
    printf("scheduled backup: %d files, %.1f MB in %.3f s = %.2f MB/s (tick %lu ms)\n", (int)rows.size(),
           bytes / 1048576.0, backup, bytes / 1048576.0 / backup, (unsigned long)tickMs);
    printf("plain loopback copy: %.1f MB in %.3f s = %.2f MB/s\n", bytes / 1048576.0, plain,
           bytes / 1048576.0 / plain);
    printf("ratio backup/plain: %.3f\n", plain / backup);
}

void SchedulerPass(const CString& folder) {
    CBackupEngine engine;
    for (int d = 0; d < 1000; ++d) {
        DEVICE_RECORD device;
        device.id = 1000 + d;
        strcpy(device.ip, "127.0.0.1");
        device.channelCount = 16;
        engine.Devices().SetMaxDeviceCount(2000);
        engine.Devices().AddDeviceRecord(device);
        for (int c = 0; c < 16; ++c) engine.Schedules().AddAuto(AllDay(1000 + d, c));
    }
    engine.Schedules().Save(GetAppConfig()->m_strScheduleFile);
    LARGE_INTEGER start = BenchNow();
    engine.StartAutoBackup();
    while (engine.GetSchedulerPassCount() < 1) Sleep(1);
    LARGE_INTEGER end = BenchNow();
    engine.StopAutoBackup();
    engine.Shutdown();
    (void)folder;
    printf("scheduler: start and first pass over 1000 devices x 16 channels (16000 due schedules, devices off "
           "line): %.1f ms\n",
           BenchSeconds(start, end) * 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bench_engine <work folder> [files] [minutes per file] [tick ms]\n");
        return 2;
    }
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    CString folder(argv[1]);
    int files = argc > 2 ? atoi(argv[2]) : 60;
    int minutes = argc > 3 ? atoi(argv[3]) : 10;
    DWORD tick = argc > 4 ? (DWORD)atoi(argv[4]) : 10;
    Configure(folder);
    BackupThroughput(folder, files, minutes, tick);
    DeleteFileW(GetAppConfig()->m_strRecordListFile);
    DeleteFileW(GetAppConfig()->m_strScheduleFile);
    SchedulerPass(folder);
    return 0;
}
