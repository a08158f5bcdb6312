// The menu library as far as the running program reaches it: its start-up
// hook sees every window of the program, and the program's own popups and
// dialogs pass it untouched (no subclass, no property, no atom), with the
// menu returning its command as before. A probe hooked into the program's
// user-interface thread reads the library's state there, and once more after
// the program's static objects are gone.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/ui/dialogs/ProgramFolder.h"
#include "TempDir.h"
#include "app/core/TwMessages.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"
#include "tests/app/ui/dialogs/helper/MenuStateProbe.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";

// The menu-state probe hooked into the user-interface thread of a running
// program; each request has the probe write one record from inside it.
class MenuProbe {
public:
    explicit MenuProbe(const std::wstring& prefix) : m_prefix(prefix) {}
    ~MenuProbe() {
        if (m_hook) UnhookWindowsHookEx(m_hook);
    }

    // Before the program starts: the program inherits where records go.
    void SetOutput() { SetEnvironmentVariableW(kMenuProbeOutput, m_prefix.c_str()); }

    bool Hook(HWND programWindow) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring probe(path);
        probe = probe.substr(0, probe.find_last_of(L'\\') + 1) + L"menu_state_probe.dll";
        HMODULE module = LoadLibraryW(probe.c_str());
        HOOKPROC proc = module ? reinterpret_cast<HOOKPROC>(GetProcAddress(module, kMenuProbeHookName)) : nullptr;
        if (!proc) return false;
        m_window = programWindow;
        m_hook = SetWindowsHookExW(WH_GETMESSAGE, proc, module, GetWindowThreadProcessId(programWindow, nullptr));
        return m_hook != nullptr;
    }

    // The record of one more request; false when none came.
    bool Read(MenuProbeRecord* record) {
        std::wstring file = m_prefix + L"-" + std::to_wstring(++m_requests);
        PostMessageW(m_window, RegisterWindowMessageW(kMenuProbeMessage), m_requests, 0);
        return ReadFile(file, record);
    }

    bool ReadExit(MenuProbeRecord* record) { return ReadFile(m_prefix + L"-exit", record); }

private:
    static bool ReadFile(const std::wstring& file, MenuProbeRecord* record) {
        std::string bytes;
        Eventually([&] { return (bytes = ReadWholeFile(file)).size() == sizeof *record; }, 10000);
        if (bytes.size() != sizeof *record) return false;
        memcpy(record, bytes.data(), sizeof *record);
        return true;
    }

    std::wstring m_prefix;
    HWND m_window = nullptr;
    HHOOK m_hook = nullptr;
    unsigned m_requests = 0;
};

