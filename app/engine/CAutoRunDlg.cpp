#include "app/engine/CAutoRunDlg.h"

#include <algorithm>

#include "app/core/CAutoLock.h"
#include "app/core/CInitLanguage.h"
#include "app/core/FileUtil.h"
#include "app/engine/CBackupEngine.h"

namespace {

const DWORD kLoginRetryPauseMs = 100;
const DWORD kMaintainPeriodMs = 5000;
const DWORD kMaintainStepMs = 50;
const int kMaintainFallbackSteps = 20;
const int kMaintainMaxSteps = 100;
const DWORD kCopyPauseMs = 100;
const DWORD kReportIdleMs = 1000;
const DWORD kLoginListPauseMs = 50;
const DWORD kRecordStatePeriodMs = 30000;
const DWORD kStopPollMs = 100;
// A thread may sit in one device login or one file copy when asked to stop;
// past this the window stops waiting for it.
const DWORD kThreadStopWaitMs = 60000;

// A hidden child dialog of 186 x 90 units without controls.
struct HiddenTemplate {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
};
const HiddenTemplate kHiddenTemplate = {{WS_CHILD, 0, 0, 0, 0, 186, 90}, 0, 0, 0};

CString Translate(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

}  // namespace

IMPLEMENT_DYNAMIC(CAutoRunDlg, CDialog)

BEGIN_MESSAGE_MAP(CAutoRunDlg, CDialog)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CAutoRunDlg::CAutoRunDlg(CWnd* parent, CBackupEngine* engine)
    : CDialog(IDD_AUTORUN_DIALOG, parent), m_engine(engine ? engine : &GetBackupEngine()) {
    m_engine->SetWorkerStopper(this, [this]() { StopAllThreads(); });
}

CAutoRunDlg::~CAutoRunDlg() {
    m_engine->ClearWorkerStopper(this);
    StopAllThreads();
    CAutoLock guard(&m_threadsLock);
    for (HANDLE thread : m_threads) CloseHandle(thread);
}

BOOL CAutoRunDlg::CreateHidden(CWnd* parent) {
    return CreateIndirect(&kHiddenTemplate.dialog, parent);
}

BOOL CAutoRunDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    return TRUE;
}

void CAutoRunDlg::DoDataExchange(CDataExchange* dx) { CDialog::DoDataExchange(dx); }

void CAutoRunDlg::OnDestroy() {
    CDialog::OnDestroy();
    StopAllThreads();
}

bool CAutoRunDlg::QueueUnique(std::list<DEVICE_RECORD>& queue, const DEVICE_RECORD& record) {
    for (const DEVICE_RECORD& queued : queue) {
        if (queued.id == record.id) return false;
    }
    queue.push_back(record);
    return true;
}

int CAutoRunDlg::QueueDeviceLogin(const DEVICE_RECORD& record) {
    CAutoLock guard(&m_loginRetryLock);
    QueueUnique(m_loginRetryQueue, record);
    return 0;
}

int CAutoRunDlg::QueueLoginReport(const DEVICE_RECORD& record) {
    CAutoLock guard(&m_loginReportLock);
    QueueUnique(m_loginReportQueue, record);
    return 0;
}

std::vector<int> CAutoRunDlg::GetQueuedLoginIds() {
    CAutoLock guard(&m_loginRetryLock);
    std::vector<int> ids;
    for (const DEVICE_RECORD& record : m_loginRetryQueue) ids.push_back(record.id);
    return ids;
}

std::vector<BACKUP_COPY_ITEM> CAutoRunDlg::GetFailedCopies() {
    CAutoLock guard(&m_backupCopyLock);
    return std::vector<BACKUP_COPY_ITEM>(m_failedCopies.begin(), m_failedCopies.end());
}

void CAutoRunDlg::Start(LPTHREAD_START_ROUTINE proc, volatile LONG* run, volatile LONG* done) {
    *run = 1;
    *done = 0;
    HANDLE thread = CreateThread(nullptr, 0, proc, this, 0, nullptr);
    if (!thread) {
        *run = 0;
        *done = 1;
        return;
    }
    CAutoLock guard(&m_threadsLock);
    m_threads.push_back(thread);
}

int CAutoRunDlg::StartLoginThread() {
    if (m_loginRetryRun == 0) Start(LoginRetryThreadProc, &m_loginRetryRun, &m_loginRetryDone);
    return 0;
}

int CAutoRunDlg::StartMaintainThread() {
    // A second start while one runs would leave two threads on one flag.
    if (m_maintainDone) Start(MaintainThreadProc, &m_maintainRun, &m_maintainDone);
    return 0;
}

int CAutoRunDlg::StartBackupCopyThread() {
    if (m_backupCopyRun == 0 && m_backupCopyDone == 1) Start(BackupCopyThreadProc, &m_backupCopyRun, &m_backupCopyDone);
    return 0;
}

int CAutoRunDlg::StartLoginReportThread() {
    Start(LoginReportThreadProc, &m_loginReportRun, &m_loginReportDone);
    return 0;
}

