// Linked into every test program that builds the program's windows: such a
// program runs the menu library's start-up object as Dodavozi.exe does, so
// its windows are tested with the thread hook that sees every message sent
// to them.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/ui/toolkit/menu/CStyleMenu.h"
#include "app/ui/toolkit/menu/CStyleMenuTempHandler.h"
#include "app/ui/toolkit/menu/MenuStartUpState.h"

TEST(ProgramStartUpHook, InstalledBeforeMainWithTheProgramsStyles) {
    MenuStartUpState state;
    ReadMenuStartUpState(&state);
    EXPECT_NE(0u, state.hook);
    EXPECT_EQ(12, state.themeCount);
    EXPECT_EQ(2, state.currentStyle);
}

// The hook acts on the windows this thread creates: with the option that
// gives new dialogs a menu handler, a dialog created here gets one.
TEST(ProgramStartUpHook, SeesTheWindowsOfThisThread) {
    const DWORD saved = CStyleMenu::s_menuOptions;
    CStyleMenu::s_menuOptions = saved | 0x1;
    HWND dialog = CreateWindowExW(0, L"#32770", L"hooked", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    CStyleMenu::s_menuOptions = saved;
    ASSERT_NE(nullptr, dialog);
    EXPECT_NE(nullptr, GetPropW(dialog, kTempHandlerProperty));
    DestroyWindow(dialog);
}
