// CLocalRecManageDlg: the record manager's Local Record page (dialog 133):
// a query of D_RecordList by device, channel, type and time, and Delete,
// Backup, To AVI and Play of the ticked result rows. Each list row keeps
// the index of its query result row as item data, so a row's device and
// channel stay its own after rows above it were deleted. UI thread.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

#include <vector>

#include "app/core/CRecordListDB.h"
#include "app/engine/DEVICE_RECORD.h"
#include "app/ui/toolkit/CVirtualListCtrl.h"
#include "app/ui/toolkit/CWndResizeInfo.h"

class CRecordManageDlg;

class CLocalRecManageDlg : public CDialog {
    DECLARE_DYNAMIC(CLocalRecManageDlg)
public:
    enum { IDD = 133 };
    CLocalRecManageDlg();

    void SetManager(CRecordManageDlg* manager) { m_manager = manager; }
    // Re-reads the device file into the device combo ("UnKnow" last).
    void FillDeviceCombo();
    // Plays the ticked rows (row -1) or only the given row in the selected pane.
    void PlayRows(int row);
    int GetCheckedCount() const { return m_checkedCount; }
    const RECORD_LIST_ROWS& GetQueryResult() const { return m_result; }

    CWndResizeInfo m_resize;
    CComboBox m_deviceCombo;
    CComboBox m_channelCombo;
    CVirtualListCtrl m_list;
    CDateTimeCtrl m_startDatePicker;
    CDateTimeCtrl m_endDatePicker;
    CTime m_startDate;
    CTime m_startTime;
    CTime m_endDate;
    CTime m_endTime;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    afx_msg void OnQuery();
    afx_msg void OnDelete();
    afx_msg void OnBackup();
    afx_msg void OnToAvi();
    afx_msg void OnPlay();
    afx_msg void OnDeviceChange();
    afx_msg void OnItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnListDblClk(NMHDR* header, LRESULT* result);
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    void SetUpColumns();
    void ResetPage();
    void FillChannelCombo();
    int CheckedRecordType() const;
    VIRTUAL_LIST_ROW ResultRow(int index) const;
    void ToggleAllTicks();
    void ClearTicks();
    void UpdateButtons();
    // The task's output in the folder: the file's name as ".avi", with
    // " (2)", " (3)"... when a queued task already writes that file.
    CString MakeAviTarget(const CString& folder, const CString& source);

    std::vector<DEVICE_RECORD> m_devices;
    RECORD_LIST_ROWS m_result;
    BOOL m_selectAll = FALSE;
    int m_checkedCount = 0;
    CRecordManageDlg* m_manager = nullptr;
};
