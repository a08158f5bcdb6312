#include "EngineFixture.h"

#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/SystemUtil.h"
#include "standins/qvnetsdk/SdkWire.h"
#include "standins/streamfmt/StreamFormat.h"

EngineFixture* EngineFixture::s_current = nullptr;

std::string Narrow(const std::wstring& text) { return std::string(CStringA(CString(text.c_str()))); }

namespace {

const wchar_t kWindowClass[] = L"EngineTestMainWindow";
const UINT_PTR kTickTimer = 13;

QVNET_TIME DayOf(int daysBack) {
    CTime day = CTime::GetCurrentTime() - CTimeSpan(daysBack, 0, 0, 0);
    QVNET_TIME t = {(uint32_t)day.GetYear(), (uint32_t)day.GetMonth(), (uint32_t)day.GetDay(), 0, 0, 0};
    return t;
}

}  // namespace

LRESULT CALLBACK EngineFixture::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    EngineFixture* self = s_current;
    if (self && message >= WM_USER) {
        // The main window hands a device that went off line or is needed by
        // a due schedule to its worker window, as here.
        if (self->handleOffline && self->worker) {
            if (message == WM_TW_DEVICE_OFFLINE) self->worker->OnDeviceOffline((int)wParam, lParam);
            if (message == WM_TW_DEVICE_NOT_LOGGED_IN) self->worker->QueueDeviceLoginIfKnown((int)wParam);
        }
        self->m_posted.push_back({(int)message, (int)wParam, (int)lParam});
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void EngineFixture::SetUp() {
    s_current = this;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);
    window = CreateWindowW(kWindowClass, L"main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    SetMainWindow(window, nullptr);

    CAppConfig* config = GetAppConfig();
    const CString folder(temp.Path().c_str());
    CreateDirectoryW(temp.File(L"save").c_str(), nullptr);
    config->m_strSaveDirs = CString(temp.File(L"save").c_str()) + L";";
    config->m_strDownloadNameRule = L"{DEVID}-{CHNIDX}-{Y4}{M2}{D2}{H2}{m2}{S2}.duz";
    config->m_strRecordListFile = folder + L"\\RecordList.db";
    config->m_strScheduleFile = folder + L"\\backupschedule.xml";
    config->m_strDeviceFile = folder + L"\\device.xml";
    config->m_strModuleDir = folder + L"\\";
    config->m_nDriveFreeSpaceLimit = 1;
    config->m_nDriveOverMode = 0;
    config->m_nAutoDeleteDay = 0;
    config->m_nMultiBackupDevCount = 2;
    config->m_nNetworkRateType = 1;

    engine.reset(new CBackupEngine());
    ASSERT_EQ(1, engine->RecordList().Open(config->m_strRecordListFile));
    ASSERT_EQ(0, engine->RecordList().CheckTable(0));
    worker.reset(new CAutoRunDlg(nullptr, engine.get()));
}

void EngineFixture::EndEngine() {
    if (worker) worker->StopAllThreads();
    if (engine) {
        engine->StopAutoBackup();
        engine->StopManualDownload();
        std::vector<DEVICE_RECORD> devices;
        engine->GetLoggedInDevices(devices);
        for (const DEVICE_RECORD& device : devices) engine->Devices().LogoutDevice(device.id);
        engine->Shutdown();
    }
    worker.reset();
    engine.reset();
}

void EngineFixture::TearDown() {
    EndEngine();
    for (auto& recorder : recorders) recorder->Stop();
    recorders.clear();
    SetMainWindow(nullptr, nullptr);
    DestroyWindow(window);
    s_current = nullptr;
}

CSimRecorder& EngineFixture::StartRecorder(const SimRecorderConfig& config) {
    recorders.emplace_back(new CSimRecorder(config));
    EXPECT_TRUE(recorders.back()->Start());
    return *recorders.back();
}

int EngineFixture::AddDevice(int id, const CSimRecorder& recorder, int loginType) {
    DEVICE_RECORD record;
    record.id = id;
    CopyFixedText(record.title, "sim");
    CopyFixedText(record.ip, "127.0.0.1");
    record.port = recorder.Port();
    CopyFixedText(record.user, "admin");
    CopyFixedText(record.password, "admin");
    record.logintype = loginType;
    EXPECT_EQ(0, engine->Devices().AddDeviceRecord(record));
    return id;
}

SimRecorderConfig EngineFixture::RecorderWithFiles(int channels) {
    SimRecorderConfig config;
    config.channelCount = (uint32_t)channels;
    SimCatalogueRule rule;
    rule.firstDay = DayOf(1);
    rule.days = 2;
    rule.fileMinutes = 10;
    rule.dayStartSecond = 3600;
    rule.dayEndSecond = 3600 + 1800;
    config.rules.push_back(rule);
    return config;
}

bool EngineFixture::TickUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD periodMs) {
    SetTimer(window, kTickTimer, periodMs, nullptr);
    DWORD last = GetTickCount() - periodMs;
    bool met = WaitFor(
        [&] {
            if (GetTickCount() - last >= periodMs) {
                last = GetTickCount();
                engine->RunDownloads();
            }
            return condition();
        },
        timeoutMs);
    KillTimer(window, kTickTimer);
    return met;
}

RECORD_LIST_ROWS EngineFixture::Rows() {
    RECORD_LIST_ROWS rows;
    engine->RecordList().QueryAll(rows);
    return rows;
}

std::vector<RECORD_TASK> EngineFixture::Tasks() {
    std::vector<RECORD_TASK> tasks;
    engine->GetAllTasks(&tasks);
    return tasks;
}

std::string EngineFixture::ExpectedBytes(const CSimRecorder& recorder, const RECORD_FILE_DESC& desc) {
    streamfmt::StreamParams streamParams;
    CSimRecorder& sim = const_cast<CSimRecorder&>(recorder);
    bool known = desc.recordType == QVNET_RECORD_TIME_RANGE
                     ? sim.Device().Catalogue().ParamsOfRange(desc.channel, qvwire::TimeToSeconds(desc.start),
                                                              qvwire::TimeToSeconds(desc.end), streamParams)
                     : sim.Device().Catalogue().ParamsOfFile(desc, streamParams);
    if (!known) return std::string();
    std::vector<uint8_t> bytes = streamfmt::BuildStream(streamParams);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<RECORD_FILE_DESC> EngineFixture::FilesOf(const CSimRecorder& recorder, int channel, int daysBack) {
    QVNET_TIME day = DayOf(daysBack);
    QVNET_TIME begin = day, end = day;
    begin.hour = 1;
    end.hour = 2;
    CSimRecorder& sim = const_cast<CSimRecorder&>(recorder);
    return sim.Device().Catalogue().Query((uint32_t)channel, 0, qvwire::TimeToSeconds(begin),
                                          qvwire::TimeToSeconds(end));
}

std::vector<std::vector<int>> EngineFixture::TakePosted() {
    MSG msg;
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    std::vector<std::vector<int>> posted;
    posted.swap(m_posted);
    return posted;
}
