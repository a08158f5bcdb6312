#include "CDeviceListRows.h"

#include "CDeviceForm.h"
#include "DialogMessages.h"
#include "TaskListRow.h"

namespace {

struct LIST_COLUMN {
    const wchar_t* heading;
    int width;
    int format;
};
const LIST_COLUMN kColumns[] = {
    {L"No.", 50, LVCFMT_RIGHT},         {L"Title", 200, LVCFMT_LEFT},    {L"Desc", 180, LVCFMT_LEFT},
    {L"Use DDNS", 80, LVCFMT_LEFT},      {L"DDNS IP", 120, LVCFMT_LEFT},  {L"DDNS Port", 80, LVCFMT_LEFT},
    {L"DDNS Device Name", 120, LVCFMT_LEFT}, {L"IP", 120, LVCFMT_LEFT}, {L"Port", 80, LVCFMT_RIGHT},
    {L"Type", 120, LVCFMT_LEFT},         {L"Model", 120, LVCFMT_LEFT},    {L"UserID", 100, LVCFMT_LEFT},
};

const UINT kSelectedFocused = LVIS_SELECTED | LVIS_FOCUSED;

}  // namespace

void CDeviceListRows::SetUpColumns() {
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i)
        m_list.InsertColumn(i, Translate(kColumns[i].heading), kColumns[i].format, kColumns[i].width);
}

void CDeviceListRows::Fill(const std::vector<DEVICE_RECORD>& records) {
    m_list.DeleteAllItems();
    for (const DEVICE_RECORD& record : records) SetRow(record, -1);
    if (m_list.GetItemCount() > 0) Select(0);
}

void CDeviceListRows::SetRow(const DEVICE_RECORD& record, int row) {
    if (row < 0) {
        const int count = m_list.GetItemCount();
        CString number;
        number.Format(L"%d", count + 1);
        row = m_list.InsertItem(count, number);
        if (row < 0) return;
        m_list.SetItemData(row, static_cast<DWORD_PTR>(record.id));
    }
    const bool ddns = record.UseDDNS != 0;
    CString ddnsPort, port;
    if (ddns) ddnsPort.Format(L"%u", static_cast<unsigned>(record.DDNSPort));
    port.Format(L"%u", static_cast<unsigned>(record.port));
    const CString texts[] = {
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
    for (int column = 1; column <= static_cast<int>(sizeof texts / sizeof texts[0]); ++column)
        m_list.SetItemText(row, column, texts[column - 1]);
    Select(row);
    m_list.RedrawItems(row, row);
}

void CDeviceListRows::SelectId(int id) {
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (IdAt(row) != id) continue;
        Select(row);
        return;
    }
}

bool CDeviceListRows::DeleteChecked(const std::function<void(int id)>& remove) {
    bool deleted = false;
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row) {
        if (!m_list.GetCheck(row)) continue;
        remove(IdAt(row));
        m_list.DeleteItem(row);
        deleted = true;
        const int count = m_list.GetItemCount();
        if (count > 0) m_list.SetItemState(row < count ? row : count - 1, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (!deleted) return false;
    Renumber();
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (m_list.GetItemCount() > 0) Select(selected < 0 ? 0 : selected);
    return true;
}

void CDeviceListRows::Select(int row) {
    m_list.SetItemState(row, kSelectedFocused, kSelectedFocused);
    m_list.EnsureVisible(row, FALSE);
}

void CDeviceListRows::Renumber() {
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        CString number;
        number.Format(L"%d", row + 1);
        m_list.SetItemText(row, 0, number);
    }
}
