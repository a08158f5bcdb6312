// CRecordToAVIDlg: the record manager's To Avi page (dialog 134): the
// engine's conversion queue, one row per task with its progress, and Cancel
// of the ticked tasks. While it shows tasks its 500 ms timer is what moves
// the queue on (RunStep): a finished conversion is retired and the next one
// started only here. Row item data is the task id. UI thread.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

#include "app/engine/CBackupTaskQueue.h"
#include "app/ui/toolkit/CWndResizeInfo.h"

class CRecordManageDlg;

class CRecordToAVIDlg : public CDialog, public CWndResizeInfo {
    DECLARE_DYNAMIC(CRecordToAVIDlg)
public:
    enum { IDD = 134 };
    static const UINT_PTR kStepTimer = 4660;

    CRecordToAVIDlg();

    void SetManager(CRecordManageDlg* manager) { m_manager = manager; }
    // Rebuilds the list from the queue, keeping the ticks and the selection
    // of tasks still listed; starts the step timer when tasks are shown.
    void RefreshTaskList();
    // One timer step of the queue.
    void StepQueue();
    // The progress column of a task: its status word alone when its size is
    // 0, else a percentage (in 64 bits: done may pass 32 bits) with the word.
    static CString ProgressText(const BACKUP_TASK& task);
    static CString StatusText(int status);
    bool IsStepTimerRunning() const { return m_timerRunning; }
    int GetCheckedCount() const { return m_checkedCount; }

    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    afx_msg void OnCancelTasks();
    afx_msg void OnItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    void AddTaskRow(int row, const BACKUP_TASK& task);
    void ToggleAllTicks();
    void UpdateCancelButton();
    void StartStepTimer();
    void StopStepTimer();

    BOOL m_selectAll = FALSE;
    int m_checkedCount = 0;
    int m_convertingId = 0;
    bool m_timerRunning = false;
    CRecordManageDlg* m_manager = nullptr;
};
