#include <afxwin.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>

#include "MfcTestResource.h"
#include "tests/support/WaitFor.h"

namespace {

// An owner-drawn button that also takes its own clicks by reflection.
class CDrawnButton : public CButton {
public:
    int draws = 0;
    const DRAWITEMSTRUCT* lastDraw = nullptr;
    int reflectedClicks = 0;
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++draws;
        lastDraw = dis;
    }

protected:
    afx_msg void OnReflectedClick() { ++reflectedClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDrawnButton, CButton)
ON_CONTROL_REFLECT(BN_CLICKED, &CDrawnButton::OnReflectedClick)
END_MESSAGE_MAP()

// A static that chooses its own colours.
class CColorLabel : public CStatic {
public:
    CBrush brush{RGB(10, 200, 30)};
    int colorRequests = 0;

protected:
    afx_msg HBRUSH CtlColor(CDC* dc, UINT ctlColor) {
        ++colorRequests;
        dc->SetTextColor(RGB(255, 0, 0));
        return brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColorLabel, CStatic)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

// An edit that swallows the letter x before it is dispatched.
class CNoXEdit : public CEdit {
public:
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_CHAR && msg->wParam == L'x') return TRUE;
        return CEdit::PreTranslateMessage(msg);
    }
};

class CFormDlg : public CDialog {
public:
    CFormDlg() : CDialog(IDD_FORM) {}

    CString m_name = L"start";
    int m_count = 5;
    int m_enabled = 1;
    CNoXEdit m_nameEdit;
    CDrawnButton m_drawn;
    CColorLabel m_label;

    std::function<void(CFormDlg&)> onInit;
    BOOL initResult = TRUE;
    int keyDownsSeen = 0;
    int actionClicks = 0;
    int drawnClicksAtParent = 0;
    int parentColorRequests = 0;
    HBRUSH brushFromBase = nullptr;
    int itemChanges = 0;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onInit) onInit(*this);
        return initResult;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN) ++keyDownsSeen;
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_NAME, m_nameEdit);
        DDX_Control(dx, IDC_DRAWN, m_drawn);
        DDX_Control(dx, IDC_LABEL, m_label);
        DDX_Text(dx, IDC_NAME, m_name);
        DDX_Text(dx, IDC_COUNT, m_count);
        DDX_Check(dx, IDC_ENABLED, m_enabled);
    }
    afx_msg void OnAction() { ++actionClicks; }
    afx_msg void OnDrawnClicked() { ++drawnClicksAtParent; }
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
        ++parentColorRequests;
        brushFromBase = CDialog::OnCtlColor(dc, wnd, ctlColor);
        return brushFromBase;
    }
    afx_msg void OnListItemChanged(NMHDR* header, LRESULT* result) {
        ++itemChanges;
        *result = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFormDlg, CDialog)
ON_BN_CLICKED(IDC_ACTION, &CFormDlg::OnAction)
ON_BN_CLICKED(IDC_DRAWN, &CFormDlg::OnDrawnClicked)
ON_WM_CTLCOLOR()
ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST, &CFormDlg::OnListItemChanged)
END_MESSAGE_MAP()

// Runs fn on this thread's next timer tick, from inside whatever loop runs.
void OnNextTick(std::function<void()> fn) {
    static std::function<void()> pending;
    pending = std::move(fn);
    struct Tick {
        static void CALLBACK Proc(HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            std::function<void()> run;
            run.swap(pending);
            if (run) run();
        }
    };
    SetTimer(nullptr, 0, 10, &Tick::Proc);
}

// A top-level dialog window of this thread other than `except`; null when none.
HWND MessageBoxOfThisThread(HWND except) {
    struct Search {
        HWND except;
        HWND found;
        static BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
            Search* search = reinterpret_cast<Search*>(param);
            wchar_t name[16] = {};
            ::GetClassNameW(hwnd, name, 16);
            if (hwnd == search->except || wcscmp(name, L"#32770") != 0) return TRUE;
            search->found = hwnd;
            return FALSE;
        }
    } search = {except, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PostKey(HWND target, UINT key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

class CDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
    }
};

}  // namespace

