// CProjectEditDlg: the editor of one automatic backup schedule, embedded in
// the schedule list (CBackupProjectDlg) as a hidden modeless window. It
// writes into the list dialog's own store; the list dialog saves the file.
// In add mode it can make one schedule for each channel checked in a tree.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

#include <vector>

#include "app/core/BackupSchedule.h"
#include "app/ui/dialogs/schedules/ScheduleUiSupport.h"

class CBackupProjectDlg;

class CProjectEditDlg : public CDialog {
public:
    enum { kModeAdd = 0, kModeModify = 1 };

    explicit CProjectEditDlg(CBackupProjectDlg* list);

    int SetEditMode(int mode) {
        m_editMode = mode;
        return 0;
    }
    int GetEditMode() const { return m_editMode; }
    // Prepares the controls for a new schedule.
    void ResetForNew();
    // Shows the schedule for modification and keeps its id. Device and
    // channel are chosen by the device's id and the channel's position, so
    // equal or empty names never pick another one.
    void LoadSchedule(BACKUP_SCHEDULE schedule);
    // Re-reads the device file and refills the device and channel combos,
    // and the tree once "Multi Channel" has built it.
    void FillDeviceList();
    // Devices just read from the device file by the list dialog: the next
    // fill (the editor's initialisation) shows them instead of reading the
    // file again.
    void OfferDevices(std::vector<SCHEDULE_DEVICE> devices);

    CTreeCtrl& GetTree() { return m_tree; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // Cancel and Escape hide the editor; nothing is stored.
    void OnCancel() override;

    afx_msg void OnClose();
    afx_msg void OnWeekdayButton();
    afx_msg void OnMultiChannel();
    afx_msg void OnDeviceChanged();
    afx_msg void OnTreeClick(NMHDR* header, LRESULT* result);
    afx_msg void OnTreeKeyDown(NMHDR* header, LRESULT* result);
    afx_msg void OnTimeChanged(UINT id, NMHDR* header, LRESULT* result);
    afx_msg LRESULT OnTreeCheckToggled(WPARAM wParam, LPARAM lParam);

private:
    void ReadControls();
    void ShowWeekdays();
    std::vector<CString> DeviceTitles() const;
    // The root, every device expanded, and each device's channels.
    void FillTree(const std::vector<CString>& titles);
    void FillChannelCombo(int deviceIndex);
    // Selects the device with the id (no selection when it is not in the
    // list) and the channel at the index of it (none when out of range).
    void SelectDeviceAndChannel(int deviceId, int channelIndex);
    void ApplyTreeCheck(HTREEITEM item);
    // Single mode / multi mode layouts and the window size after them.
    void ShowSingleControls(BOOL single);
    void PlaceControls(const int* ids, int count, int dy);
    void FitWindowToButtons();
    CRect StartRect(int id) const;
    // OK's checks and stores; false after a refusal message.
    bool StoreSingle(const BACKUP_SCHEDULE& schedule);
    bool StoreChecked(const BACKUP_SCHEDULE& schedule);

    static const int kSavedRectCount = 11;
    CRect m_startRects[kSavedRectCount];
    std::vector<SCHEDULE_DEVICE> m_devices;
    bool m_devicesOffered = false;
    CComboBox m_deviceCombo;
    CComboBox m_channelCombo;
    CComboBox m_agoCombo;
    CDateTimeCtrl m_runStart;
    CDateTimeCtrl m_runEnd;
    CDateTimeCtrl m_recordStart;
    CDateTimeCtrl m_recordEnd;
    HTREEITEM m_root;
    CTreeCtrl m_tree;
    // Whether the tree holds the devices: it is built on first use.
    bool m_treeFilled = false;
    int m_weekdays[kDaysPerWeek];  // index 0 = Sunday
    CButton m_multiButton;
    int m_multiChannel;
    int m_weekdayToggle;
    int m_editMode;
    int m_scheduleId;
    // The schedule being modified: its device, channel and AgoType as
    // stored, kept while the controls cannot show them.
    int m_scheduleDevId;
    int m_scheduleChannel;
    int m_scheduleAgoType;
    CBackupProjectDlg* m_listDialog;

    DECLARE_MESSAGE_MAP()
};
