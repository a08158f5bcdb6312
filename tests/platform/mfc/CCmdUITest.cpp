#include <afxwin.h>

#include <gtest/gtest.h>

namespace {

enum { ID_UPDATED = 101, ID_HANDLED = 102, ID_UNHANDLED = 103, ID_INNER = 104, ID_SHRINKING = 105 };

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
    // Removes its own item, as a list that has nothing to show does.
    afx_msg void OnUpdateShrinking(CCmdUI* ui) {
        ++updates;
        ui->m_pMenu->DeleteMenu(ui->m_nIndex, MF_BYPOSITION);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCommandWnd, CWnd)
ON_UPDATE_COMMAND_UI(ID_UPDATED, &CCommandWnd::OnUpdateUpdated)
ON_COMMAND(ID_HANDLED, &CCommandWnd::OnHandled)
ON_UPDATE_COMMAND_UI(ID_SHRINKING, &CCommandWnd::OnUpdateShrinking)
END_MESSAGE_MAP()

}  // namespace

TEST(CCmdUITest, UpdatePassEnablesOnlyServedCommands) {
    CCommandWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CMenu popup, inner;
    ASSERT_TRUE(popup.CreatePopupMenu());
    ASSERT_TRUE(inner.CreatePopupMenu());
    inner.AppendMenu(MF_STRING, ID_INNER, L"inner");
    popup.AppendMenu(MF_STRING, ID_UPDATED, L"updated");
    popup.AppendMenu(MF_STRING | MF_GRAYED, ID_HANDLED, L"handled");
    popup.AppendMenu(MF_STRING, ID_UNHANDLED, L"unhandled");
    popup.AppendMenu(MF_SEPARATOR);
    popup.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(inner.m_hMenu), L"sub");

    AfxUpdateMenuPopup(&wnd, &wnd, &popup);
    EXPECT_EQ(1, wnd.updates);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), popup.GetMenuState(ID_UPDATED, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED));
    CString text;
    popup.GetMenuString(ID_UPDATED, text, MF_BYCOMMAND);
    EXPECT_STREQ(L"Renamed", text);
    EXPECT_EQ(0u, popup.GetMenuState(ID_HANDLED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_NE(0u, popup.GetMenuState(ID_UNHANDLED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(0u, popup.GetMenuState(4, MF_BYPOSITION) & MF_GRAYED);  // a popup is never disabled by the pass
    inner.Detach();                                                   // destroyed with its parent menu
}

TEST(CCmdUITest, UpdatePassSurvivesHandlersThatRemoveItems) {
    CCommandWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_STRING, ID_UNHANDLED, L"first");
    popup.AppendMenu(MF_STRING, ID_SHRINKING, L"shrinking");
    popup.AppendMenu(MF_STRING, ID_UPDATED, L"last");
    AfxUpdateMenuPopup(&wnd, &wnd, &popup);
    // The item after the removed one is still offered.
    EXPECT_EQ(2, wnd.updates);
    ASSERT_EQ(2, popup.GetMenuItemCount());
    EXPECT_EQ(static_cast<UINT>(ID_UNHANDLED), popup.GetMenuItemID(0));
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), popup.GetMenuState(ID_UPDATED, MF_BYCOMMAND) & MF_CHECKED);
}
