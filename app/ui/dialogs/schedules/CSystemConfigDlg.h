// CSystemConfigDlg: the options dialog. Edits the current user's backup
// settings (save directories with their disk space, the free-space limit and
// what happens when it is reached, concurrent backups, the download name
// rule, automatic deletion) and three global switches (automatic login,
// start with Windows, automatic start of scheduled backup). OK checks every
// value first, then writes them all to the configuration, which saves its
// files at once, sets the program's Run value and logs the change.
//
// The main window keeps one modeless instance and refreshes it before each
// showing; its automatic-download command runs a temporary modal instance
// built with the values it found missing. UI thread.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include <vector>

#include "CFileNameRuleEdit.h"
#include "app/ui/toolkit/CSupperEdit.h"

class CSystemConfigDlg : public CDialog {
public:
    // What reaching the free-space limit does (the drive-over combo's order).
    enum { kDeleteOldRecords = 0, kStopPlan = 1 };
    // Item data of the automatic-deletion choice that lets the operator type the days.
    static const int kUserDefinedDays = 255;

    // Every value comes from the configuration when the dialog is shown.
    explicit CSystemConfigDlg(CWnd* parent = nullptr);
    // Keeps these five values instead of the configuration's; the rest still
    // come from the configuration.
    CSystemConfigDlg(int autoLogin, int autoStartup, int autoBackup, long freeSpaceLimit, const CString& nameRule,
                     CWnd* parent = nullptr);

    // Reloads the values from the configuration and refills the controls.
    void RefreshDirList();
    BOOL PreTranslateMessage(MSG* msg) override;

    // "<n>MB", or "<n/1024>GB" once the megabytes pass 1048576.
    static CString FormatDiskSize(ULONGLONG bytes);
    // The rule without a final ".duz" in any letter case.
    static CString RuleWithoutExtension(const CString& rule);

    // Values as the controls last gave them (or as they will show them).
    int m_nAutoLogin;
    int m_nAutoStartup;
    int m_nAutoBackup;
    long m_nFreeSpaceLimit;
    int m_nDriveOverMode;
    UINT m_nBackupCount;
    CString m_strNameRule;
    int m_nDeleteDays;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // The folder the operator picks for Add; "" when cancelled. Tests
    // answer it without the system's folder browser.
    virtual CString ChooseSaveFolder();
    afx_msg void OnAddDir();
    afx_msg void OnDeleteDir();
    afx_msg void OnEditRule();
    afx_msg void OnKillFocusFreeLimit();
    afx_msg void OnKillFocusBackupCount();
    afx_msg void OnKillFocusDeleteDays();
    afx_msg void OnDeleteChoiceChanged();
    DECLARE_MESSAGE_MAP()

    CListCtrl m_dirList;
    CSupperEdit m_freeLimitEdit;
    CFileNameRuleEdit m_ruleEditor;
    CComboBox m_driveOverCombo;
    BOOL m_bInitialValues;
    CComboBox m_deleteChoiceCombo;
    CSupperEdit m_deleteDaysEdit;

private:
    // The first failing check's message key; "" when every value may be saved.
    CString FirstRefusal(long long freeLimit, long long backupCount, long long deleteDays) const;
    void SaveToConfig();
    // Reads a digits-only edit; an empty one gets its refill text first.
    // -1 when the text is no number up to INT_MAX.
    long long ReadNumber(int id, const wchar_t* refill);
    void RefillWhenEmpty(int id, const wchar_t* refill);
    void FillDriveOverCombo();
    void FillDeleteChoiceCombo();
    void SelectDeleteChoice();
    void ShowDeleteDays(BOOL show);
    int AppendDirRow(const CString& path);
    std::vector<CString> ListedDirs() const;
    void ShowMessage(const wchar_t* key, UINT icon, const wchar_t* captionKey);
};
