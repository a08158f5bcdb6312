// CAutoRunDlg: the hidden child window of the main window that owns the
// program's background workers besides the engine's scheduler: the device
// login/retry thread, the disk maintenance thread and the backup-copy
// thread (plus login-report, login-list, record-state and idle threads that
// are offered and not started by the program). Destroying the window stops
// every thread before it goes.
//
// Each thread is a CThreadOwner: a stop event and a join. Locks: one per
// queue (login retry, login list, login report, id list) and
// m_backupCopyLock for the failed-copy list and the copy thread's start and
// end (the thread's last look at the engine's copy list and a start decide
// under it), each held only while its list is read or changed, never across
// a login or a file copy.
#pragma once

#include <afxwin.h>

#include <functional>
#include <list>
#include <vector>

#include "common/CLock.h"
#include "app/engine/BACKUP_COPY_ITEM.h"
#include "app/engine/DEVICE_RECORD.h"
#include "common/CThreadOwner.h"

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
    // The main window's answer to the engine's WM_TW_DEVICE_NOT_LOGGED_IN:
    // the engine's record of the device is queued for login while the
    // device exists (one deleted meanwhile would stay queued for ever).
    void QueueDeviceLoginIfKnown(int deviceId);
    // ... and to WM_TW_DEVICE_OFFLINE: with flags 0 (the session dropped)
    // the engine drops the device's work and the device is queued for
    // login again; other flags change nothing.
    void OnDeviceOffline(int deviceId, LPARAM flags);
    int QueueLoginReport(const DEVICE_RECORD& record);
    int StartLoginThread();        // 0; nothing when it runs
    int StartMaintainThread();     // 0
    int StartBackupCopyThread();   // 0; nothing while a copy runs
    int StartLoginReportThread();  // 0
    int StartLoginListThread();    // 0
    int StartRecordStateThread();  // 0
    // Clears every queue, asks every thread to stop, then waits (bounded)
    // for each.
    void StopAllThreads();
    // Ask the thread to stop; they do not wait.
    void StopMaintainThread() { m_maintainThread.RequestStop(); }
    void StopLoginListThread() { m_loginListThread.RequestStop(); }
    void StopLoginThread() { m_loginRetryThread.RequestStop(); }
    void StopLoginReportThread() { m_loginReportThread.RequestStop(); }
    void StopRecordStateThread() { m_recordStateThread.RequestStop(); }
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
    bool IsLoginThreadRunning() const { return m_loginRetryThread.IsAlive(); }
    bool IsMaintainThreadRunning() const { return m_maintainThread.IsAlive(); }
    bool IsBackupCopyRunning() const { return m_backupCopyThread.IsAlive(); }
    std::vector<BACKUP_COPY_ITEM> GetFailedCopies();

    // How many 50 ms sleeps follow a maintenance pass that took elapsedMs.
    static int MaintainSleepSteps(DWORD elapsedMs);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void LoginRetryLoop();
    void MaintainLoop();
    void BackupCopyLoop();
    void LoginReportLoop();
    void LoginQueueLoop();
    void RecordStateLoop();
    void FinishBackupCopy();
    // Starts the loop on thread unless it runs (one that was asked to stop
    // is joined first).
    void Start(CThreadOwner& thread, void (CAutoRunDlg::*loop)());
    static bool QueueUnique(std::list<DEVICE_RECORD>& queue, const DEVICE_RECORD& record);

    CBackupEngine* m_engine;
    PromptHandler m_prompt;
    std::vector<DEVICE_RECORD> m_scratch;
    CLock m_loginRetryLock;
    CLock m_loginListLock;
    std::list<DEVICE_RECORD> m_loginList;
    std::list<DEVICE_RECORD> m_loginRetryQueue;
    CLock m_loginReportLock;
    std::list<DEVICE_RECORD> m_loginReportQueue;
    CLock m_backupCopyLock;
    std::list<BACKUP_COPY_ITEM> m_failedCopies;
    // Under m_backupCopyLock: the copy thread runs and will look at the list
    // again; it is cleared by the thread's last step.
    bool m_backupCopyActive = false;
    std::vector<int> m_idList;
    CLock m_idListLock;
    // Declared last: their destructors join the threads before the lists go.
    CThreadOwner m_loginRetryThread, m_loginListThread, m_loginReportThread, m_recordStateThread;
    CThreadOwner m_maintainThread, m_backupCopyThread, m_idleThread;
};