TEST_F(CDialogTest, ModalDialogExchangesDataAndEnterEndsItWithOk) {
    CFormDlg dlg;
    dlg.onInit = [](CFormDlg& d) {
        // The controls show the members after the base initialisation.
        CString name;
        d.GetDlgItemText(IDC_NAME, name);
        EXPECT_STREQ(L"start", name);
        EXPECT_EQ(5u, d.GetDlgItemInt(IDC_COUNT));
        EXPECT_EQ(static_cast<UINT>(BST_CHECKED), d.IsDlgButtonChecked(IDC_ENABLED));
        // A subclass without run-time class information of its own reports its base.
        EXPECT_STREQ("CEdit", d.m_nameEdit.GetRuntimeClass()->m_lpszClassName);
        OnNextTick([&d] {
            d.m_nameEdit.SetWindowText(L"typed");
            d.SetDlgItemText(IDC_COUNT, L"42");
            d.CheckDlgButton(IDC_ENABLED, BST_UNCHECKED);
            // Through the modal loop: the edit's PreTranslateMessage eats x.
            PostMessageW(d.m_nameEdit, WM_CHAR, L'x', 1);
            d.m_nameEdit.SetSel(5, 5);
            PostMessageW(d.m_nameEdit, WM_CHAR, L'!', 1);
            PostKey(d.m_nameEdit, VK_RETURN);
        });
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_STREQ(L"typed!", dlg.m_name);
    EXPECT_EQ(42, dlg.m_count);
    EXPECT_EQ(0, dlg.m_enabled);
    EXPECT_GE(dlg.keyDownsSeen, 1);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_nameEdit.m_hWnd);  // detached when the dialog died
}

TEST_F(CDialogTest, EscapeAndTheCloseBoxCancelWithoutExchangingData) {
    for (bool byCloseBox : {false, true}) {
        CFormDlg dlg;
        dlg.onInit = [byCloseBox](CFormDlg& d) {
            OnNextTick([&d, byCloseBox] {
                d.SetDlgItemText(IDC_NAME, L"discarded");
                if (byCloseBox)
                    d.PostMessage(WM_CLOSE);
                else
                    PostKey(d.m_nameEdit, VK_ESCAPE);
            });
        };
        EXPECT_EQ(IDCANCEL, dlg.DoModal()) << "close box " << byCloseBox;
        EXPECT_STREQ(L"start", dlg.m_name);
    }
}

TEST_F(CDialogTest, InitDialogResultDecidesTheFocus) {
    for (BOOL defaultFocus : {TRUE, FALSE}) {
        CFormDlg dlg;
        HWND focused = nullptr;
        HWND expected = nullptr;
        dlg.initResult = defaultFocus;
        dlg.onInit = [&](CFormDlg& d) {
            expected = d.GetDlgItem(defaultFocus ? IDC_NAME : IDC_COUNT)->m_hWnd;
            if (!defaultFocus) d.GetDlgItem(IDC_COUNT)->SetFocus();
            OnNextTick([&] {
                focused = ::GetFocus();
                d.EndDialog(77);
            });
        };
        EXPECT_EQ(77, dlg.DoModal());
        EXPECT_EQ(expected, focused) << "default focus " << defaultFocus;
    }
}

TEST_F(CDialogTest, FailedValidationKeepsTheDialogOpen) {
    CFormDlg dlg;
    int boxesClosed = 0;
    dlg.onInit = [&](CFormDlg& d) {
        OnNextTick([&] {
            d.SetDlgItemText(IDC_COUNT, L"not a number");
            // The refusal shows a message box; close it from its own loop,
            // then fix the value and try again.
            OnNextTick([&] {
                // Found as this thread's other dialog window: the box may
                // not be shown or active yet when the tick comes.
                HWND box = MessageBoxOfThisThread(d.m_hWnd);
                if (box) {
                    ++boxesClosed;
                    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                }
                OnNextTick([&] {
                    EXPECT_EQ(d.GetDlgItem(IDC_COUNT)->m_hWnd, ::GetFocus());
                    d.SetDlgItemText(IDC_COUNT, L" 12 ");
                    d.PostMessage(WM_COMMAND, IDOK);
                });
            });
            d.SendMessage(WM_COMMAND, IDOK);  // OnOK: the exchange fails
            // Still running (the modal loop may not have shown it yet).
            EXPECT_TRUE(d.ContinueModal());
        });
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, boxesClosed);
    EXPECT_EQ(12, dlg.m_count);
}

