// CManualDownloadDlg: makes manual download tasks. For one channel, or for
// every channel checked in a tree, it adds a manual schedule with a fixed
// date and time window to the engine's schedule store and switches manual
// download on; the engine's scheduler then fetches the recordings. Runs
// modally; the result is IDC_MANUAL_OK after tasks were added.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

#include <functional>

#include "app/core/BackupSchedule.h"

class CManualDownloadDlg : public CDialog {
public:
    // Tree item data: the kind in the top bits, the number below them.
    enum : DWORD_PTR {
        kItemRoot = 0,
        kItemDevice = 0x10000000,
        kItemChannel = 0x20000000,
        kItemKindUnit = 0x10000000,
        kItemNumberMask = 0x0FFFFFFF
    };

    // What the dialog takes for now: the default day (yesterday) and the
    // check that a window of today lies before now.
    typedef std::function<CTime()> Clock;

    explicit CManualDownloadDlg(CWnd* parent = nullptr);
    // Before the window is made; the wall clock by default.
    void SetClock(const Clock& clock) { m_clock = clock; }

    CTreeCtrl& GetTree() { return m_tree; }
    int GetCheckedCount() const { return m_checkedCount; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Enter presses OK.
    void OnOK() override;

    afx_msg void OnSingleChannel();
    afx_msg void OnManyChannels();
    afx_msg void OnDeviceChanged();
    afx_msg void OnTreeClick(NMHDR* header, LRESULT* result);
    afx_msg void OnTreeKeyDown(NMHDR* header, LRESULT* result);
    afx_msg LRESULT OnTreeCheckToggled(WPARAM wParam, LPARAM lParam);
    afx_msg void OnAddTasks();
    afx_msg void OnCancelButton();

private:
    void FillChannelCombo(int deviceId);
    void FillTree();
    void ApplyTreeCheck(HTREEITEM item);
    int CountCheckedChannels() const;
    void UpdateOkForCount();
    void SwitchLayout(bool many);
    void FitBottomToOk();
    bool IsRecordTimeValid() const;
    // A task for the channel with the chosen date and window.
    BACKUP_SCHEDULE MakeTask(int deviceId, int channelIndex) const;
    // Adds the tasks; counts the added and the refused ones.
    void AddSingleTask(int* added, int* refused);
    void AddCheckedTasks(int* added, int* refused);
    void TellMainWindowState();

    CComboBox m_deviceCombo;
    CComboBox m_channelCombo;
    CImageList m_images;
    CTreeCtrl m_tree;
    CDateTimeCtrl m_date;
    CDateTimeCtrl m_from;
    CDateTimeCtrl m_to;
    int m_checkedCount;
    HTREEITEM m_root;
    Clock m_clock;

    DECLARE_MESSAGE_MAP()
};
