#include "CDeviceListRows.h"

#include "CDeviceForm.h"
#include "app/ui/dialogs/CTranslationBatch.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/mainwindow/TaskListRow.h"
#include "app/ui/toolkit/ControlCall.h"

namespace {

struct LIST_COLUMN {
    const wchar_t* heading;
    int width;
    int format;
};
const LIST_COLUMN kColumns[] = {
    {L"No.", 50, LVCFMT_RIGHT},
    {L"Title", 200, LVCFMT_LEFT},
    {L"Desc", 180, LVCFMT_LEFT},
    {L"Use DDNS", 80, LVCFMT_LEFT},
    {L"DDNS IP", 120, LVCFMT_LEFT},
    {L"DDNS Port", 80, LVCFMT_LEFT},
    {L"DDNS Device Name", 120, LVCFMT_LEFT},
    {L"IP", 120, LVCFMT_LEFT},
    {L"Port", 80, LVCFMT_RIGHT},
    {L"Type", 120, LVCFMT_LEFT},
    {L"Model", 120, LVCFMT_LEFT},
    {L"UserID", 100, LVCFMT_LEFT},
};

const UINT kSelectedFocused = LVIS_SELECTED | LVIS_FOCUSED;

}  // namespace

void CDeviceListRows::SetUpColumns() {
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    // In report view every column inserted makes the list lay its header out
    // again, some twenty messages sent a column; in list view the columns are
    // only recorded, and going back to report view lays them out once.
    const DWORD view = m_list.GetStyle() & LVS_TYPEMASK;
    m_list.ModifyStyle(LVS_TYPEMASK, LVS_LIST);
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i) {
        const CString heading = Translate(kColumns[i].heading);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.fmt = kColumns[i].format;
        column.cx = kColumns[i].width;
        column.pszText = const_cast<LPWSTR>(heading.GetString());
        CallControl(m_list.m_hWnd, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    m_list.ModifyStyle(LVS_TYPEMASK, view);
}

void CDeviceListRows::Fill(const CDeviceManager& list) {
    std::vector<VIRTUAL_LIST_ROW> rows;
    rows.reserve(static_cast<size_t>(list.GetDeviceCount()));
    CTranslationBatch typeAndYesNoWords;
    list.ReadAllDevices([&rows](const DEVICE_RECORD& record) {
        CString number;
        number.Format(L"%d", static_cast<int>(rows.size()) + 1);
        VIRTUAL_LIST_ROW row;
        row.cells = Cells(record, number);
        row.data = static_cast<DWORD_PTR>(record.id);
        rows.push_back(std::move(row));
    });
    m_list.SetRows(std::move(rows));
    if (m_list.RowCount() > 0) Select(0);
}

std::vector<CString> CDeviceListRows::Cells(const DEVICE_RECORD& record, const CString& number) {
    const bool ddns = record.UseDDNS != 0;
    CString ddnsPort, port;
    if (ddns) ddnsPort.Format(L"%u", static_cast<unsigned>(record.DDNSPort));
    port.Format(L"%u", static_cast<unsigned>(record.port));
    return {
        number,
        FieldText(record.title),
        FieldText(record.desc),
        Translate(ddns ? L"Yes" : L"No"),
        ddns ? FieldText(record.DDNSIP) : CString(),
        ddnsPort,
        ddns ? FieldText(record.DDNSDevName) : CString(),
        record.logintype == CDeviceForm::kLoginTypeSelfRegistering ? CString() : FieldText(record.ip),
        port,
        Translate(FieldText(record.type)),
        FieldText(record.model),
        FieldText(record.user),
    };
}

void CDeviceListRows::SetRow(const DEVICE_RECORD& record, int row) {
    VIRTUAL_LIST_ROW value;
    value.data = static_cast<DWORD_PTR>(record.id);
    if (row < 0) {
        CString number;
        number.Format(L"%d", m_list.RowCount() + 1);
        value.cells = Cells(record, number);
        row = m_list.AppendRow(value);
        if (row < 0) return;
    } else {
        if (row >= m_list.RowCount()) return;
        value.cells = Cells(record, m_list.GetItemText(row, 0));
        value.data = m_list.GetItemData(row);
        value.checked = m_list.GetCheck(row) != FALSE;
        m_list.ReplaceRow(row, value);
    }
    Select(row);
}

void CDeviceListRows::SelectId(int id) {
    const int row = m_list.FindRowByData(static_cast<DWORD_PTR>(id));
    if (row >= 0) Select(row);
}

bool CDeviceListRows::DeleteChecked(const std::function<void(int id)>& remove) {
    bool deleted = false;
    for (int row = m_list.RowCount() - 1; row >= 0; --row) {
        if (!m_list.GetCheck(row)) continue;
        remove(IdAt(row));
        m_list.DeleteRow(row);
        deleted = true;
        const int count = m_list.RowCount();
        if (count > 0) m_list.SetItemState(row < count ? row : count - 1, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (!deleted) return false;
    m_list.NumberRows(0);
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (m_list.RowCount() > 0) Select(selected < 0 ? 0 : selected);
    return true;
}

void CDeviceListRows::Select(int row) {
    m_list.SetItemState(row, kSelectedFocused, kSelectedFocused);
    m_list.EnsureVisible(row, FALSE);
}
