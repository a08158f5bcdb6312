// The menu library as far as the running program reaches it: its start-up
// hook sees every window of the program, and the program's own popups and
// dialogs pass it untouched (no subclass, no property, no atom), with the
// menu returning its command as before.
#include <gtest/gtest.h>

#include "ProgramFolder.h"
#include "app/core/TwMessages.h"
#include "app/ui/dialogs/resource.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";

struct PopupSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchPopupMenu(HWND window, LPARAM param) {
    PopupSearch* s = reinterpret_cast<PopupSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (owner == s->processId && IsWindowVisible(window) && lstrcmpW(name, L"#32768") == 0) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible popup-menu window of the process, null when there is none.
HWND FindPopupMenu(DWORD processId) {
    PopupSearch search = {processId, nullptr};
    EnumWindows(MatchPopupMenu, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

TEST(MenuLibraryInTheProgram, TrayMenuAndDialogsPassTheHookUntouched) {
    ProgramFolder folder;
    folder.WriteOneDeviceList();
    folder.UseAutomaticLogin();
    ASSERT_NE(nullptr, folder.Start());
    DWORD pid = folder.MainProcessId();
    HWND main = WaitDialog(pid, kProduct, false);
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(nullptr, GetPropW(main, L"CStyleMenuTempHandler"));

    PostMessageW(main, WM_TW_TRAY_NOTIFY, 0, WM_RBUTTONDOWN);
    HWND popup = nullptr;
    ASSERT_TRUE(Eventually([&] { return (popup = FindPopupMenu(pid)) != nullptr; }));
    EXPECT_EQ(nullptr, GetPropW(popup, L"OldMenuProc"));
    EXPECT_EQ(0, GlobalFindAtomW(L"OldMenuProc"));

    // Up wraps to the last item, Exit; the menu returns it and the program asks to confirm.
    PostMessageW(popup, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    HWND confirm = WaitDialog(pid, L"Exit", false);
    ASSERT_NE(nullptr, confirm) << "the tray menu's Exit command did not arrive";
    EXPECT_EQ(nullptr, GetPropW(confirm, L"CStyleMenuTempHandler"));
    EXPECT_EQ(nullptr, FindPopupMenu(pid));
    PostMessageW(confirm, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(ProgramFolder::WaitExit(folder.MainProcess()));
}
