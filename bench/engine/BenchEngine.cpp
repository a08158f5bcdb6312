// Backup engine figures: the throughput of a scheduled backup from a
// simulated recorder on 127.0.0.1 beside a plain copy of the same bytes over
// one loopback TCP connection, and the time of one scheduler pass over
// 1000 devices x 16 channels of schedules (the file's load alone, and the
// pass with and without a window that receives the messages it posts).
//
// bench_engine.exe <work folder> [files] [minutes per file] [tick ms]
// bench_engine.exe <work folder> scheduler      (the scheduler figures only)
#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdio.h>

#include <thread>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"
#include "app/core/SystemUtil.h"
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
    printf("plain loopback copy: %.1f MB in %.3f s = %.2f MB/s\n", bytes / 1048576.0, plain, bytes / 1048576.0 / plain);
    printf("ratio backup/plain: %.3f\n", plain / backup);
}

// Stands in for the main window: a window on its own thread with a message
// loop that counts the "device not logged in" messages it receives.
class MessageCounter {
public:
    MessageCounter() {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ready] { Run(ready); });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
        SetMainWindow(m_window, nullptr);
    }
    ~MessageCounter() {
        SetMainWindow(nullptr, nullptr);
        PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    long Received() const { return s_received; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TW_DEVICE_NOT_LOGGED_IN) {
            InterlockedIncrement(&s_received);
            return 0;
        }
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    void Run(HANDLE ready) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"BenchMainWindow";
        RegisterClassW(&windowClass);
        m_window =
            CreateWindowW(L"BenchMainWindow", L"", 0, 0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
        SetEvent(ready);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    }

    static volatile LONG s_received;
    HWND m_window = nullptr;
    std::thread m_thread;
};
volatile LONG MessageCounter::s_received = 0;

// Starts scheduled backup and waits for the scheduler's first pass; ms.
double StartAndFirstPass(CBackupEngine& engine) {
    const int passes = engine.GetSchedulerPassCount();
    LARGE_INTEGER start = BenchNow();
    engine.StartAutoBackup();
    while (engine.GetSchedulerPassCount() == passes) Sleep(1);
    LARGE_INTEGER end = BenchNow();
    engine.StopAutoBackup();
    return BenchSeconds(start, end) * 1000.0;
}

void SchedulerPass(const CString& folder) {
    const int kDevices = 1000, kChannels = 16;
    CBackupEngine engine;
    engine.Devices().SetMaxDeviceCount(2000);
    for (int d = 0; d < kDevices; ++d) {
        DEVICE_RECORD device;
        device.id = 1000 + d;
        strcpy(device.ip, "127.0.0.1");
        device.channelCount = kChannels;
        engine.Devices().AddDeviceRecord(device);
        for (int c = 0; c < kChannels; ++c) engine.Schedules().AddAuto(AllDay(1000 + d, c));
    }
    const CString file = GetAppConfig()->m_strScheduleFile;
    engine.Schedules().Save(file);

    const int kLoads = 5;
    double loadMs = 0;
    for (int i = 0; i < kLoads; ++i) {
        CBackupScheduleStore store;
        LARGE_INTEGER start = BenchNow();
        store.Load(file);
        loadMs += BenchSeconds(start, BenchNow()) * 1000.0;
    }
    printf("schedule file: %d schedules, %.1f MB, load %.1f ms (mean of %d)\n", kDevices * kChannels,
           GetFileLength(file) / 1048576.0, loadMs / kLoads, kLoads);

    printf(
        "scheduler: start and first pass over %d devices x %d channels (%d due schedules, devices off line), "
        "no main window: %.1f ms\n",
        kDevices, kChannels, kDevices * kChannels, StartAndFirstPass(engine));

    MessageCounter window;
    LARGE_INTEGER start = BenchNow();
    const double passMs = StartAndFirstPass(engine);
    // One message per off-line device and pass, however many of its schedules are due.
    while (window.Received() < kDevices) Sleep(1);
    const double receivedMs = BenchSeconds(start, BenchNow()) * 1000.0;
    printf(
        "scheduler: the same with a main window receiving the posted messages: %.1f ms; all %ld messages "
        "received after %.1f ms\n",
        passMs, window.Received(), receivedMs);
    engine.Shutdown();
    (void)folder;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr,
                "usage: bench_engine <work folder> [files] [minutes per file] [tick ms]\n"
                "       bench_engine <work folder> scheduler\n");
        return 2;
    }
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    CString folder(argv[1]);
    Configure(folder);
    const bool schedulerOnly = argc > 2 && strcmp(argv[2], "scheduler") == 0;
    if (!schedulerOnly) {
        int files = argc > 2 ? atoi(argv[2]) : 60;
        int minutes = argc > 3 ? atoi(argv[3]) : 10;
        DWORD tick = argc > 4 ? (DWORD)atoi(argv[4]) : 10;
        BackupThroughput(folder, files, minutes, tick);
        DeleteFileW(GetAppConfig()->m_strRecordListFile);
    }
    DeleteFileW(GetAppConfig()->m_strScheduleFile);
    SchedulerPass(folder);
    return 0;
}
