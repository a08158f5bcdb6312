// CSearchDeviceDlg: the LAN device search. Lists the recorders that answer
// the engine's search and hands the checked ones to the device management
// dialog, its parent, as new devices. Results reach it one per
// WM_TW_SEARCH_RESULT, relayed by the main window. UI thread.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include "app/engine/CDeviceSearch.h"
#include "app/engine/DEVICE_RECORD.h"

class CDevManageDlg;

class CSearchDeviceDlg : public CDialog {
public:
    explicit CSearchDeviceDlg(CDevManageDlg* owner = nullptr);

    // Empties the list and starts a new search.
    void StartSearch() { OnBnClickedSearch(); }
    // Stops the search and hides the dialog.
    afx_msg void OnBnClickedCancel();

    // The record a search answer becomes in a device list.
    static DEVICE_RECORD MakeDeviceRecord(const CString& ip, const CString& port);
    // The main window's relay of the engine's WM_TW_SEARCH_RESULT: on to the
    // window that started the search (wParam) while it exists. That window
    // may be gone by now, and a handle is never taken for an object.
    static void RelaySearchResult(WPARAM searcher);
    int GetCheckedCount() const { return m_checkedCount; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnCancel() override { OnBnClickedCancel(); }

    afx_msg LRESULT OnSearchResult(WPARAM wParam, LPARAM lParam);
    afx_msg void OnBnClickedSearch();
    afx_msg void OnBnClickedAdd();
    afx_msg void OnBnClickedOk();
    afx_msg void OnListItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnCheckAllRows(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    // -2 an incomplete answer, -1 one already listed, 0 a new row.
    int AddResultRow(const DEVICE_SEARCH_RESULT& result);
    // The checked rows counted from the list itself, the Add button set by them.
    void RecountChecked();

    CDevManageDlg* m_owner;
    int m_checkedCount = 0;
    int m_selectAll = 0;
    CListCtrl m_list;
};