int CAutoRunDlg::StartLoginListThread() {
    Start(LoginQueueThreadProc, &m_loginListRun, &m_loginListDone);
    return 0;
}

int CAutoRunDlg::StartRecordStateThread() {
    Start(RecordStateThreadProc, &m_recordStateRun, &m_recordStateDone);
    return 0;
}

void CAutoRunDlg::WaitDone(volatile LONG* done) {
    for (DWORD waited = 0; !*done && waited < kThreadStopWaitMs; waited += kStopPollMs) Sleep(kStopPollMs);
}

void CAutoRunDlg::StopAllThreads() {
    m_recordStateRun = 0;
    {
        CAutoLock guard(&m_loginListLock);
        m_loginListRun = 0;
        m_loginList.clear();
    }
    {
        CAutoLock guard(&m_loginRetryLock);
        m_loginRetryRun = 0;
        m_loginRetryQueue.clear();
    }
    {
        CAutoLock guard(&m_loginReportLock);
        m_loginReportRun = 0;
        m_loginReportQueue.clear();
    }
    {
        CAutoLock guard(&m_backupCopyLock);
        m_backupCopyRun = 0;
        m_engine->ClearBackupCopyFiles();
    }
    {
        CAutoLock guard(&m_idListLock);
        m_idleRun = 0;
    }
    m_maintainRun = 0;
    for (volatile LONG* done : {&m_loginListDone, &m_loginRetryDone, &m_recordStateDone, &m_loginReportDone,
                                &m_backupCopyDone, &m_idleDone, &m_maintainDone})
        WaitDone(done);
}

void CAutoRunDlg::StopRecordStateThreadAndWait() {
    m_recordStateRun = 0;
    WaitDone(&m_recordStateDone);
}

void CAutoRunDlg::StopBackupCopyThread() {
    if (m_backupCopyDone) return;
    m_backupCopyRun = 0;
    m_engine->ClearBackupCopyFiles();
    WaitDone(&m_backupCopyDone);
}

int CAutoRunDlg::ReloadLoginList() {
    m_scratch.clear();
    m_engine->GetAllDevices(m_scratch);
    CAutoLock guard(&m_loginListLock);
    m_loginList.assign(m_scratch.begin(), m_scratch.end());
    m_scratch.clear();
    return 0;
}

int CAutoRunDlg::ClearIdList() {
    CAutoLock guard(&m_idListLock);
    m_idleRun = 0;
    m_idList.clear();
    return 0;
}

int CAutoRunDlg::AddIdToList(int deviceId) {
    CAutoLock guard(&m_idListLock);
    if (std::find(m_idList.begin(), m_idList.end(), deviceId) == m_idList.end()) m_idList.push_back(deviceId);
    if (!m_idList.empty() && m_idleDone) Start(IdleThreadProc, &m_idleRun, &m_idleDone);
    return 0;
}

// ---- Thread bodies ----------------------------------------------------------

DWORD CAutoRunDlg::RunLoop(void* param, void (CAutoRunDlg::*loop)(), volatile LONG CAutoRunDlg::*done) {
    CAutoRunDlg* self = static_cast<CAutoRunDlg*>(param);
    try {
        (self->*loop)();
    } catch (...) {
    }
    self->*done = 1;
    return 0;
}

DWORD WINAPI CAutoRunDlg::LoginRetryThreadProc(void* param) {
    return RunLoop(param, &CAutoRunDlg::LoginRetryLoop, &CAutoRunDlg::m_loginRetryDone);
}

void CAutoRunDlg::LoginRetryLoop() {
    while (m_loginRetryRun == 1) {
        CAutoLock guard(&m_loginRetryLock);
        if (!m_loginRetryQueue.empty()) {
            int id = m_loginRetryQueue.front().id;
            guard.Unlock();
            m_engine->LoginDevice(id);
            DEVICE_RECORD current = m_engine->GetDevice(id);
            guard.Lock();
            if (!m_loginRetryQueue.empty()) {
                m_loginRetryQueue.pop_front();
                // A device removed meanwhile (id 0) leaves the queue for good.
                if (current.id != 0 && !current.loggedIn) m_loginRetryQueue.push_back(current);
            }
        }
        guard.Unlock();
        Sleep(kLoginRetryPauseMs);
    }
}

int CAutoRunDlg::MaintainSleepSteps(DWORD elapsedMs) {
    DWORD steps = (kMaintainPeriodMs - elapsedMs) / kMaintainStepMs;
    int signedSteps = (int)steps;
    if (signedSteps <= 0 || signedSteps > kMaintainMaxSteps) return kMaintainFallbackSteps;
    return signedSteps;
}

DWORD WINAPI CAutoRunDlg::MaintainThreadProc(void* param) {
    return RunLoop(param, &CAutoRunDlg::MaintainLoop, &CAutoRunDlg::m_maintainDone);
}

void CAutoRunDlg::MaintainLoop() {
    while (m_maintainRun == 1) {
        DWORD started = GetTickCount();
        m_engine->CheckDiskSpace();
        m_engine->DeleteExpiredRecords();
        int steps = MaintainSleepSteps(GetTickCount() - started);
        for (int i = 0; i < steps && m_maintainRun; ++i) Sleep(kMaintainStepMs);
    }
}

