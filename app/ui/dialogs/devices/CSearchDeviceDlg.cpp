#include "CSearchDeviceDlg.h"

#include "CDevManageDlg.h"
#include "DeviceListHelpers.h"
#include "app/core/CInitLanguage.h"
#include "app/core/TwMessages.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "app/ui/dialogs/resource.h"

namespace {

enum { COL_NO, COL_IP, COL_PORT, COL_MASK, COL_GATEWAY, COL_MAC };

struct COLUMN {
    const wchar_t* heading;
    int width;
};
const COLUMN kColumns[] = {
    {L"No.", 40}, {L"IP", 100}, {L"Port", 70}, {L"SubMask", 100}, {L"GateWay IP", 100}, {L"Mac addr", 120},
};

// The SDK's texts are ANSI; a text filling its field has no terminator.
template <size_t N>
CString AnsiField(const char (&field)[N]) {
    return CString(CStringA(field, static_cast<int>(strnlen(field, N))));
}

}  // namespace

BEGIN_MESSAGE_MAP(CSearchDeviceDlg, CDialog)
ON_MESSAGE(WM_TW_SEARCH_RESULT, &CSearchDeviceDlg::OnSearchResult)
ON_BN_CLICKED(IDC_SEARCHDEV_SEARCH, &CSearchDeviceDlg::OnBnClickedSearch)
ON_BN_CLICKED(IDC_SEARCHDEV_ADD, &CSearchDeviceDlg::OnBnClickedAdd)
ON_BN_CLICKED(IDOK, &CSearchDeviceDlg::OnBnClickedOk)
ON_BN_CLICKED(IDCANCEL, &CSearchDeviceDlg::OnBnClickedCancel)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_SEARCHDEV_LIST, &CSearchDeviceDlg::OnListItemChanged)
ON_NOTIFY(HDN_ITEMDBLCLICKW, 0, &CSearchDeviceDlg::OnCheckAllRows)
END_MESSAGE_MAP()

CSearchDeviceDlg::CSearchDeviceDlg(CDevManageDlg* owner) : CDialog(IDD_SEARCHDEV), m_owner(owner) {}

void CSearchDeviceDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_SEARCHDEV_LIST, m_list);
}

BOOL CSearchDeviceDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CInitLanguage* language = GetInitLanguage();
    language->TranslateDialog(this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i)
        m_list.InsertColumn(i, language->GetString(kColumns[i].heading), LVCFMT_CENTER, kColumns[i].width);
    GetDlgItem(IDC_SEARCHDEV_ADD)->EnableWindow(FALSE);
    return TRUE;
}

void CSearchDeviceDlg::OnBnClickedSearch() {
    m_list.DeleteAllItems();
    m_selectAll = 0;
    RecountChecked();
    CBackupEngine& engine = GetBackupEngine();
    engine.StopDeviceSearch();
    // Answers queued for an earlier search must not show up in this one.
    DEVICE_SEARCH_RESULT stale;
    while (engine.PopSearchResult(&stale) == 0) {}
    if (engine.StartDeviceSearch(this) < 0) {
        CInitLanguage* language = GetInitLanguage();
        ShowMessageBox(this, language->GetString(L"Search Device Fail!"), MB_ICONWARNING,
                       language->GetString(L"Dodavozi"));
    }
}

LRESULT CSearchDeviceDlg::OnSearchResult(WPARAM, LPARAM) {
    DEVICE_SEARCH_RESULT result;
    if (GetBackupEngine().PopSearchResult(&result) != 0) return -1;
    return AddResultRow(result);
}

int CSearchDeviceDlg::AddResultRow(const DEVICE_SEARCH_RESULT& result) {
    const CString ip = AnsiField(result.ip);
    const CString mask = AnsiField(result.mask);
    const CString gateway = AnsiField(result.gateway);
    const CString mac = AnsiField(result.mac);
    if (ip.IsEmpty() || mac.IsEmpty() || gateway.IsEmpty() || result.port == 0) return -2;
    CString port;
    port.Format(L"%d", result.port);
    const int count = m_list.GetItemCount();
    for (int row = 0; row < count; ++row) {
        if (m_list.GetItemText(row, COL_IP) == ip && m_list.GetItemText(row, COL_PORT) == port &&
            m_list.GetItemText(row, COL_MAC) == mac)
            return -1;
    }
    CString number;
    number.Format(L"%d", count + 1);
    const int row = m_list.InsertItem(count, number);
    m_list.SetItemText(row, COL_IP, ip);
    m_list.SetItemText(row, COL_PORT, port);
    m_list.SetItemText(row, COL_MASK, mask);
    m_list.SetItemText(row, COL_GATEWAY, gateway);
    m_list.SetItemText(row, COL_MAC, mac);
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(row, FALSE);
    return 0;
}

void CSearchDeviceDlg::RelaySearchResult(WPARAM searcher) {
    const HWND window = reinterpret_cast<HWND>(searcher);
    if (window && ::IsWindow(window)) ::PostMessageW(window, WM_TW_SEARCH_RESULT, 0, 0);
}

DEVICE_RECORD CSearchDeviceDlg::MakeDeviceRecord(const CString& ip, const CString& port) {
    DEVICE_RECORD record;
    const CStringA ansiIp(ip);
    CopyFixedText(record.title, ansiIp);
    CopyFixedText(record.desc, ansiIp);
    CopyFixedText(record.ip, ansiIp);
    CopyFixedText(record.type, "IPC");
    CopyFixedText(record.user, "vorpl");
    CopyFixedText(record.password, "vorpl");
    record.port = static_cast<uint16_t>(_wtoi(port));
    record.DDNSPort = kDefaultDdnsPort;
    return record;
}

void CSearchDeviceDlg::OnBnClickedAdd() {
    CInitLanguage* language = GetInitLanguage();
    if (ShowMessageBox(this, language->GetString(L"You sure to add those selected?"), MB_OKCANCEL | MB_ICONQUESTION,
                       language->GetString(L"Dodavozi")) != IDOK)
        return;
    if (!m_owner || !m_owner->GetSafeHwnd()) return;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (!m_list.GetCheck(row)) continue;
        DEVICE_RECORD record = MakeDeviceRecord(m_list.GetItemText(row, COL_IP), m_list.GetItemText(row, COL_PORT));
        m_list.SetCheck(row, FALSE);
        m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(row, FALSE);
        m_list.RedrawItems(row, row);
        if (m_owner->AddSearchedDevice(&record) != 0) break;
    }
    m_selectAll = 0;
    RecountChecked();
}

void CSearchDeviceDlg::OnBnClickedOk() {
    GetBackupEngine().StopDeviceSearch();
    CDialog::OnOK();
}

void CSearchDeviceDlg::OnBnClickedCancel() {
    GetBackupEngine().StopDeviceSearch();
    CDialog::OnCancel();
}

void CSearchDeviceDlg::OnListItemChanged(NMHDR* header, LRESULT* result) {
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (change->uChanged & LVIF_STATE) RecountChecked();
    *result = 0;
}

void CSearchDeviceDlg::OnCheckAllRows(NMHDR*, LRESULT* result) {
    *result = 0;
    if (ToggleAllChecks(m_list, m_selectAll)) RecountChecked();
}

void CSearchDeviceDlg::RecountChecked() {
    m_checkedCount = CountCheckedRows(m_list);
    if (CWnd* add = GetDlgItem(IDC_SEARCHDEV_ADD)) add->EnableWindow(m_checkedCount > 0);
}