// The popups the program has open pass the hook untouched.
void ExpectPopupsUntouched(const MenuProbeRecord& record, int popups) {
    EXPECT_EQ(popups, record.popups);
    EXPECT_EQ(0, record.popupsSubclassed);
    EXPECT_EQ(0, record.popupsWithProperty);
    EXPECT_EQ(0, record.state.hookDataCount);
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

// The library's state read inside the running program: what its start-up
// object made, what the popups the program opens leave, and what exit undoes.
TEST(MenuLibraryInTheProgram, StartUpStatePopupsAndExitReadInsideTheProgram) {
    ProgramFolder folder;
    folder.WriteOneDeviceList();
    folder.UseAutomaticLogin();
    MenuProbe probe(folder.File(L"menu-probe"));
    probe.SetOutput();
    ASSERT_NE(nullptr, folder.Start());
    DWORD pid = folder.MainProcessId();
    HWND main = WaitDialog(pid, kProduct, false);
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(probe.Hook(main));

    MenuProbeRecord record = {};
    ASSERT_TRUE(probe.Read(&record));
    ASSERT_TRUE(record.stateRead) << "the program does not export its menu state";
    const MenuStartUpState& state = record.state;
    EXPECT_NE(0u, state.hook);
    const int order[] = {6, 7, 0, 1, 2, 3, 8, 9, 10, 11, 4, 5};
    ASSERT_EQ(12, state.themeCount);
    for (int i = 0; i < 12; ++i) {
        int id = order[i];
        EXPECT_EQ(id, state.themeIds[i]) << i;
        int kind = (id == 8 || id == 9)                           ? kMenuThemeGradient
                   : (id == 2 || id == 3 || id == 10 || id == 11) ? kMenuThemeFlat
                                                                  : kMenuThemePlain;
        EXPECT_EQ(kind, state.themeKinds[i]) << id;
        EXPECT_EQ(id % 2 == 0 ? 1 : 0, state.themeFlags[i]) << id;
        EXPECT_TRUE(state.themeHasRoutines[i]) << id;
    }
    // The start-up object picks style 2 itself, Wine or not.
    EXPECT_EQ(2, state.currentStyle);
    EXPECT_EQ(7, state.winVersion);
    EXPECT_TRUE(state.isWine);
    EXPECT_FALSE(state.isHighContrast);
    EXPECT_FALSE(state.isRemoteSession);
    EXPECT_TRUE(state.uxThemeBound && state.isThemeActiveBound && state.setWindowThemeBound);
    EXPECT_TRUE(state.msimg32Bound && state.gradientFillBound);
    EXPECT_EQ(-1, state.sharedIconStores);
    ExpectPopupsUntouched(record, 0);

    // The tray menu, open: its window is the system's, unsubclassed.
    PostMessageW(main, WM_TW_TRAY_NOTIFY, 0, WM_RBUTTONDOWN);
    HWND popup = nullptr;
    ASSERT_TRUE(Eventually([&] { return (popup = FindPopupMenu(pid)) != nullptr; }));
    ASSERT_TRUE(probe.Read(&record));
    ExpectPopupsUntouched(record, 1);
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(Eventually([&] { return FindPopupMenu(pid) == nullptr; }));

    // The system menu, open from the keyboard.
    PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, L' ');
    ASSERT_TRUE(Eventually([&] { return (popup = FindPopupMenu(pid)) != nullptr; }));
    ASSERT_TRUE(probe.Read(&record));
    ExpectPopupsUntouched(record, 1);
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(Eventually([&] { return FindPopupMenu(pid) == nullptr; }));

    // The log dialog's Export menu, a permanent menu object of the program's.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_SKIN_SEARCH, BN_CLICKED), 0);
    HWND logQuery = WaitDialog(pid, L"Log Query", false);
    ASSERT_NE(nullptr, logQuery);
    EXPECT_EQ(nullptr, GetPropW(logQuery, L"CStyleMenuTempHandler"));
    PostMessageW(logQuery, WM_COMMAND, MAKEWPARAM(IDC_LOGQUERY_EXPORT, BN_CLICKED), 0);
    ASSERT_TRUE(Eventually([&] { return (popup = FindPopupMenu(pid)) != nullptr; }));
    ASSERT_TRUE(probe.Read(&record));
    ExpectPopupsUntouched(record, 1);
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(Eventually([&] { return FindPopupMenu(pid) == nullptr; }));
    PostMessageW(logQuery, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(Eventually([&] { return !IsWindowVisible(logQuery); }));

    // Many popup windows made and destroyed leave nothing behind.
    for (int i = 0; i < 40; ++i) {
        PostMessageW(main, WM_TW_TRAY_NOTIFY, 0, WM_RBUTTONDOWN);
        ASSERT_TRUE(Eventually([&] { return (popup = FindPopupMenu(pid)) != nullptr; })) << i;
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(Eventually([&] { return FindPopupMenu(pid) == nullptr; })) << i;
    }
    ASSERT_TRUE(probe.Read(&record));
    ExpectPopupsUntouched(record, 0);
    EXPECT_EQ(0, GlobalFindAtomW(L"OldMenuProc"));
    EXPECT_EQ(-1, record.state.sharedIconStores);

    // Exit through the tray menu; the probe reads the state once the
    // program's static objects are gone.
    PostMessageW(main, WM_TW_TRAY_NOTIFY, 0, WM_RBUTTONDOWN);
    ASSERT_TRUE(Eventually([&] { return (popup = FindPopupMenu(pid)) != nullptr; }));
    PostMessageW(popup, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    HWND confirm = WaitDialog(pid, L"Exit", false);
    ASSERT_NE(nullptr, confirm);
    PostMessageW(confirm, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(ProgramFolder::WaitExit(folder.MainProcess()));
    ASSERT_TRUE(probe.ReadExit(&record));
    ASSERT_TRUE(record.stateRead);
    EXPECT_EQ(0u, record.state.hook);
    EXPECT_FALSE(record.oldHookStillSet) << "the start-up hook outlived the program's exit";
    EXPECT_EQ(-1, record.state.themeCount);
    EXPECT_EQ(-1, record.state.currentStyle);
    EXPECT_FALSE(record.state.uxThemeBound || record.state.isThemeActiveBound || record.state.setWindowThemeBound);
    EXPECT_FALSE(record.state.msimg32Bound || record.state.gradientFillBound);
    EXPECT_EQ(-1, record.state.sharedIconStores);
    SetEnvironmentVariableW(kMenuProbeOutput, nullptr);
}
