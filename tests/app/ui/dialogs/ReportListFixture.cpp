#include "ReportListFixture.h"

ReportListFixture::ReportListFixture() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    m_parent.CreateEx(0, AfxRegisterWndClass(0), L"export list", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr);
    m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 380, 280), &m_parent, 100);
}

void ReportListFixture::Fill(const TextTable& table) {
    m_list.DeleteAllItems();
    while (m_list.GetHeaderCtrl()->GetItemCount() > 0) m_list.DeleteColumn(0);
    if (table.empty()) return;
    for (size_t c = 0; c < table[0].size(); ++c)
        m_list.InsertColumn(static_cast<int>(c), table[0][c].c_str(), LVCFMT_LEFT, 80);
    for (size_t r = 1; r < table.size(); ++r) {
        int item = m_list.InsertItem(static_cast<int>(r - 1), table[r][0].c_str());
        for (size_t c = 1; c < table[r].size(); ++c) m_list.SetItemText(item, static_cast<int>(c), table[r][c].c_str());
    }
}
