// CLogQueryDlg: the operation log of one month, filtered by user and by log
// type and code, read on a query thread of its own while the dialog waits;
// the result list can be exported as text or into a spreadsheet. Modeless,
// created once and hidden between uses; Activate refreshes it.
#pragma once

#include <afxcmn.h>

#include <functional>
#include <vector>

#include "LOG_QUERY.h"
#include "app/ui/dialogs/ListExport.h"
#include "app/ui/toolkit/CVirtualListCtrl.h"
#include "app/ui/toolkit/CWndResizeInfo.h"

class CUserManager;

class CLogQueryDlg : public CDialog, public CWndResizeInfo {
public:
    // Fills the request's results; runs on the query thread, so it may touch
    // nothing but the request and the log database.
    typedef std::function<void(LOG_QUERY& request)> QueryRunner;
    // The path to export the text to, "" when the user cancels.
    typedef std::function<CString(CWnd* owner)> SavePathPrompt;

    // Tree item data: the root, a group (type in the low bits) and a leaf (code in the low bits).
    static const DWORD_PTR kRootItem = 0x40000000;
    static const DWORD_PTR kGroupItem = 0x20000000;
    static const DWORD_PTR kLeafItem = 0x10000000;

    explicit CLogQueryDlg(CWnd* parent = nullptr);
    ~CLogQueryDlg() override;

    // The services the dialog uses; the engine's, the system's save dialog
    // and the shell unless set before the first Activate.
    void SetUserManager(CUserManager* users) { m_pUsers = users; }
    void SetQueryRunner(const QueryRunner& runner) { m_runner = runner; }
    void SetSavePathPrompt(const SavePathPrompt& prompt) { m_savePathPrompt = prompt; }
    void SetExportedFileOpener(ExportedFileOpener opener) { m_fileOpener = opener; }

    BOOL OnInitDialog() override;

    // Builds the filters on the first call (and the user combo again when
    // another user has logged in since), then queries. Returns 0.
    int Activate();
    // 0 done or skipped (not yet activated, or a query is running), -1 nothing queried.
    int RunQuery();
    // The exports of the result list; 0 done or nothing to export, negative
    // failed (-2: the spreadsheet took only part of the rows).
    int ExportListToText(CListCtrl* list, CString path);
    int ExportListToExcel(CListCtrl* list, CString templatePath);

    // The query a tree item's data gives.
    static void TreeItemQuery(DWORD_PTR data, DWORD_PTR parentData, int* type, int* code);
    // The month picker's format for a date order of GetLocaleDateOrder.
    static CString MonthFormat(int dateOrder);

    CVirtualListCtrl& ResultList() { return m_list; }
    BOOL IsQueryRunning() const { return m_hQueryThread != nullptr; }

protected:
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnUserChanged();
    afx_msg void OnMonthChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnTreeSelChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnExportClicked();
    afx_msg void OnExportText();
    afx_msg void OnExportExcel();
    DECLARE_MESSAGE_MAP()

private:
    CUserManager& Users();
    QueryRunner Runner() const;
    void RegisterLayout();
    void FillUserCombo();
    void SetupMonthPicker();
    void BuildTree();
    void InsertColumns();
    CString SelectedUser() const;
    // Takes the records' texts over into the rows.
    void FillList(std::vector<LOG_RECORD> records);
    // Waits for the query thread while repainting and running timers, so the
    // program keeps downloading; input waits for the list.
    static void WaitForQueryThread(HANDLE thread);
    static DWORD WINAPI QueryThreadProc(LPVOID param);
    void ShowExportFailure();

    CUserManager* m_pUsers = nullptr;
    QueryRunner m_runner;
    SavePathPrompt m_savePathPrompt;
    ExportedFileOpener m_fileOpener = OpenWithShell;

    int m_bInitialised = 0;
    HANDLE m_hQueryThread = nullptr;
    CString m_strComboUser;  // the logged-in user the combo was built for
    CComboBox m_comboUser;
    CDateTimeCtrl m_monthPicker;
    CTreeCtrl m_tree;
    CVirtualListCtrl m_list;
    CMenu m_exportMenu;
};