TEST_F(CDialogTest, NotificationsAreReflectedToTheControlsThatSentThem) {
    CFormDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM));
    dlg.ShowWindow(SW_SHOW);

    // WM_DRAWITEM goes to the owner-drawn button's DrawItem.
    CClientDC dc(&dlg.m_drawn);
    DRAWITEMSTRUCT dis = {ODT_BUTTON, IDC_DRAWN, 0, ODA_DRAWENTIRE, 0, dlg.m_drawn, dc, {0, 0, 10, 10}, 0};
    EXPECT_TRUE(dlg.SendMessage(WM_DRAWITEM, IDC_DRAWN, reinterpret_cast<LPARAM>(&dis)));
    EXPECT_EQ(&dis, dlg.m_drawn.lastDraw);
    ASSERT_TRUE(WaitFor([&] { return dlg.m_drawn.draws >= 2; }));  // and when it really paints

    // The label colours itself; the parent's handler gets the label's brush.
    CClientDC labelDc(&dlg.m_label);
    LRESULT brush = dlg.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(labelDc.m_hDC),
                                    reinterpret_cast<LPARAM>(dlg.m_label.m_hWnd));
    EXPECT_EQ(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(dlg.m_label.brush)), brush);
    EXPECT_EQ(static_cast<HBRUSH>(dlg.m_label.brush), dlg.brushFromBase);
    EXPECT_EQ(RGB(255, 0, 0), GetTextColor(labelDc));
    CWnd* check = dlg.GetDlgItem(IDC_ENABLED);
    LRESULT other = dlg.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(labelDc.m_hDC),
                                    reinterpret_cast<LPARAM>(check->m_hWnd));
    EXPECT_NE(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(dlg.m_label.brush)), other);

    // Commands: a plain button reaches the dialog; the reflecting button
    // takes its own click and the dialog never sees it.
    dlg.GetDlgItem(IDC_ACTION)->SendMessage(BM_CLICK);
    EXPECT_EQ(1, dlg.actionClicks);
    dlg.m_drawn.SendMessage(BM_CLICK);
    EXPECT_EQ(1, dlg.m_drawn.reflectedClicks);
    EXPECT_EQ(0, dlg.drawnClicksAtParent);

    // WM_NOTIFY from a list view reaches the ON_NOTIFY entry.
    HWND list = dlg.GetDlgItem(IDC_LIST)->m_hWnd;
    LVCOLUMNW column = {LVCF_WIDTH, 0, 80};
    ListView_InsertColumn(list, 0, &column);
    LVITEMW item = {LVIF_TEXT, 0, 0, 0, 0, const_cast<wchar_t*>(L"row")};
    ListView_InsertItem(list, &item);
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_GE(dlg.itemChanges, 1);

    // A modeless dialog's OK hides it.
    dlg.SendMessage(WM_COMMAND, IDOK);
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_TRUE(dlg.IsWindow());
    EXPECT_TRUE(dlg.DestroyWindow());
}

TEST_F(CDialogTest, ModelessDialogPreTranslatesInsideAnotherDialogsModalLoop) {
    CFormDlg main;
    CFormDlg modeless;
    CString text;
    bool hiddenByCancel = false;
    main.onInit = [&](CFormDlg& d) {
        ASSERT_TRUE(modeless.Create(IDD_FORM, &d));
        modeless.ShowWindow(SW_SHOW);
        OnNextTick([&] {
            PostMessageW(modeless.m_nameEdit, WM_CHAR, L'x', 1);  // eaten by the edit's PreTranslateMessage
            PostMessageW(modeless.m_nameEdit, WM_CHAR, L'y', 1);
            PostKey(modeless.m_nameEdit, VK_ESCAPE);  // the modeless dialog's Cancel hides it
            OnNextTick([&] {
                modeless.GetDlgItemText(IDC_NAME, text);
                hiddenByCancel = !modeless.IsWindowVisible();
                d.EndDialog(IDOK);
            });
        });
    };
    EXPECT_EQ(IDOK, main.DoModal());
    EXPECT_GE(modeless.keyDownsSeen, 1);
    EXPECT_EQ(0, main.keyDownsSeen);
    EXPECT_EQ(-1, text.Find(L'x'));
    EXPECT_NE(-1, text.Find(L'y'));
    EXPECT_TRUE(hiddenByCancel);
    // The modeless dialog died with its owner, as owned windows do.
    EXPECT_EQ(nullptr, modeless.m_hWnd);
}

TEST_F(CDialogTest, DialogWithAMenuBarReachesItsInitialisation) {
    class CMenuFormDlg : public CDialog {
    public:
        CMenuFormDlg() : CDialog(IDD_MENU_FORM) {}
        HMENU menuAtInit = nullptr;
        bool endAtInit = true;
        BOOL OnInitDialog() override {
            CDialog::OnInitDialog();
            menuAtInit = ::GetMenu(m_hWnd);
            if (endAtInit) OnNextTick([this] { EndDialog(55); });
            return TRUE;
        }
    };
    CMenuFormDlg modal;
    EXPECT_EQ(55, modal.DoModal());
    ASSERT_NE(nullptr, modal.menuAtInit);
    EXPECT_FALSE(::IsMenu(modal.menuAtInit));  // the dialog took its menu with it

    CMenuFormDlg modeless;
    modeless.endAtInit = false;
    ASSERT_TRUE(modeless.Create(MAKEINTRESOURCEW(IDD_MENU_FORM), nullptr));
    EXPECT_EQ(::GetMenu(modeless.m_hWnd), modeless.menuAtInit);
    EXPECT_EQ(1, ::GetMenuItemCount(modeless.menuAtInit));
    modeless.DestroyWindow();
}
