// CUserManageDlg: the super user's editor of the local user accounts. It
// works on a private copy: every list row owns a copy of its user record, and
// nothing reaches the user manager or the disk before OK, which rewrites the
// users file, removes the folders of deleted users and seeds the folder of
// every remaining one. Modeless, created once and hidden between uses.
#pragma once

#include <afxcmn.h>

#include <functional>
#include <map>
#include <vector>

#include "app/core/UserInfo.h"
#include "app/ui/toolkit/CCtrlColorChange.h"
#include "app/ui/toolkit/CHoverHint.h"
#include "app/ui/toolkit/CSupperEdit.h"

class CUserManager;

class CUserManageDlg : public CDialog, public CCtrlColorChange {
public:
    enum EditMode { kBrowse = 0, kAdding = 1, kUpdating = 2 };
    // Writes one operation-log record (type, code, text) stamped now.
    typedef std::function<void(int type, int code, const CString& text)> LogRecordWriter;

    explicit CUserManageDlg(CWnd* parent = nullptr);
    ~CUserManageDlg() override;

    // The stores the dialog works on; the engine's unless set before Create.
    void SetUserManager(CUserManager* users) { m_pUsers = users; }
    void SetLogRecordWriter(const LogRecordWriter& writer) { m_logWriter = writer; }

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL PreTranslateMessage(MSG* msg) override;

    int GetEditMode() const { return m_nEditMode; }
    int GetCheckedCount() const { return m_nCheckedCount; }
    int GetSelectedRow() const { return m_nSelectedRow; }
    const std::vector<CString>& GetRemovedIds() const { return m_removedIds; }

protected:
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnListItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnHeaderDoubleClick(NMHDR* header, LRESULT* result);
    afx_msg void OnAddClicked();
    afx_msg void OnUpdateClicked();
    afx_msg void OnResetClicked();
    afx_msg void OnDeleteClicked();
    afx_msg void OnOkClicked();
    afx_msg void OnCancelClicked();
    DECLARE_MESSAGE_MAP()

private:
    CUserManager& Users();
    void SetupEdits();
    void SetupHints();
    void InsertColumns();

    // Drops everything pending and lists the user manager's users again.
    void Reload();
    void FillUserList();
    void FreeRowRecords();
    USER_INFO* RowRecord(int row) const;
    // Appends (row -1) or rewrites a row for the record, which the row owns.
    void SetUserRow(USER_INFO* record, int row);
    void SelectRow(int row);
    int FirstSelectedRow() const;
    void RenumberRows();

    void SetEditMode(int mode);
    void ShowSelectedUser();
    void CompleteEdit(int mode);
    int ApplyEdit();
    // The translated refusal of the texts read, or "" when they pass.
    CString CheckEdit(int updatedRow) const;
    BOOL IsIdTaken(const CString& id, int updatedRow) const;
    int DeleteCheckedUsers();
    void EnableDeleteByChecks();

    // Users file, folders, log record; -1 (nothing changed) when the file was not written.
    int SaveUsers();
    // Makes and fills every row's folder; notes the IDs as saved.
    void SeedFolders();
    // The user manager holds exactly the rows' users.
    void StoreRows();
    // The ID a row's user had when it was loaded or last saved; "" for a new one.
    CString OriginalId(const USER_INFO* record) const {
        auto found = m_originalIds.find(record);
        return found == m_originalIds.end() ? CString() : found->second;
    }

    BOOL HasPendingWork() const;
    void ShowWarning(const CString& text);

    CUserManager* m_pUsers = nullptr;
    LogRecordWriter m_logWriter;

    std::vector<CString> m_removedIds;
    std::map<const USER_INFO*, CString> m_originalIds;
    int m_nEditMode = kBrowse;
    int m_nSelectedRow = -1;
    int m_nCheckedCount = 0;
    int m_nCheckAll = 0;
    BOOL m_bRowsChanged = FALSE;  // rows added or changed since the list was loaded or saved
    BOOL m_bFilling = FALSE;      // rows are being rebuilt: their notifications are not edits
    CListCtrl m_list;
    CSupperEdit m_editId;
    CSupperEdit m_editName;
    CSupperEdit m_editPassword;
    CSupperEdit m_editConfirm;
    CSupperEdit m_editInfo;
    CSupperEdit m_editSystemDir;
    CComboBox m_comboSex;
    CHoverHint m_hint;
    CString m_strId;
    CString m_strName;
    CString m_strPassword;
    CString m_strConfirm;
    CString m_strInfo;
    CString m_strSystemDir;
};
