#include <afxwin.h>

#include <gtest/gtest.h>

namespace {

enum { ID_UPDATED = 101, ID_HANDLED = 102, ID_UNHANDLED = 103, ID_INNER = 104 };

class CCommandWnd : public CWnd {
public:
    int updates = 0;

protected:
    afx_msg void OnUpdateUpdated(CCmdUI* ui) {
        ++updates;
        ui->Enable(TRUE);
        ui->SetCheck(1);
        ui->SetText(L"Renamed");
    }
    afx_msg void OnHandled() {}
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCommandWnd, CWnd)
    ON_UPDATE_COMMAND_UI(ID_UPDATED, &CCommandWnd::OnUpdateUpdated)
    ON_COMMAND(ID_HANDLED, &CCommandWnd::OnHandled)
END_MESSAGE_MAP()

} // namespace

TEST(CCmdUITest, UpdatePassEnablesOnlyServedCommands) {
    CCommandWnd wnd;
    CMenu popup, inner;
    ASSERT_TRUE(popup.CreatePopupMenu());
    ASSERT_TRUE(inner.CreatePopupMenu());
    inner.AppendMenu(MF_STRING, ID_INNER, L"inner");
    popup.AppendMenu(MF_STRING, ID_UPDATED, L"updated");
    popup.AppendMenu(MF_STRING | MF_GRAYED, ID_HANDLED, L"handled");
    popup.AppendMenu(MF_STRING, ID_UNHANDLED, L"unhandled");
    popup.AppendMenu(MF_SEPARATOR);
    popup.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(inner.m_hMenu), L"sub");

    CCmdUI ui;
    ui.m_pMenu = &popup;
    ui.m_nIndexMax = popup.GetMenuItemCount();
    for (ui.m_nIndex = 0; ui.m_nIndex < ui.m_nIndexMax; ++ui.m_nIndex) {
        ui.m_nID = popup.GetMenuItemID(ui.m_nIndex);
        ui.m_pSubMenu = nullptr;
        if (ui.m_nID == static_cast<UINT>(-1)) {
            ui.m_pSubMenu = popup.GetSubMenu(ui.m_nIndex);
            ui.m_nID = ui.m_pSubMenu->GetMenuItemID(0);
        }
        ui.DoUpdate(&wnd, TRUE);
    }
    EXPECT_EQ(1, wnd.updates);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), popup.GetMenuState(ID_UPDATED, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED));
    CString text;
    popup.GetMenuString(ID_UPDATED, text, MF_BYCOMMAND);
    EXPECT_STREQ(L"Renamed", text);
    EXPECT_EQ(0u, popup.GetMenuState(ID_HANDLED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_NE(0u, popup.GetMenuState(ID_UNHANDLED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(0u, popup.GetMenuState(4, MF_BYPOSITION) & MF_GRAYED);  // a popup is never disabled by the pass
    inner.Detach();  // destroyed with its parent menu
}
