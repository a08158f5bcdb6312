#include "app/engine/CAutoRunDlg.h"

#include <algorithm>

#include "common/CAutoLock.h"
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
}

BOOL CAutoRunDlg::CreateHidden(CWnd* parent) { return CreateIndirect(&kHiddenTemplate.dialog, parent); }

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

void CAutoRunDlg::QueueDeviceLoginIfKnown(int deviceId) {
    const DEVICE_RECORD device = m_engine->GetDevice(deviceId);
    if (device.id != 0) QueueDeviceLogin(device);
}

void CAutoRunDlg::OnDeviceOffline(int deviceId, LPARAM flags) {
    if (flags != 0) return;
    m_engine->OnDeviceGone(deviceId, 0);
    QueueDeviceLoginIfKnown(deviceId);
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

void CAutoRunDlg::Start(CThreadOwner& thread, void (CAutoRunDlg::*loop)()) {
    if (thread.IsRunning()) return;
    thread.Stop(kThreadStopWaitMs);
    thread.Start([this, loop]() { (this->*loop)(); });
}

int CAutoRunDlg::StartLoginThread() {
    Start(m_loginRetryThread, &CAutoRunDlg::LoginRetryLoop);
    return 0;
}

int CAutoRunDlg::StartMaintainThread() {
    Start(m_maintainThread, &CAutoRunDlg::MaintainLoop);
    return 0;
}

int CAutoRunDlg::StartBackupCopyThread() {
    CAutoLock guard(&m_backupCopyLock);
    // A thread that has not yet decided to end takes the new files itself.
    if (m_backupCopyActive && !m_backupCopyThread.StopRequested()) return 0;
    // One that has decided, or was asked to stop, is joined outside the
    // lock: a stopping thread takes it on its way out.
    guard.Unlock();
    m_backupCopyThread.Stop(kThreadStopWaitMs);
    guard.Lock();
    if (m_backupCopyActive) return 0;  // still winding down, or another start won
    m_backupCopyActive = m_backupCopyThread.Start([this]() { BackupCopyLoop(); });
    return 0;
}

int CAutoRunDlg::StartLoginReportThread() {
    Start(m_loginReportThread, &CAutoRunDlg::LoginReportLoop);
    return 0;
}

int CAutoRunDlg::StartLoginListThread() {
    Start(m_loginListThread, &CAutoRunDlg::LoginQueueLoop);
    return 0;
}

int CAutoRunDlg::StartRecordStateThread() {
    Start(m_recordStateThread, &CAutoRunDlg::RecordStateLoop);
    return 0;
}

void CAutoRunDlg::StopAllThreads() {
    {
        CAutoLock guard(&m_loginListLock);
        m_loginList.clear();
    }
    {
        CAutoLock guard(&m_loginRetryLock);
        m_loginRetryQueue.clear();
    }
    {
        CAutoLock guard(&m_loginReportLock);
        m_loginReportQueue.clear();
    }
    {
        CAutoLock guard(&m_backupCopyLock);
        m_backupCopyThread.RequestStop();
        m_engine->ClearBackupCopyFiles();
    }
    CThreadOwner* threads[] = {&m_loginListThread,  &m_loginRetryThread, &m_recordStateThread, &m_loginReportThread,
                               &m_backupCopyThread, &m_idleThread,       &m_maintainThread};
    // All are asked first, so they wind down together while each is joined.
    for (CThreadOwner* thread : threads) thread->RequestStop();
    for (CThreadOwner* thread : threads) thread->Stop(kThreadStopWaitMs);
}

void CAutoRunDlg::StopRecordStateThreadAndWait() { m_recordStateThread.Stop(kThreadStopWaitMs); }

void CAutoRunDlg::StopBackupCopyThread() {
    if (!m_backupCopyThread.IsAlive()) return;
    m_backupCopyThread.RequestStop();
    m_engine->ClearBackupCopyFiles();
    m_backupCopyThread.Stop(kThreadStopWaitMs);
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
    m_idleThread.RequestStop();
    m_idList.clear();
    return 0;
}

int CAutoRunDlg::AddIdToList(int deviceId) {
    CAutoLock guard(&m_idListLock);
    if (std::find(m_idList.begin(), m_idList.end(), deviceId) == m_idList.end()) m_idList.push_back(deviceId);
    // The idle thread has no work of its own: it starts and ends at once.
    if (!m_idList.empty() && !m_idleThread.IsAlive()) {
        m_idleThread.Stop(0);
        m_idleThread.Start([]() {});
    }
    return 0;
}

// ---- Thread bodies ----------------------------------------------------------

void CAutoRunDlg::LoginRetryLoop() {
    while (!m_loginRetryThread.StopRequested()) {
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
        if (m_loginRetryThread.WaitForStop(kLoginRetryPauseMs)) break;
    }
}

int CAutoRunDlg::MaintainSleepSteps(DWORD elapsedMs) {
    DWORD steps = (kMaintainPeriodMs - elapsedMs) / kMaintainStepMs;
    int signedSteps = (int)steps;
    if (signedSteps <= 0 || signedSteps > kMaintainMaxSteps) return kMaintainFallbackSteps;
    return signedSteps;
}

void CAutoRunDlg::MaintainLoop() {
    while (!m_maintainThread.StopRequested()) {
        DWORD started = GetTickCount();
        m_engine->CheckDiskSpace();
        m_engine->DeleteExpiredRecords();
        int steps = MaintainSleepSteps(GetTickCount() - started);
        if (m_maintainThread.WaitForStop(steps * kMaintainStepMs)) break;
    }
}

void CAutoRunDlg::BackupCopyLoop() {
    while (!m_backupCopyThread.StopRequested()) {
        BACKUP_COPY_ITEM item;
        if (!m_engine->PeekFirstBackupCopy(&item)) {
            FinishBackupCopy();
            // The list is asked once more under the lock StartBackupCopyThread
            // takes: a file queued after the first look is either seen here
            // or finds the thread gone and starts a new one.
            CAutoLock guard(&m_backupCopyLock);
            if (m_engine->PeekFirstBackupCopy(&item)) continue;
            m_backupCopyActive = false;
            return;
        }
        int result = CopyFilesToDir(item.targetDir, std::vector<CString>(1, item.sourceFile), TRUE);
        if (result != 0) {
            item.message = Translate(result == -1 ? L"Source file is not exist!" : L"Copy file faild!");
            CAutoLock failed(&m_backupCopyLock);
            m_failedCopies.push_back(item);
        }
        m_engine->RemoveFirstBackupCopyFile();
        if (m_backupCopyThread.WaitForStop(kCopyPauseMs)) break;
    }
    CAutoLock guard(&m_backupCopyLock);
    m_backupCopyActive = false;
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

void CAutoRunDlg::LoginReportLoop() {
    while (!m_loginReportThread.StopRequested()) {
        CAutoLock guard(&m_loginReportLock);
        if (m_loginReportQueue.empty()) {
            guard.Unlock();
            m_loginReportThread.WaitForStop(kReportIdleMs);
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
            text.Format(L"%s\r\n%s(ID:%ld;IP:%s)", (LPCWSTR)Translate(L"Login Succeed!"),
                        (LPCWSTR)CString(current.title), (long)current.id, (LPCWSTR)CString(current.ip));
        } else {
            text.Format(L"%s\r\n%s(%s)", (LPCWSTR)Translate(L"Login Faild!"), (LPCWSTR)CString(current.title),
                        (LPCWSTR)m_engine->Devices().GetLoginErrorText(record.id));
        }
        if (m_prompt) m_prompt(text, Translate(L"Device Login:"));
    }
}

void CAutoRunDlg::LoginQueueLoop() {
    while (!m_loginListThread.StopRequested()) {
        CAutoLock guard(&m_loginListLock);
        if (m_loginList.empty()) break;
        DEVICE_RECORD record = m_loginList.front();
        m_loginList.pop_front();
        guard.Unlock();
        if (!m_engine->GetDevice(record.id).loggedIn) {
            m_engine->LoginDevice(record.id);
            if (m_loginListThread.WaitForStop(kLoginListPauseMs)) break;
        }
    }
}

void CAutoRunDlg::RecordStateLoop() {
    do {
        std::vector<DEVICE_RECORD> devices;
        m_engine->GetLoggedInDevices(devices);
        for (const DEVICE_RECORD& device : devices) {
            if (m_recordStateThread.StopRequested()) break;
            m_engine->CheckRecordState(device.id);
        }
    } while (!m_recordStateThread.WaitForStop(kRecordStatePeriodMs));
}
