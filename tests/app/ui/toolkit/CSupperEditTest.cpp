#include "app/ui/toolkit/CSupperEdit.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kIdChars[] = L"1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_+";

class SupperEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), L"parent", WS_POPUP | WS_VISIBLE, 100, 100, 300, 100,
                                    nullptr, nullptr));
        ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(5, 5, 200, 30), &parent, 5));
    }
    void Type(const CString& text) {
        for (int i = 0; i < text.GetLength(); ++i) edit.SendMessage(WM_CHAR, text.GetAt(i), 1);
    }
    CString Text() {
        CString text;
        edit.GetWindowText(text);
        return text;
    }
    static void SetClipboard(const CString& text) {
        ASSERT_TRUE(::OpenClipboard(nullptr));
        ::EmptyClipboard();
        const size_t bytes = (text.GetLength() + 1) * sizeof(wchar_t);
        HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(::GlobalLock(data), text.GetString(), bytes);
        ::GlobalUnlock(data);
        ::SetClipboardData(CF_UNICODETEXT, data);
        ::CloseClipboard();
    }
    // Presses or lets go of a key in this thread's keyboard state.
    static void KeyState(int key, bool down) {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[key] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }

    CWnd parent;
    CSupperEdit edit;
};

}  // namespace

TEST_F(SupperEditTest, TypedCharacters) {
    const struct {
        const wchar_t* allowed;
        const wchar_t* denied;
        int maxBytes;
        CString typed;
        const wchar_t* result;
    } cases[] = {
        {kIdChars, L"", 0, L"ab-c d_9+", L"abcd_9+"},
        {kIdChars, L"", 0, CString(L"abc") + L'\b' + L"x", L"abx"},               // backspace is always allowed
        {kIdChars, L"", 0, CString(L"ab") + L'\x03' + L'\x16' + L'\x18', L"ab"},  // Ctrl+C, V, X refused
        {L"ab", L"b", 0, L"abab", L"aa"},                                         // denied wins over allowed
        {L"", L"!", 4, L"h!ello", L"hell"},
        {L"", L"", 4, L"\x00e9t\x00e9s!", L"\x00e9t\x00e9s"},  // one byte each in code page 1252
        {L"", L"", 0, CString(L'x', 300), nullptr},            // no limit
    };
    for (const auto& c : cases) {
        CSupperEdit box;
        ASSERT_TRUE(box.Create(WS_CHILD | ES_AUTOHSCROLL, CRect(0, 40, 100, 60), &parent, 6));
        box.SetAllowedChars(c.allowed);
        box.SetDeniedChars(c.denied);
        box.SetMaxByteLen(c.maxBytes);
        for (int i = 0; i < c.typed.GetLength(); ++i) box.SendMessage(WM_CHAR, c.typed.GetAt(i), 1);
        CString text;
        box.GetWindowText(text);
        EXPECT_STREQ(c.result ? CString(c.result) : c.typed, text) << c.typed.GetString();
    }
}

TEST_F(SupperEditTest, ListsAccumulateAndDefaultTextComesBack) {
    edit.SetDeniedChars(L"x");
    edit.SetDeniedChars(L"y");
    edit.SetAllowedChars(L"ab");
    edit.SetAllowedChars(L"xc");
    EXPECT_STREQ(L"abxc", edit.GetAllowedChars());
    Type(L"axbyc");
    EXPECT_STREQ(L"abc", Text());

    edit.SetDefaultText(L"ab");
    edit.SetWindowText(L"a");
    edit.SetSel(1, 1);
    Type(L"\b");
    EXPECT_STREQ(L"ab", Text());
}

TEST_F(SupperEditTest, DoubleByteCodePage) {
    EXPECT_EQ(2, CSupperEdit::CountBytes(L"\x65e5", 932));
    EXPECT_EQ(1, CSupperEdit::CountBytes(L"\x00e9", 1252));
    edit.SetCodePage(932);
    edit.SetMaxByteLen(4);
    Type(L"\x65e5\x672c");  // two characters of two bytes fill the box
    Type(L"a");             // a fifth byte is refused
    EXPECT_STREQ(L"\x65e5\x672c", Text());
    edit.SetWindowText(L"a\x65e5\x672c");
    edit.SetFocus();
    parent.SetFocus();  // leaving the box cuts it to the limit
    EXPECT_STREQ(L"a\x65e5", Text());
}

TEST_F(SupperEditTest, PastedTextPassesTheSameFilter) {
    edit.SetDeniedChars(L"!");
    edit.SetMaxByteLen(6);
    SetClipboard(L"ab!c\r\nde!fgh");
    Type(L"x");
    edit.SendMessage(WM_PASTE);
    EXPECT_STREQ(L"xabcde", Text());

    // Shift+Insert is a paste too.
    edit.SetWindowText(L"");
    KeyState(VK_SHIFT, true);
    edit.SendMessage(WM_KEYDOWN, VK_INSERT, 0);
    KeyState(VK_SHIFT, false);
    EXPECT_STREQ(L"abcdef", Text());
    // So is Ctrl+V, typed as character 22.
    edit.SetWindowText(L"");
    Type(L"\x16");
    EXPECT_STREQ(L"abcdef", Text());

    // Over-long text set directly is cut when the box loses the focus.
    edit.SetWindowText(L"abcdefghij");
    edit.SetFocus();
    parent.SetFocus();
    EXPECT_STREQ(L"abcdef", Text());
}

namespace {

bool g_menuSeen = false;

// Runs inside a context menu's own loop: notes the menu and closes it.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = ::FindWindowW(L"#32768", nullptr);
    if (menu && ::IsWindowVisible(menu)) {
        g_menuSeen = true;
        ::EndMenu();
    }
}

}  // namespace

TEST_F(SupperEditTest, BlockedPasteRefusesEveryWayIn) {
    SetClipboard(L"pasted");
    edit.SetAllowPaste(FALSE);
    edit.SendMessage(WM_PASTE);
    KeyState(VK_SHIFT, true);
    edit.SendMessage(WM_KEYDOWN, VK_INSERT, 0);
    KeyState(VK_SHIFT, false);
    Type(L"\x16");
    EXPECT_STREQ(L"", Text());

    MSG rightClick = {edit.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3), 0, {0, 0}};
    EXPECT_TRUE(edit.PreTranslateMessage(&rightClick));
    MSG ctrlV = {edit.m_hWnd, WM_KEYDOWN, 'V', 0, 0, {0, 0}};
    KeyState(VK_CONTROL, true);
    KeyState(VK_LCONTROL, true);
    EXPECT_TRUE(edit.PreTranslateMessage(&ctrlV));
    KeyState(VK_LCONTROL, false);
    KeyState(VK_CONTROL, false);
    EXPECT_FALSE(edit.PreTranslateMessage(&ctrlV));

    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseMenu);
    g_menuSeen = false;
    edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.m_hWnd), MAKELPARAM(150, 120));
    EXPECT_FALSE(g_menuSeen);
    edit.SetAllowPaste(TRUE);
    edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.m_hWnd), MAKELPARAM(150, 120));
    EXPECT_TRUE(g_menuSeen);  // the check itself sees menus
    ::KillTimer(nullptr, timer);
}
