// CAutoRunDlg: the hidden child window of the main window that owns the
// program's background workers besides the engine's scheduler: the device
// login/retry thread, the disk maintenance thread and the backup-copy
// thread (plus login-report, login-list, record-state and idle threads that
// are offered and not started by the program). Destroying the window stops
// every thread before it goes.
#pragma once

#include <afxwin.h>

#include <functional>
#include <list>
#include <vector>

#include "app/core/CLock.h"
#include "app/engine/BACKUP_COPY_ITEM.h"
#include "app/engine/DEVICE_RECORD.h"

class CBackupEngine;

const UINT IDD_AUTORUN_DIALOG = 149;

class CAutoRunDlg : public CDialog {
    DECLARE_DYNAMIC(CAutoRunDlg)

public:
    // Shows a result text to the user (the main window's prompt); the
    // default shows nothing.
    typedef std::function<void(const CString& text, const CString& caption)> PromptHandler;

    // engine null: the program's one engine.
    explicit CAutoRunDlg(CWnd* parent = nullptr, CBackupEngine* engine = nullptr);
    ~CAutoRunDlg() override;

    // Creates the window hidden (186 x 90 dialog units, no controls) as a
    // child of parent. FALSE when the window cannot be made.
    BOOL CreateHidden(CWnd* parent);
    void SetPromptHandler(const PromptHandler& handler) { m_prompt = handler; }

    // Queues a copy of the record for login unless its id is queued. 0.
    int QueueDeviceLogin(const DEVICE_RECORD& record);
    int QueueLoginReport(const DEVICE_RECORD& record);
    int StartLoginThread();         // 0; nothing when it runs
    int StartMaintainThread();      // 0
    int StartBackupCopyThread();    // 0; nothing while a copy runs
    int StartLoginReportThread();   // 0
    int StartLoginListThread();     // 0
    int StartRecordStateThread();   // 0
    // Clears every run flag and queue, then waits (bounded) for each thread.
    void StopAllThreads();
    void StopMaintainThread() { m_maintainRun = 0; }
    void StopLoginListThread() { m_loginListRun = 0; }
    void StopLoginThread() { m_loginRetryRun = 0; }
    void StopLoginReportThread() { m_loginReportRun = 0; }
    void StopRecordStateThread() { m_recordStateRun = 0; }
    // Stops the record-state thread and waits for it.
    void StopRecordStateThreadAndWait();
    // Stops a running copy, clears the engine's copy list and waits.
    void StopBackupCopyThread();
    // Fills the login list from every device of the engine. 0.
    int ReloadLoginList();
    int ClearIdList();
    int AddIdToList(int deviceId);

    // Ids of the queued devices, front first (for the window's owner and tests).
    std::vector<int> GetQueuedLoginIds();
    bool IsLoginThreadRunning() const { return m_loginRetryDone == 0; }
    bool IsMaintainThreadRunning() const { return m_maintainDone == 0; }
    bool IsBackupCopyRunning() const { return m_backupCopyDone == 0; }
    std::vector<BACKUP_COPY_ITEM> GetFailedCopies();

    // How many 50 ms sleeps follow a maintenance pass that took elapsedMs.
    static int MaintainSleepSteps(DWORD elapsedMs);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // Runs one thread's loop, never letting an exception out, and marks it done.
    static DWORD RunLoop(void* param, void (CAutoRunDlg::*loop)(), volatile LONG CAutoRunDlg::*done);
    static DWORD WINAPI LoginRetryThreadProc(void* param);
    static DWORD WINAPI MaintainThreadProc(void* param);
    static DWORD WINAPI BackupCopyThreadProc(void* param);
    static DWORD WINAPI LoginReportThreadProc(void* param);
    static DWORD WINAPI LoginQueueThreadProc(void* param);
    static DWORD WINAPI RecordStateThreadProc(void* param);
    static DWORD WINAPI IdleThreadProc(void* param);
    void LoginRetryLoop();
    void MaintainLoop();
    void BackupCopyLoop();
    void LoginReportLoop();
    void LoginQueueLoop();
    void RecordStateLoop();
    void FinishBackupCopy();
    void Start(LPTHREAD_START_ROUTINE proc, volatile LONG* run, volatile LONG* done);
    static bool QueueUnique(std::list<DEVICE_RECORD>& queue, const DEVICE_RECORD& record);
    static void WaitDone(volatile LONG* done);

    CBackupEngine* m_engine;
    PromptHandler m_prompt;
    std::vector<DEVICE_RECORD> m_scratch;
    CLock m_loginRetryLock;
    CLock m_loginListLock;
    std::list<DEVICE_RECORD> m_loginList;
    std::list<DEVICE_RECORD> m_loginRetryQueue;
    CLock m_loginReportLock;
    std::list<DEVICE_RECORD> m_loginReportQueue;
    volatile LONG m_loginRetryRun = 0, m_loginReportRun = 0, m_loginListRun = 0, m_recordStateRun = 0;
    volatile LONG m_loginRetryDone = 1, m_loginListDone = 1, m_recordStateDone = 1, m_loginReportDone = 1;
    volatile LONG m_maintainRun = 0, m_maintainDone = 1;
    CLock m_backupCopyLock;
    volatile LONG m_backupCopyDone = 1, m_backupCopyRun = 0;
    std::list<BACKUP_COPY_ITEM> m_failedCopies;
    std::vector<int> m_idList;
    CLock m_idListLock;
    volatile LONG m_idleRun = 0, m_idleDone = 1;
    std::vector<HANDLE> m_threads;
    CLock m_threadsLock;
};
