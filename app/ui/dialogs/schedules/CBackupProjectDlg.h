// CBackupProjectDlg: the list of the current user's automatic backup
// schedules. It edits a schedule store of its own, loaded from the user's
// backupschedule.xml and written back on OK; the engine takes the saved
// schedules when automatic download is next started. Adding and changing
// go through the embedded editor, CProjectEditDlg.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

#include "app/core/CBackupScheduleStore.h"
#include "app/ui/dialogs/schedules/CProjectEditDlg.h"
#include "app/ui/toolkit/CVirtualListCtrl.h"

class CBackupProjectDlg : public CDialog {
public:
    explicit CBackupProjectDlg(CWnd* parent = nullptr);
    ~CBackupProjectDlg() override;

    // Refills the rows from the store; with reload 1 the store first loads
    // the user's backupschedule.xml. Returns 0.
    int LoadScheduleList(int reload);

    CBackupScheduleStore& GetStore() { return m_store; }
    CProjectEditDlg& GetEditor() { return m_editor; }
    CVirtualListCtrl& GetList() { return m_list; }
    int GetCheckedCount() const { return m_checkedCount; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Enter does nothing; Escape only hides an open editor.
    void OnOK() override;
    void OnCancel() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    afx_msg void OnAdd();
    afx_msg void OnModify();
    afx_msg void OnDelete();
    afx_msg void OnSave();
    afx_msg void OnCancelButton();
    afx_msg void OnClose();
    afx_msg void OnListItemChanged(NMHDR* header, LRESULT* result);

private:
    void InsertColumns();
    // The header double-click: every row ticked, or every tick cleared.
    void ToggleAllTicks();
    void ShowEditor();
    void UpdateButtons();

    CVirtualListCtrl m_list;
    CProjectEditDlg m_editor;
    int m_checkedCount;
    int m_checkAll;
    CBackupScheduleStore m_store;

    DECLARE_MESSAGE_MAP()
};