DWORD WINAPI CAutoRunDlg::BackupCopyThreadProc(void* param) {
    return RunLoop(param, &CAutoRunDlg::BackupCopyLoop, &CAutoRunDlg::m_backupCopyDone);
}

void CAutoRunDlg::BackupCopyLoop() {
    while (m_backupCopyRun == 1) {
        CAutoLock guard(&m_backupCopyLock);
        BACKUP_COPY_ITEM item;
        if (!m_engine->PeekFirstBackupCopy(&item)) {
            guard.Unlock();
            m_backupCopyRun = 0;
            FinishBackupCopy();
            break;
        }
        guard.Unlock();
        int result = CopyFilesToDir(item.targetDir, std::vector<CString>(1, item.sourceFile), TRUE);
        if (result != 0) {
            item.message = Translate(result == -1 ? L"Source file is not exist!" : L"Copy file faild!");
            CAutoLock failed(&m_backupCopyLock);
            m_failedCopies.push_back(item);
        }
        m_engine->RemoveFirstBackupCopyFile();
        Sleep(kCopyPauseMs);
    }
}

void CAutoRunDlg::FinishBackupCopy() {
    CString text;
    size_t failures;
    {
        CAutoLock guard(&m_backupCopyLock);
        failures = m_failedCopies.size();
    }
    if (failures == 0) {
        text.Format(L"%s", (LPCWSTR)Translate(L"Backup files succeed!"));
    } else {
        text.Format(L"%s %d %s", (LPCWSTR)Translate(L"Backup"), (int)failures, (LPCWSTR)Translate(L"files faild!"));
    }
    if (m_prompt) m_prompt(text, Translate(L"Prompt:"));
    if (failures) {
        CAutoLock guard(&m_backupCopyLock);
        m_failedCopies.clear();
    }
}

DWORD WINAPI CAutoRunDlg::LoginReportThreadProc(void* param) {
    return RunLoop(param, &CAutoRunDlg::LoginReportLoop, &CAutoRunDlg::m_loginReportDone);
}

void CAutoRunDlg::LoginReportLoop() {
    while (m_loginReportRun == 1) {
        CAutoLock guard(&m_loginReportLock);
        if (m_loginReportQueue.empty()) {
            guard.Unlock();
            Sleep(kReportIdleMs);
            continue;
        }
        DEVICE_RECORD record = m_loginReportQueue.front();
        m_loginReportQueue.pop_front();
        guard.Unlock();
        if (m_engine->GetDevice(record.id).loggedIn) continue;
        m_engine->LoginDevice(record.id);
        DEVICE_RECORD current = m_engine->GetDevice(record.id);
        CString text;
        if (current.loggedIn) {
            text.Format(L"%s\r\n%s(ID:%ld;IP:%s)", (LPCWSTR)Translate(L"Login Succeed!"), (LPCWSTR)CString(current.title),
                        (long)current.id, (LPCWSTR)CString(current.ip));
        } else {
            text.Format(L"%s\r\n%s(%s)", (LPCWSTR)Translate(L"Login Faild!"), (LPCWSTR)CString(current.title),
                        (LPCWSTR)m_engine->Devices().GetLoginErrorText(record.id));
        }
        if (m_prompt) m_prompt(text, Translate(L"Device Login:"));
    }
}

DWORD WINAPI CAutoRunDlg::LoginQueueThreadProc(void* param) {
    return RunLoop(param, &CAutoRunDlg::LoginQueueLoop, &CAutoRunDlg::m_loginListDone);
}

void CAutoRunDlg::LoginQueueLoop() {
    while (m_loginListRun == 1) {
        CAutoLock guard(&m_loginListLock);
        if (m_loginList.empty()) {
            m_loginListRun = 0;
            break;
        }
        DEVICE_RECORD record = m_loginList.front();
        m_loginList.pop_front();
        guard.Unlock();
        if (!m_engine->GetDevice(record.id).loggedIn) {
            m_engine->LoginDevice(record.id);
            Sleep(kLoginListPauseMs);
        }
    }
}

DWORD WINAPI CAutoRunDlg::RecordStateThreadProc(void* param) {
    return RunLoop(param, &CAutoRunDlg::RecordStateLoop, &CAutoRunDlg::m_recordStateDone);
}

void CAutoRunDlg::RecordStateLoop() {
    bool first = true;
    DWORD last = 0;
    while (m_recordStateRun == 1) {
        if (first || GetTickCount() - last > kRecordStatePeriodMs) {
            first = false;
            last = GetTickCount();
            std::vector<DEVICE_RECORD> devices;
            m_engine->GetLoggedInDevices(devices);
            for (const DEVICE_RECORD& device : devices) {
                if (!m_recordStateRun) break;
                m_engine->CheckRecordState(device.id);
            }
        }
        Sleep(kStopPollMs);
    }
}

DWORD WINAPI CAutoRunDlg::IdleThreadProc(void* param) {
    static_cast<CAutoRunDlg*>(param)->m_idleDone = 1;
    return 0;
}
