// The record manager asked for in a prefix that knows no video window
// control: the program names the control it could not create. Then the
// program's start-up in a prefix that reports Windows XP, where it
// registers its video window control itself (run by xp-registration.sh in a
// throw-away prefix, never in the shared test prefix): with Rerezed.ocx
// missing start-up shows "Rerezed.ocx" + "Loaded Faild!" and ends; with it
// present the control is registered from the program folder and the main
// window opens. The missing case runs first, while the prefix knows no
// control.
#include <gtest/gtest.h>

#include <ole2.h>
#include <windows.h>

#include <string>

#include "../ProgramFolder.h"
#include "RerezedGuids.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";

// The server path the class is registered with, "" when it is not.
std::wstring RegisteredServer() {
    const std::wstring key = std::wstring(L"CLSID\\") + REREZED_CLSID_TEXT + L"\\InprocServer32";
    wchar_t path[MAX_PATH] = {0};
    DWORD size = sizeof(path);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS)
        return std::wstring();
    return path;
}

TEST(NoVideoControl, RecordManageNamesTheControlItCouldNotCreate) {
    ASSERT_EQ(L"", RegisteredServer()) << "the prefix knows the control";
    ProgramFolder folder;
    folder.WriteOneDeviceList();
    folder.UseAutomaticLogin();
    ASSERT_NE(nullptr, folder.Start());
    const DWORD pid = folder.MainProcessId();
    HWND main = WaitDialog(pid, kProduct, false, 60000);
    ASSERT_NE(nullptr, main) << "no main window";
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_SKIN_MANAGE, BN_CLICKED), 0);
    HWND box = WaitDialog(pid, kProduct, true);
    ASSERT_NE(nullptr, box) << "Record Manage said nothing";
    EXPECT_EQ(L"Can not create the video window control (Rerezed.ocx)!", CloseMessageBox(box));
    EXPECT_EQ(nullptr, FindDialog(pid, L"Record Manage", false));
}

TEST(XpRegistration, WithoutTheControlStartUpReportsItAndEnds) {
    ASSERT_EQ(L"", RegisteredServer()) << "the prefix already knows the control";
    ProgramFolder folder;
    ASSERT_TRUE(DeleteFileW(folder.File(L"Rerezed.ocx").c_str()));
    folder.WriteOneDeviceList();
    folder.UseAutomaticLogin();
    HANDLE process = folder.Start();
    ASSERT_NE(nullptr, process);
    HWND box = WaitDialog(folder.MainProcessId(), kProduct, true, 60000);
    ASSERT_NE(nullptr, box) << "no message box";
    const std::wstring text = CloseMessageBox(box);
    EXPECT_EQ(0u, text.find(L"Rerezed.ocx")) << std::string(text.begin(), text.end());
    EXPECT_NE(std::wstring::npos, text.find(L"Loaded Faild!")) << std::string(text.begin(), text.end());
    EXPECT_TRUE(ProgramFolder::WaitExit(process)) << "start-up did not end";
    EXPECT_EQ(nullptr, FindDialog(folder.MainProcessId(), kProduct, false));
    EXPECT_EQ(L"", RegisteredServer());
}

TEST(XpRegistration, WithTheControlStartUpRegistersItAndOpensTheMainWindow) {
    ProgramFolder folder;
    folder.WriteOneDeviceList();
    folder.UseAutomaticLogin();
    HANDLE process = folder.Start();
    ASSERT_NE(nullptr, process);
    HWND main = WaitDialog(folder.MainProcessId(), kProduct, false, 60000);
    EXPECT_NE(nullptr, main) << "no main window";
    EXPECT_EQ(nullptr, FindDialog(folder.MainProcessId(), kProduct, true)) << "a message box at start-up";
    const std::wstring server = RegisteredServer();
    EXPECT_EQ(0, _wcsicmp(folder.File(L"Rerezed.ocx").c_str(), server.c_str()))
        << "registered: " << std::string(server.begin(), server.end());
}

}  // namespace
