// CFileNameRuleEdit: composes a file-name rule from typed text and the tokens
// the name expander replaces ("{Y4}", "{M2}", "{DEVNM}" ...). The caller
// chooses which token groups are offered, sets the rule text, runs the editor
// modally and reads the rule back after OK; the rule then holds no character
// a file name cannot. UI thread.
#pragma once

#include <afxwin.h>

class CFileNameRuleEdit : public CDialog {
public:
    // Token groups, in the order of SetTokenEnables.
    enum TokenGroup {
        kYears,
        kMonths,
        kDays,
        kHours,
        kMinutes,
        kSeconds,
        kDevice,
        kChannel,
        kRecordType,
        kAlarmInfo,
        kClear,
        kTokenGroupCount
    };

    explicit CFileNameRuleEdit(CWnd* parent = nullptr);

    // Which groups' buttons are enabled (1) when the editor next opens.
    void SetTokenEnables(int years, int months, int days, int hours, int minutes, int seconds, int device, int channel,
                         int recordType, int alarmInfo, int clear);
    int GetTokenEnable(int group) const { return m_enables[group]; }
    // Ends the editor with Cancel (the options dialog closes it this way).
    void OnBtnCancel();

    // The token a button inserts; nullptr for an id that inserts none.
    static const wchar_t* TokenOfButton(UINT id);

    CString m_strRule;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnTokenButton(UINT id);
    afx_msg void OnClear();
    afx_msg void OnSample();
    DECLARE_MESSAGE_MAP()

private:
    CEdit m_ruleEdit;
    int m_enables[kTokenGroupCount];
};
