#include "CFileNameRuleEdit.h"

#include "app/core/CInitLanguage.h"
#include "app/core/FileNameRule.h"
#include "app/ui/dialogs/resource.h"

namespace {

struct TOKEN_BUTTON {
    UINT id;
    const wchar_t* token;
    int group;
};

const TOKEN_BUTTON kTokenButtons[] = {
    {IDC_NAMERULE_YEAR4, L"{Y4}", CFileNameRuleEdit::kYears},
    {IDC_NAMERULE_YEAR2, L"{Y2}", CFileNameRuleEdit::kYears},
    {IDC_NAMERULE_MONTH1, L"{M}", CFileNameRuleEdit::kMonths},
    {IDC_NAMERULE_MONTH2, L"{M2}", CFileNameRuleEdit::kMonths},
    {IDC_NAMERULE_DAY1, L"{D}", CFileNameRuleEdit::kDays},
    {IDC_NAMERULE_DAY2, L"{D2}", CFileNameRuleEdit::kDays},
    {IDC_NAMERULE_HOUR1, L"{H}", CFileNameRuleEdit::kHours},
    {IDC_NAMERULE_HOUR2, L"{H2}", CFileNameRuleEdit::kHours},
    {IDC_NAMERULE_MINUTE1, L"{m}", CFileNameRuleEdit::kMinutes},
    {IDC_NAMERULE_MINUTE2, L"{m2}", CFileNameRuleEdit::kMinutes},
    {IDC_NAMERULE_SECOND1, L"{S}", CFileNameRuleEdit::kSeconds},
    {IDC_NAMERULE_SECOND2, L"{S2}", CFileNameRuleEdit::kSeconds},
    {IDC_NAMERULE_DEVICE_ID, L"{DEVID}", CFileNameRuleEdit::kDevice},
    {IDC_NAMERULE_DEVICE_NAME, L"{DEVNM}", CFileNameRuleEdit::kDevice},
    {IDC_NAMERULE_CHANNEL_INDEX, L"{CHNIDX}", CFileNameRuleEdit::kChannel},
    {IDC_NAMERULE_CHANNEL_NAME, L"{CHNNM}", CFileNameRuleEdit::kChannel},
    {IDC_NAMERULE_REC_TYPE, L"{RECTYPE}", CFileNameRuleEdit::kRecordType},
    {IDC_NAMERULE_ALARM_INFO, L"{ALARMINFO}", CFileNameRuleEdit::kAlarmInfo},
    {IDC_NAMERULE_CLEAR, nullptr, CFileNameRuleEdit::kClear},
};

}  // namespace

BEGIN_MESSAGE_MAP(CFileNameRuleEdit, CDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_NAMERULE_YEAR4, IDC_NAMERULE_ALARM_INFO, &CFileNameRuleEdit::OnTokenButton)
ON_BN_CLICKED(IDC_NAMERULE_SAMPLE, &CFileNameRuleEdit::OnSample)
END_MESSAGE_MAP()

CFileNameRuleEdit::CFileNameRuleEdit(CWnd* parent) : CDialog(IDD_NAMERULE, parent) {
    for (int& enable : m_enables) enable = 1;
}

void CFileNameRuleEdit::SetTokenEnables(int years, int months, int days, int hours, int minutes, int seconds,
                                        int device, int channel, int recordType, int alarmInfo, int clear) {
    const int enables[kTokenGroupCount] = {years,  months,  days,       hours,     minutes, seconds,
                                           device, channel, recordType, alarmInfo, clear};
    for (int i = 0; i < kTokenGroupCount; ++i) m_enables[i] = enables[i];
}

const wchar_t* CFileNameRuleEdit::TokenOfButton(UINT id) {
    for (const TOKEN_BUTTON& button : kTokenButtons)
        if (button.id == id) return button.token;
    return nullptr;
}

void CFileNameRuleEdit::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_NAMERULE_TEXT, m_strRule);
    DDX_Control(dx, IDC_NAMERULE_TEXT, m_ruleEdit);
}

BOOL CFileNameRuleEdit::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    for (const TOKEN_BUTTON& button : kTokenButtons)
        if (CWnd* control = GetDlgItem(button.id)) control->EnableWindow(m_enables[button.group] != 0);
    return TRUE;
}

void CFileNameRuleEdit::OnTokenButton(UINT id) {
    if (id == IDC_NAMERULE_CLEAR) {
        OnClear();
        return;
    }
    const wchar_t* token = TokenOfButton(id);
    if (!token) return;
    m_ruleEdit.ReplaceSel(token, TRUE);
    UpdateData(TRUE);
}

void CFileNameRuleEdit::OnClear() {
    m_strRule.Empty();
    UpdateData(FALSE);
}

void CFileNameRuleEdit::OnSample() { UpdateData(TRUE); }

void CFileNameRuleEdit::OnOK() {
    UpdateData(TRUE);
    // The name expander strips the same characters from every expanded
    // name; stripping them here shows the operator the rule that will apply.
    m_strRule = StripInvalidFileChars(m_strRule);
    UpdateData(FALSE);
    CDialog::OnOK();
}

void CFileNameRuleEdit::OnBtnCancel() {
    if (GetSafeHwnd()) EndDialog(IDCANCEL);
}
